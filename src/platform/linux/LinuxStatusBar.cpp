#include "platform/linux/LinuxStatusBar.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/linux/LinuxStatusItem.h"

namespace brindlow::lnx {
namespace {

int primaryScale() {
  GdkDisplay* display = gdk_display_get_default();
  GdkMonitor* monitor = display ? gdk_display_get_primary_monitor(display) : nullptr;
  if (!monitor && display && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
  return monitor ? std::max(1, gdk_monitor_get_scale_factor(monitor)) : 1;
}

int devicePixels(double points, int scale) {
  const double px = std::round(points * scale);
  return std::isfinite(px) ? static_cast<int>(std::clamp(px, 1.0, 1024.0)) : 1;
}

void destroyMenu(GtkWidget* menu) {
  gtk_widget_destroy(menu);
  g_object_unref(menu);
}

}  // namespace

LinuxStatusBar::LinuxStatusBar(std::string applicationId, std::optional<std::string> iconDirectory)
    : applicationId_(std::move(applicationId)), iconDirectory_(std::move(iconDirectory)) {}

LinuxStatusBar::~LinuxStatusBar() {
  if (popup_) {
    g_signal_handlers_disconnect_by_data(popup_, this);
    destroyMenu(popup_);
  }
}

std::unique_ptr<platform::StatusItem> LinuxStatusBar::createSquareItem() {
  return std::make_unique<LinuxStatusItem>(applicationId_, iconDirectory_);
}

std::shared_ptr<platform::Image> LinuxStatusBar::decodeImage(const std::vector<uint8_t>& png, double widthPt,
                                                             double heightPt) {
  if (png.empty()) return nullptr;
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  const bool read = gdk_pixbuf_loader_write(loader, png.data(), png.size(), nullptr);
  const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pixbuf = read && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
  std::shared_ptr<platform::Image> image;
  if (pixbuf) {
    // The page's face is drawn at this size whatever its own: the aspect is not kept.
    const int scale = primaryScale();
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(pixbuf, devicePixels(widthPt, scale), devicePixels(heightPt, scale),
                                                GDK_INTERP_BILINEAR);
    if (scaled) image = std::make_shared<LinuxImage>(scaled);
  }
  g_object_unref(loader);
  return image;
}

void LinuxStatusBar::popUpMenu(platform::MenuModel model, platform::PetPanel*) {
  GdkDisplay* display = gdk_display_get_default();
  GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
  GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
  if (!pointer) return;
  if (popup_) {
    g_signal_handlers_disconnect_by_data(popup_, this);
    destroyMenu(popup_);
  }
  popup_ = buildMenu(model);
  g_object_ref_sink(popup_);
  g_signal_connect(popup_, "deactivate", G_CALLBACK(onDeactivate), this);

  // A press at the pointer on the root window: the menu opens where the pointer is, on any screen.
  GdkScreen* screen = nullptr;
  gint x = 0;
  gint y = 0;
  gdk_device_get_position(pointer, &screen, &x, &y);
  if (!screen) return;
  GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
  event->button.window = GDK_WINDOW(g_object_ref(gdk_screen_get_root_window(screen)));
  event->button.send_event = TRUE;
  event->button.time = GDK_CURRENT_TIME;
  event->button.x = event->button.x_root = x;
  event->button.y = event->button.y_root = y;
  event->button.button = GDK_BUTTON_SECONDARY;
  gdk_event_set_device(event, pointer);
  gtk_menu_popup_at_pointer(GTK_MENU(popup_), event);
  gdk_event_free(event);
}

void LinuxStatusBar::onDeactivate(GtkMenuShell* menu, gpointer self) {
  auto* bar = static_cast<LinuxStatusBar*>(self);
  if (bar->popup_ != GTK_WIDGET(menu)) return;
  bar->popup_ = nullptr;
  g_signal_handlers_disconnect_by_data(menu, self);
  // The chosen item is activated after the menu closes: the menu goes on a later turn.
  g_idle_add(
      [](gpointer data) -> gboolean {
        destroyMenu(GTK_WIDGET(data));
        return G_SOURCE_REMOVE;
      },
      menu);
}

}  // namespace brindlow::lnx
