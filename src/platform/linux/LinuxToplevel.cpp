#include "platform/linux/LinuxToplevel.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/linux/GlibUtil.h"
#include "platform/linux/LinuxCoordinates.h"
#include "util/Log.h"

namespace brindlow::lnx {

namespace {

constexpr platform::Seconds kMoveSettle = 0.25;

gboolean clearToTransparent(GtkWidget*, cairo_t* cr, gpointer) {
  cairo_save(cr);
  cairo_set_source_rgba(cr, 0, 0, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_restore(cr);
  return FALSE;
}

constexpr int kMaxWindowSide = 32767;  // X11 window sides are 16-bit

int pixels(double v) { return static_cast<int>(std::lround(v)); }

}  // namespace

WindowStack::WindowStack() {
  GdkDisplay* display = gdk_display_get_default();
  if (display == nullptr || !GDK_IS_X11_DISPLAY(display)) return;
  dpy_ = GDK_DISPLAY_XDISPLAY(display);
  root_ = DefaultRootWindow(dpy_);
  GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display));
  gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_SUBSTRUCTURE_MASK));
  gdk_window_add_filter(nullptr, onXEvent, this);
}

WindowStack::~WindowStack() {
  if (dpy_ != nullptr) gdk_window_remove_filter(nullptr, onXEvent, this);
}

void WindowStack::remove(LinuxToplevel* window) { std::erase(windows_, window); }

void WindowStack::restack(bool lowered) const {
  if (dpy_ == nullptr) return;
  auto order = windows_;
  std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->level() < b->level(); });
  // Plain requests, no round trip: raising in ascending order leaves the highest level on top,
  // lowering in descending order the lowest at the bottom.
  for (auto it = order.rbegin(); lowered && it != order.rend(); ++it) {
    if ((*it)->level() <= 0 && (*it)->xid() != 0) XLowerWindow(dpy_, (*it)->xid());
  }
  for (LinuxToplevel* top : order) {
    if (top->level() > 0 && top->xid() != 0) XRaiseWindow(dpy_, top->xid());
  }
}

GdkFilterReturn WindowStack::onXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self) {
  const auto* ev = static_cast<const XEvent*>(xevent);
  auto* stack = static_cast<WindowStack*>(self);
  // A managed window mapped or restacked may now lie above ours; menus and tooltips of other
  // programs (override-redirect like ours) may stay above the pet.
  const bool managedMoved = (ev->type == ConfigureNotify && ev->xconfigure.event == stack->root_ &&
                             !ev->xconfigure.override_redirect) ||
                            (ev->type == MapNotify && ev->xmap.event == stack->root_ && !ev->xmap.override_redirect);
  if (managedMoved) guarded("the window stack", [stack] { stack->restack(false); });
  return GDK_FILTER_CONTINUE;
}

void WindowStack::setFullscreenMonitor(GdkMonitor* monitor) {
  if (monitor == fullscreenMonitor_) return;
  fullscreenMonitor_ = monitor;
  for (LinuxToplevel* top : std::vector(windows_)) top->updateSuppression();
}

LinuxToplevel::LinuxToplevel(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack, GRect frame)
    : loop_(loop), stack_(std::move(stack)), frame_(frame) {
  // Override-redirect: no window manager places, constrains or re-places it on a map.
  window_ = gtk_window_new(GTK_WINDOW_POPUP);
  GtkWindow* win = GTK_WINDOW(window_);
  gtk_window_set_decorated(win, FALSE);
  // Resizable, so GTK takes the size we give rather than the content's natural size.
  gtk_window_set_resizable(win, TRUE);
  gtk_window_set_type_hint(win, GDK_WINDOW_TYPE_HINT_UTILITY);
  gtk_window_set_accept_focus(win, FALSE);
  gtk_window_set_focus_on_map(win, FALSE);
  gtk_widget_set_app_paintable(window_, TRUE);
  if (GdkVisual* rgba = gdk_screen_get_rgba_visual(gtk_widget_get_screen(window_))) gtk_widget_set_visual(window_, rgba);
  g_signal_connect(window_, "draw", G_CALLBACK(clearToTransparent), nullptr);
  g_signal_connect(window_, "configure-event", G_CALLBACK(onConfigure), this);
  g_signal_connect(window_, "map-event", G_CALLBACK(onMap), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(onDestroy), this);
  g_signal_connect(window_, "realize", G_CALLBACK(onRealize), this);
  stack_->add(this);
}

LinuxToplevel::~LinuxToplevel() { close(); }

