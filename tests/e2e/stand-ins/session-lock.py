#!/usr/bin/python3
"""Stand-ins for the two places a desktop tells that the session is locked.

On the bus at $E2E_SYSTEM_BUS: a logind with one session (/org/freedesktop/login1/session/e2e) that
every GetSession and GetSessionByPID call names, with the properties Active and LockedHint. Its
SetLockedHint(b), as on the real service, changes the hint and announces it with PropertiesChanged;
SetActive(b) does the same for Active. Inhibit is refused.

On the session bus: a screen saver (org.freedesktop.ScreenSaver) whose SetActive(b) announces
ActiveChanged(b); GetActive answers the last value.

Starting values from the arguments: --locked and --inactive. Prints "ready" once both names are owned.
"""
import sys

from gi.repository import Gio, GLib

SESSION_PATH = "/org/freedesktop/login1/session/e2e"
NODE = Gio.DBusNodeInfo.new_for_xml("""
<node>
  <interface name="org.freedesktop.login1.Manager">
    <method name="GetSession"><arg type="s" direction="in"/><arg type="o" direction="out"/></method>
    <method name="GetSessionByPID"><arg type="u" direction="in"/><arg type="o" direction="out"/></method>
    <method name="Inhibit">
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="h" direction="out"/>
    </method>
  </interface>
  <interface name="org.freedesktop.login1.Session">
    <property name="Active" type="b" access="read"/>
    <property name="LockedHint" type="b" access="read"/>
    <method name="SetLockedHint"><arg type="b" direction="in"/></method>
    <method name="SetActive"><arg type="b" direction="in"/></method>
  </interface>
  <interface name="org.freedesktop.ScreenSaver">
    <method name="GetActive"><arg type="b" direction="out"/></method>
    <method name="SetActive"><arg type="b" direction="in"/><arg type="b" direction="out"/></method>
    <signal name="ActiveChanged"><arg type="b"/></signal>
  </interface>
</node>""")

state = {"Active": "--inactive" not in sys.argv, "LockedHint": "--locked" in sys.argv, "saver": False}


def manager_call(conn, sender, path, iface, method, params, invocation):
    if method == "Inhibit":
        invocation.return_dbus_error("org.freedesktop.DBus.Error.NotSupported", "not in the stand-in")
    else:
        invocation.return_value(GLib.Variant("(o)", (SESSION_PATH,)))


def session_call(conn, sender, path, iface, method, params, invocation):
    name = "LockedHint" if method == "SetLockedHint" else "Active"
    state[name] = params.unpack()[0]
    invocation.return_value(None)
    conn.emit_signal(None, SESSION_PATH, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                     GLib.Variant("(sa{sv}as)", (iface, {name: GLib.Variant("b", state[name])}, [])))


def session_property(conn, sender, path, iface, name):
    return GLib.Variant("b", state[name])


def saver_call(conn, sender, path, iface, method, params, invocation):
    if method == "SetActive":
        state["saver"] = params.unpack()[0]
        invocation.return_value(GLib.Variant("(b)", (True,)))
        conn.emit_signal(None, path, iface, "ActiveChanged", GLib.Variant("(b)", (state["saver"],)))
    else:
        invocation.return_value(GLib.Variant("(b)", (state["saver"],)))


def own(conn, name):
    reply = conn.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "RequestName",
                           GLib.Variant("(su)", (name, 4)), None, Gio.DBusCallFlags.NONE, -1, None)
    if reply.unpack()[0] != 1:
        sys.exit("cannot own " + name)


system = Gio.DBusConnection.new_for_address_sync(
    GLib.getenv("E2E_SYSTEM_BUS"),
    Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
system.register_object("/org/freedesktop/login1", NODE.lookup_interface("org.freedesktop.login1.Manager"),
                       manager_call, None, None)
system.register_object(SESSION_PATH, NODE.lookup_interface("org.freedesktop.login1.Session"), session_call,
                       session_property, None)
own(system, "org.freedesktop.login1")

session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
session.register_object("/org/freedesktop/ScreenSaver", NODE.lookup_interface("org.freedesktop.ScreenSaver"),
                        saver_call, None, None)
own(session, "org.freedesktop.ScreenSaver")

print("ready", flush=True)
GLib.MainLoop().run()
