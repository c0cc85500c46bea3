#include "platform/linux/LinuxToplevel.h"

#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <gdk/gdkx.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/linux/GlibUtil.h"
#include "platform/linux/LinuxCoordinates.h"

namespace brindlow::lnx {

namespace {

// A configure that disagrees with our last request may still be the echo of an earlier request;
// only a disagreement that lasts this long is the window manager's own move.
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

void WindowStack::remove(LinuxToplevel* window) { std::erase(windows_, window); }

void WindowStack::restack() const {
  auto order = windows_;
  std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->level() < b->level(); });
  GdkWindow* below = nullptr;
  for (LinuxToplevel* top : order) {
    GtkWidget* widget = top->widget();
    if (widget == nullptr || !gtk_widget_get_mapped(widget)) continue;
    GdkWindow* w = gtk_widget_get_window(widget);
    if (below != nullptr) gdk_window_restack(w, below, TRUE);
    below = w;
  }
}

void WindowStack::setFullscreenMonitor(GdkMonitor* monitor) {
  if (monitor == fullscreenMonitor_) return;
  fullscreenMonitor_ = monitor;
  for (LinuxToplevel* top : std::vector(windows_)) top->updateSuppression();
}

LinuxToplevel::LinuxToplevel(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack, GRect frame)
    : loop_(loop), stack_(std::move(stack)), frame_(frame) {
  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  GtkWindow* win = GTK_WINDOW(window_);
  gtk_window_set_decorated(win, FALSE);
  gtk_window_set_resizable(win, FALSE);
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
  updateSuppression();
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
  if (GdkWindow* w = gtk_widget_get_window(window_)) gdk_window_raise(w);
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
    XShapeCombineMask(dpy, xid, ShapeBounding, 0, 0, None, ShapeSet);
    return;
  }
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

void LinuxToplevel::onRealize(GtkWidget*, gpointer self) { static_cast<LinuxToplevel*>(self)->applyInputShape(); }

void LinuxToplevel::checkWindowManagerMove() {
  if (window_ == nullptr || !gtk_widget_get_visible(window_)) return;
  Geometry now;
  gtk_window_get_position(GTK_WINDOW(window_), &now.x, &now.y);
  gtk_window_get_size(GTK_WINDOW(window_), &now.w, &now.h);
  if (now == requested_) return;
  const bool resized = now.w != requested_.w || now.h != requested_.h;
  requested_ = now;
  frame_ = rootToPage(GRect{double(now.x), double(now.y), double(now.w), double(now.h)});
  if (resized && onContentSize) onContentSize(now.w, now.h);
}

gboolean LinuxToplevel::onConfigure(GtkWidget*, GdkEventConfigure*, gpointer self) {
  auto* top = static_cast<LinuxToplevel*>(self);
  guarded("a window configure", [top] {
    top->moveCheck_ = top->loop_.scheduleAfter(kMoveSettle, [top] { top->checkWindowManagerMove(); });
  });
  return FALSE;
}

gboolean LinuxToplevel::onMap(GtkWidget*, GdkEvent*, gpointer self) {
  auto* top = static_cast<LinuxToplevel*>(self);
  // Restacking needs the window manager to have taken the window on, so order-in is not enough.
  top->stack_->restack();
  // A window manager copies the input shape to its frame on a change, not always when it takes the window.
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