void LinuxToplevel::apply(bool resize, bool display) {
  if (window_ == nullptr) return;
  const GRect root = pageToRoot(frame_);
  requested_ = {pixels(root.x), pixels(root.y), std::max(1, pixels(root.w)), std::max(1, pixels(root.h))};
  gtk_window_move(GTK_WINDOW(window_), requested_.x, requested_.y);
  if (resize) {
    if (onContentSize) onContentSize(requested_.w, requested_.h);
    gtk_window_resize(GTK_WINDOW(window_), requested_.w, requested_.h);
  }
  if (display) gtk_widget_queue_draw(window_);
  restoreIfDisplaced();
  updateSuppression();
}

::Window LinuxToplevel::xid() const {
  GdkWindow* w = window_ != nullptr ? gtk_widget_get_window(window_) : nullptr;
  return w != nullptr && GDK_IS_X11_WINDOW(w) ? GDK_WINDOW_XID(w) : 0;
}

void LinuxToplevel::restoreIfDisplaced() {
  if (!displaced_ || window_ == nullptr) return;
  displaced_ = false;
  // GTK sends nothing for a request equal to its last one, so the window goes back directly.
  if (GdkWindow* w = gtk_widget_get_window(window_)) {
    gdk_window_move_resize(w, requested_.x, requested_.y, requested_.w, requested_.h);
  }
}

void LinuxToplevel::setFrame(GRect frame, bool display) {
  const bool resize = frame.w != frame_.w || frame.h != frame_.h;
  frame_ = frame;
  apply(resize, display);
}

void LinuxToplevel::setFrameOrigin(GPoint topLeft) {
  frame_.x = topLeft.x;
  frame_.y = topLeft.y;
  apply(false, false);
}

void LinuxToplevel::setLevel(int level) {
  level_ = level;
  if (window_ == nullptr) return;
  // Read by nobody while override-redirect, but they describe the window to tools that look.
  gtk_window_set_keep_below(GTK_WINDOW(window_), level < 0);
  gtk_window_set_keep_above(GTK_WINDOW(window_), level > 0);
  stack_->restack();
}

void LinuxToplevel::setCollectionBehavior(uint32_t bits) {
  behavior_ = bits;
  if (window_ == nullptr) return;
  GtkWindow* win = GTK_WINDOW(window_);
  if ((bits & platform::canJoinAllSpaces) != 0) {
    gtk_window_stick(win);
  } else {
    gtk_window_unstick(win);
  }
  const gboolean skip = (bits & platform::ignoresCycle) != 0;
  gtk_window_set_skip_taskbar_hint(win, skip);
  gtk_window_set_skip_pager_hint(win, skip);
  updateSuppression();
}

void LinuxToplevel::orderFrontRegardless() {
  wantVisible_ = true;
  syncVisibility();
  if (window_ == nullptr || suppressed_) return;
  stack_->restack();
}

void LinuxToplevel::orderOut() {
  wantVisible_ = false;
  syncVisibility();
}

// Ordered in stays true while the full-screen rule keeps the window out, as a window on another
// desktop space stays visible; the pet panel reports that through its occlusion instead.
bool LinuxToplevel::isVisible() const { return window_ != nullptr && wantVisible_; }

void LinuxToplevel::syncVisibility() {
  if (window_ == nullptr) return;
  const bool show = wantVisible_ && !suppressed_;
  if (show == static_cast<bool>(gtk_widget_get_visible(window_))) return;
  if (show) {
    gtk_widget_show(window_);
    // A move while hidden can reach the server after the map under load; the window is unmanaged,
    // so it goes straight to the frame last set.
    if (GdkWindow* w = gtk_widget_get_window(window_); w != nullptr && requested_.w > 0) {
      gdk_window_move_resize(w, requested_.x, requested_.y, requested_.w, requested_.h);
    }
  } else {
    gtk_widget_hide(window_);
  }
}

void LinuxToplevel::updateSuppression() {
  GdkMonitor* fullscreen = stack_->fullscreenMonitor();
  bool suppressed = false;
  if (window_ != nullptr && fullscreen != nullptr && (behavior_ & platform::fullScreenAuxiliary) == 0) {
    const GRect root = pageToRoot(frame_);
    GdkMonitor* ours = gdk_display_get_monitor_at_point(gtk_widget_get_display(window_),
                                                        pixels(root.x + root.w / 2), pixels(root.y + root.h / 2));
    suppressed = ours == fullscreen;
  }
  if (suppressed == suppressed_) return;
  suppressed_ = suppressed;
  syncVisibility();
  if (!suppressed_ && wantVisible_) stack_->restack();
}

std::optional<double> LinuxToplevel::backingScale() const {
  if (window_ == nullptr) return std::nullopt;
  return static_cast<double>(gtk_widget_get_scale_factor(window_));
}

