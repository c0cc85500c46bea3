// The seam's conformance suite on the real desktop backend. Runs on an X display with a window
// manager (the end-to-end run starts one); it reads what the X server shows over its own connection,
// the way another client would see our windows.
#include <gtk/gtk.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "SeamConformance.h"
#include "platform/linux/LinuxCoordinates.h"
#include "platform/linux/LinuxMainLoop.h"
#include "platform/linux/LinuxWindowServer.h"

// X11 last: its macros must not reach the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

namespace brindlow::conformance {
namespace {

// The real window server, with a note of the GTK window behind each window it makes: the one
// top level that was not there before.
class NotingWindowServer : public platform::WindowServer {
 public:
  explicit NotingWindowServer(platform::MainLoop& loop) : real_(loop) {}

  std::unique_ptr<platform::PetPanel> createPetPanel() override {
    return noted(real_.createPetPanel());
  }
  std::unique_ptr<platform::StripWindow> createStripWindow(GRect frame) override {
    return noted(real_.createStripWindow(frame));
  }
  int desktopIconLevel() const override { return real_.desktopIconLevel(); }

  GtkWidget* widgetOf(const platform::Window& window) const {
    auto it = widgets_.find(&window);
    return it == widgets_.end() ? nullptr : it->second;
  }

 private:
  static std::vector<GtkWidget*> toplevels() {
    std::vector<GtkWidget*> out;
    GList* list = gtk_window_list_toplevels();
    for (GList* w = list; w != nullptr; w = w->next) out.push_back(static_cast<GtkWidget*>(w->data));
    g_list_free(list);
    return out;
  }

  template <class W>
  std::unique_ptr<W> noted(std::unique_ptr<W> window) {
    for (GtkWidget* widget : toplevels()) {
      bool known = false;
      for (const auto& [w, noted] : widgets_) known = known || noted == widget;
      if (!known) widgets_[window.get()] = widget;
    }
    return window;
  }

  lnx::LinuxWindowServer real_;
  std::map<const platform::Window*, GtkWidget*> widgets_;
};

class LinuxSeamBackend : public SeamBackend {
 public:
  LinuxSeamBackend() : x_(XOpenDisplay(nullptr)) {}
  ~LinuxSeamBackend() override {
    if (x_ != nullptr) XCloseDisplay(x_);
  }

  platform::MainLoop& loop() override { return loop_; }
  platform::WindowServer& windowServer() override { return server_; }

  bool settle(const std::function<bool()>& done) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      turn();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }
  void idle() override {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    while (std::chrono::steady_clock::now() < until) {
      turn();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  std::optional<GRect> shownFrame(const platform::Window& window) override {
    const Window xid = xidOf(window);
    XWindowAttributes attributes;
    if (xid == 0 || XGetWindowAttributes(x_, xid, &attributes) == 0 || attributes.map_state != IsViewable) {
      return std::nullopt;
    }
    int rootX = 0, rootY = 0;
    Window child = 0;
    XTranslateCoordinates(x_, xid, DefaultRootWindow(x_), 0, 0, &rootX, &rootY, &child);
    return lnx::deviceToPage(GRect{static_cast<double>(rootX), static_cast<double>(rootY),
                                   static_cast<double>(attributes.width), static_cast<double>(attributes.height)});
  }

  // The click lands on the window when the point is inside it and inside its input shape.
  bool takesClickAt(const platform::Window& window, GPoint point) override {
    const auto shown = shownFrame(window);
    if (!shown || !shown->contains(point)) return false;
    const int scale = lnx::rootScale();
    const int x = static_cast<int>((point.x - shown->x) * scale);
    const int y = static_cast<int>((point.y - shown->y) * scale);
    int count = 0, ordering = 0;
    XRectangle* rects = XShapeGetRectangles(x_, xidOf(window), ShapeInput, &count, &ordering);
    bool inside = false;
    for (int i = 0; i < count; ++i) {
      const XRectangle& r = rects[i];
      inside = inside || (x >= r.x && y >= r.y && x < r.x + r.width && y < r.y + r.height);
    }
    if (rects != nullptr) XFree(rects);
    return inside;
  }

  // Bottom first, by the place of each window's frame (or the window itself) among the root's children.
  std::vector<const platform::Window*> stacking(std::vector<const platform::Window*> windows) override {
    const std::vector<Window> order = rootChildren();
    auto place = [&](const platform::Window* w) {
      const Window top = topLevelOf(xidOf(*w));
      return std::find(order.begin(), order.end(), top) - order.begin();
    };
    std::stable_sort(windows.begin(), windows.end(), [&](auto* a, auto* b) { return place(a) < place(b); });
    return windows;
  }

 private:
  void turn() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    gdk_display_flush(gdk_display_get_default());
    XSync(x_, False);
  }

  Window xidOf(const platform::Window& window) const {
    GtkWidget* widget = server_.widgetOf(window);
    GdkWindow* gdk = widget != nullptr ? gtk_widget_get_window(widget) : nullptr;
    return gdk != nullptr ? gdk_x11_window_get_xid(gdk) : 0;
  }

  std::vector<Window> rootChildren() const {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int n = 0;
    std::vector<Window> out;
    if (XQueryTree(x_, DefaultRootWindow(x_), &root, &parent, &children, &n) != 0) out.assign(children, children + n);
    if (children != nullptr) XFree(children);
    return out;
  }

  Window topLevelOf(Window xid) const {
    const Window rootWindow = DefaultRootWindow(x_);
    while (xid != 0) {
      Window root = 0, parent = 0;
      Window* children = nullptr;
      unsigned int n = 0;
      if (XQueryTree(x_, xid, &root, &parent, &children, &n) == 0) return 0;
      if (children != nullptr) XFree(children);
      if (parent == rootWindow) return xid;
      xid = parent;
    }
    return 0;
  }

  lnx::LinuxMainLoop loop_;
  NotingWindowServer server_{loop_};
  Display* x_;
};

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, SeamConformance, LinuxSeamBackend);

}  // namespace
}  // namespace brindlow::conformance

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!gtk_init_check(&argc, &argv)) {
    std::fprintf(stderr, "seam conformance: cannot open the display (DISPLAY=%s)\n",
                 g_getenv("DISPLAY") != nullptr ? g_getenv("DISPLAY") : "");
    return 1;
  }
  Display* probe = XOpenDisplay(nullptr);
  if (probe == nullptr) return 1;
  XCloseDisplay(probe);
  return RUN_ALL_TESTS();
}
