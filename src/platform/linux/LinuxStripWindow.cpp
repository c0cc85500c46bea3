#include "platform/linux/LinuxStripWindow.h"

#include "platform/linux/GlibUtil.h"
#include "platform/linux/LinuxCanvas.h"
#include "platform/linux/LinuxCoordinates.h"

namespace brindlow::lnx {

LinuxStripWindow::LinuxStripWindow(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack, GRect frame)
    : LinuxWindow(loop, std::move(stack), frame) {
  GtkWidget* win = top_.widget();
  // An empty top level would be sized by GTK's minimum; the drawing area carries the real size.
  area_ = gtk_drawing_area_new();
  gtk_container_add(GTK_CONTAINER(win), area_);
  gtk_widget_show(area_);
  top_.onContentSize = [this](int w, int h) { gtk_widget_set_size_request(area_, w, h); };
  top_.applyFrame();
  g_signal_connect(area_, "draw", G_CALLBACK(onDraw), this);
  top_.setClickThrough(true);
  screen_ = gtk_widget_get_screen(win);
  compositedHandler_ = g_signal_connect(screen_, "composited-changed", G_CALLBACK(onCompositedChanged), this);
  frameHandlers_.setOnRemove([this](const auto&) { stopTicksIfIdle(); });
}

LinuxStripWindow::~LinuxStripWindow() {
  g_signal_handler_disconnect(screen_, compositedHandler_);
  if (top_.widget() != nullptr && tickId_ != 0) gtk_widget_remove_tick_callback(area_, tickId_);
}

GRect LinuxStripWindow::bounds() const {
  const GRect f = top_.frame();
  return {0, 0, f.w, f.h};
}

void LinuxStripWindow::setDrawHandler(std::function<void(platform::Canvas&, GRect)> handler) {
  drawHandler_ = std::move(handler);
}

void LinuxStripWindow::setNeedsDisplay(GRect dirtyBottomUp) {
  if (top_.widget() == nullptr) return;
  const double h = top_.frame().h;
  const GdkRectangle r = roundOut({dirtyBottomUp.x, h - dirtyBottomUp.y - dirtyBottomUp.h, dirtyBottomUp.w, dirtyBottomUp.h});
  gtk_widget_queue_draw_area(area_, r.x, r.y, r.width, r.height);
}

void LinuxStripWindow::setNeedsDisplayAll() {
  if (top_.widget() != nullptr) gtk_widget_queue_draw(area_);
}

void LinuxStripWindow::setContentAlpha(double alpha) {
  alpha_ = alpha;
  setNeedsDisplayAll();
}

void LinuxStripWindow::draw(cairo_t* cr) {
  const double h = gtk_widget_get_allocated_height(area_);
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  cairo_clip_extents(cr, &x1, &y1, &x2, &y2);
  const GdkRectangle dirtyPixels = roundOut({x1, y1, x2 - x1, y2 - y1});
  const cairo_rectangle_int_t dirtyCell{dirtyPixels.x, dirtyPixels.y, dirtyPixels.width, dirtyPixels.height};
  cairo_region_subtract_rectangle(painted_.get(), &dirtyCell);

  cairo_push_group(cr);
  cairo_save(cr);
  cairo_translate(cr, 0, h);
  cairo_scale(cr, 1, -1);
  LinuxCanvas canvas(cr, h, painted_.get());
  if (drawHandler_) drawHandler_(canvas, GRect{x1, h - y2, x2 - x1, y2 - y1});
  cairo_restore(cr);
  cairo_pop_group_to_source(cr);
  cairo_paint_with_alpha(cr, alpha_);
  applyShape();
}

void LinuxStripWindow::applyShape() {
  GtkWidget* win = top_.widget();
  if (win == nullptr) return;
  if (gdk_screen_is_composited(gtk_widget_get_screen(win))) {
    if (shape_ == nullptr) return;
    top_.setBoundingShape(nullptr);
    shape_.reset();
    return;
  }
  if (shape_ != nullptr && cairo_region_equal(shape_.get(), painted_.get())) return;
  top_.setBoundingShape(painted_.get());
  shape_.reset(cairo_region_copy(painted_.get()));
}

platform::Subscription LinuxStripWindow::requestAnimationFrames(std::function<void(platform::Seconds)> handler) {
  auto subscription = frameHandlers_.add([handler = std::move(handler)](platform::Seconds frameTime) {
    guarded("a strip window", [&] { handler(frameTime); });
  });
  if (tickId_ == 0 && top_.widget() != nullptr) tickId_ = gtk_widget_add_tick_callback(area_, onTick, this, nullptr);
  return subscription;
}

void LinuxStripWindow::stopTicksIfIdle() {
  if (!frameHandlers_.empty() || tickId_ == 0) return;
  if (top_.widget() != nullptr) gtk_widget_remove_tick_callback(area_, tickId_);
  tickId_ = 0;
}

bool LinuxStripWindow::tick(GdkFrameClock* clock) {
  // Frame times are on GLib's monotonic clock in microseconds; the page wants them as uptime.
  const double age = static_cast<double>(g_get_monotonic_time() - gdk_frame_clock_get_frame_time(clock)) / 1e6;
  const platform::Seconds frameTime = top_.loop().uptime() - age;
  return frameHandlers_.emit(frameTime);
}

gboolean LinuxStripWindow::onDraw(GtkWidget*, cairo_t* cr, gpointer self) {
  guarded("a strip window", [self, cr] { static_cast<LinuxStripWindow*>(self)->draw(cr); });
  return TRUE;
}

gboolean LinuxStripWindow::onTick(GtkWidget*, GdkFrameClock* clock, gpointer self) {
  auto* strip = static_cast<LinuxStripWindow*>(self);
  if (!strip->tick(clock)) return G_SOURCE_REMOVE;  // a handler closed the strip
  if (strip->frameHandlers_.empty()) {
    strip->tickId_ = 0;
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

void LinuxStripWindow::onCompositedChanged(GdkScreen*, gpointer self) {
  guarded("a strip window", [self] { static_cast<LinuxStripWindow*>(self)->setNeedsDisplayAll(); });
}

}  // namespace brindlow::lnx
