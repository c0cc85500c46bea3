#!/usr/bin/python3
"""A stand-in for GNOME's display configuration service on the session bus: its PowerSaveMode starts
at the first argument (0 on, 3 off); SIGUSR1 turns the screens off, SIGUSR2 on again, each announced
through PropertiesChanged. Touches the file given second once it owns its name."""
import signal
import sys

from gi.repository import Gio, GLib

IFACE = "org.gnome.Mutter.DisplayConfig"
XML = f"""<node><interface name="{IFACE}">
  <property name="PowerSaveMode" type="i" access="readwrite"/>
</interface></node>"""
mode = int(sys.argv[1])
conn = None


def on_property(c, sender, path, iface, prop):
    return GLib.Variant("i", mode)


def set_mode(value):
    global mode
    mode = value
    if conn is not None:
        conn.emit_signal(None, "/org/gnome/Mutter/DisplayConfig", "org.freedesktop.DBus.Properties",
                         "PropertiesChanged",
                         GLib.Variant("(sa{sv}as)", (IFACE, {"PowerSaveMode": GLib.Variant("i", mode)}, [])))
    return GLib.SOURCE_CONTINUE


def on_bus(c, name):
    global conn
    conn = c
    info = Gio.DBusNodeInfo.new_for_xml(XML).interfaces[0]
    c.register_object("/org/gnome/Mutter/DisplayConfig", info, None, on_property, None)


GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR1, lambda: set_mode(3))
GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGUSR2, lambda: set_mode(0))
Gio.bus_own_name(Gio.BusType.SESSION, IFACE, Gio.BusNameOwnerFlags.NONE, on_bus,
                 lambda c, n: open(sys.argv[2], "w").close(), lambda c, n: sys.exit(1))
GLib.MainLoop().run()
