#pragma once
#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "platform/HandlerList.h"
#include "platform/StripWindow.h"
#include "platform/linux/LinuxToplevel.h"

namespace brindlow::lnx {

// A land strip: a transparent, always click-through top level whose drawing area paints through a
// bottom-up cairo canvas with one group alpha. Without a compositor the window is shaped to the
// cells drawn, so nothing shows as a black box.
class LinuxStripWindow : public LinuxWindow<platform::StripWindow> {
 public:
  LinuxStripWindow(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack, GRect frame);
  ~LinuxStripWindow() override;

  GRect bounds() const override;
  void setDrawHandler(std::function<void(platform::Canvas&, GRect dirty)> handler) override;
  void setNeedsDisplay(GRect dirtyBottomUp) override;
  void setNeedsDisplayAll() override;
  void setContentAlpha(double alpha) override;
  platform::Subscription requestAnimationFrames(std::function<void(platform::Seconds frameTime)> handler) override;

 private:
  using RegionPtr = std::unique_ptr<cairo_region_t, decltype(&cairo_region_destroy)>;
  void draw(cairo_t* cr);
  void applyShape();
  bool tick(GdkFrameClock* clock);  // false when a handler closed the strip
  void stopTicksIfIdle();
  static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer self);
  static gboolean onTick(GtkWidget*, GdkFrameClock* clock, gpointer self);
  static void onCompositedChanged(GdkScreen*, gpointer self);

  GtkWidget* area_ = nullptr;
  std::function<void(platform::Canvas&, GRect)> drawHandler_;
  double alpha_ = 1;
  RegionPtr painted_{cairo_region_create(), cairo_region_destroy};
  RegionPtr shape_{nullptr, cairo_region_destroy};  // what the bounding shape holds now; null = unshaped
  platform::HandlerList<void(platform::Seconds)> frameHandlers_;
  guint tickId_ = 0;
  GdkScreen* screen_ = nullptr;
  gulong compositedHandler_ = 0;
};

}  // namespace brindlow::lnx