void LinuxToplevel::close() {
  moveCheck_.cancel();
  if (window_ == nullptr) return;
  if (beforeDestroy) beforeDestroy();
  GtkWidget* w = std::exchange(window_, nullptr);
  stack_->remove(this);
  g_signal_handlers_disconnect_by_data(w, this);
  gtk_widget_destroy(w);
}

void LinuxToplevel::setClickThrough(bool clickThrough) {
  clickThrough_ = clickThrough;
  applyInputShape();
}

void LinuxToplevel::applyInputShape() const {
  // Set on the realized GDK window itself: GTK's stored widget shape is reapplied at odd times.
  GdkWindow* w = window_ != nullptr ? gtk_widget_get_window(window_) : nullptr;
  if (w == nullptr) return;
  // The full region is one rectangle larger than any window rather than no shape at all: a window
  // manager that copied the empty shape to its frame copies a new rectangle, but may miss the unset.
  const cairo_rectangle_int_t everything{0, 0, kMaxWindowSide, kMaxWindowSide};
  std::unique_ptr<cairo_region_t, decltype(&cairo_region_destroy)> region(
      clickThrough_ ? cairo_region_create() : cairo_region_create_rectangle(&everything), cairo_region_destroy);
  gdk_window_input_shape_combine_region(w, region.get(), 0, 0);
}

void LinuxToplevel::setBoundingShape(const cairo_region_t* region) {
  GdkWindow* w = window_ != nullptr ? gtk_widget_get_window(window_) : nullptr;
  if (w == nullptr || !GDK_IS_X11_WINDOW(w)) return;
  // Shaped in Xlib, not through GDK, so GDK keeps painting the whole window and the cut can grow.
  Display* dpy = GDK_WINDOW_XDISPLAY(w);
  const ::Window xid = GDK_WINDOW_XID(w);
  if (region == nullptr) {
    if (boundingShaped_) XShapeCombineMask(dpy, xid, ShapeBounding, 0, 0, None, ShapeSet);
    boundingShaped_ = false;
    return;
  }
  boundingShaped_ = true;
  const int scale = gtk_widget_get_scale_factor(window_);
  std::vector<XRectangle> rects;
  for (int i = 0, n = cairo_region_num_rectangles(region); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(region, i, &r);
    rects.push_back({static_cast<short>(r.x * scale), static_cast<short>(r.y * scale),
                     static_cast<unsigned short>(r.width * scale), static_cast<unsigned short>(r.height * scale)});
  }
  XShapeCombineRectangles(dpy, xid, ShapeBounding, 0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet,
                          YXBanded);
}

void LinuxToplevel::onRealize(GtkWidget* widget, gpointer self) {
  // GDK would wait for the compositor to report each frame drawn, which a compositor does only for
  // the windows it manages: unmanaged, the window would stop painting after its first frame.
  if (GdkWindow* w = gtk_widget_get_window(widget); w != nullptr && GDK_IS_X11_WINDOW(w)) {
    gdk_x11_window_set_frame_sync_enabled(w, FALSE);
  }
  static_cast<LinuxToplevel*>(self)->applyInputShape();
}

void LinuxToplevel::checkDisplaced() {
  if (window_ == nullptr || !gtk_widget_get_visible(window_) || actual_ == requested_) return;
  // Someone else (a window manager's rule, a tool) moved or resized the window: the next placement
  // puts it back, and the frame stays the one we set.
  displaced_ = true;
  warnOnce("window.moved", "window: moved or resized by someone else, put back");
}

gboolean LinuxToplevel::onConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self) {
  auto* top = static_cast<LinuxToplevel*>(self);
  // Override-redirect windows are children of the root, so these are root coordinates.
  top->actual_ = {event->x, event->y, event->width, event->height};
  // A configure that disagrees with our last request may still be the echo of an earlier request;
  // only a disagreement that lasts is someone else's move.
  guarded("a window configure", [top] {
    top->moveCheck_ = top->loop_.scheduleAfter(kMoveSettle, [top] { top->checkDisplaced(); });
  });
  return FALSE;
}

gboolean LinuxToplevel::onMap(GtkWidget*, GdkEvent*, gpointer self) {
  auto* top = static_cast<LinuxToplevel*>(self);
  top->stack_->restack();
  top->applyInputShape();
  return FALSE;
}

void LinuxToplevel::onDestroy(GtkWidget* w, gpointer self) {
  auto* top = static_cast<LinuxToplevel*>(self);
  if (top->window_ != w) return;
  top->stack_->remove(top);
  top->window_ = nullptr;
}

}  // namespace brindlow::lnx
