#pragma once
#include <X11/Xlib.h>
#include <gtk/gtk.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "model/Geometry.h"
#include "platform/MainLoop.h"
#include "platform/TaskHandle.h"
#include "platform/Window.h"

namespace brindlow::lnx {

class LinuxToplevel;

// Our own top-level windows. They are override-redirect, so no window manager places, constrains or
// stacks them: this keeps their order. Windows above level 0 go on top of everything in ascending
// level, the others to the bottom; whenever a managed window is mapped or restacked, the upper ones
// are raised again. It also knows the monitor a focused full-screen window covers, which hides the
// windows not marked full-screen auxiliary.
class WindowStack {
 public:
  WindowStack();
  ~WindowStack();
  WindowStack(const WindowStack&) = delete;
  WindowStack& operator=(const WindowStack&) = delete;

  void add(LinuxToplevel* window) { windows_.push_back(window); }
  void remove(LinuxToplevel* window);
  // All windows in level order; `lowered` also sends the lower ones to the bottom.
  void restack(bool lowered = true) const;
  GdkMonitor* fullscreenMonitor() const { return fullscreenMonitor_; }
  void setFullscreenMonitor(GdkMonitor* monitor);

 private:
  static GdkFilterReturn onXEvent(GdkXEvent* xevent, GdkEvent*, gpointer self);

  std::vector<LinuxToplevel*> windows_;
  GdkMonitor* fullscreenMonitor_ = nullptr;
  Display* dpy_ = nullptr;
  ::Window root_ = 0;
};

// One borderless, transparent, override-redirect GTK window with the traits both window kinds share.
// Frames are page coordinates, kept exactly as set. Nothing else should move it; when something
// does anyway, the next placement puts it back and the frame stays ours.
class LinuxToplevel {
 public:
  LinuxToplevel(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack, GRect frame);
  ~LinuxToplevel();
  LinuxToplevel(const LinuxToplevel&) = delete;
  LinuxToplevel& operator=(const LinuxToplevel&) = delete;

  GtkWidget* widget() const { return window_; }
  // Places and sizes the window for the current frame; call once the content-size hook is set.
  void applyFrame() { apply(true, false); }
  platform::MainLoop& loop() const { return loop_; }

  GRect frame() const { return frame_; }
  void setFrame(GRect frame, bool display);
  void setFrameOrigin(GPoint topLeft);
  void setLevel(int level);
  int level() const { return level_; }
  void setCollectionBehavior(uint32_t bits);
  uint32_t collectionBehavior() const { return behavior_; }
  void orderFrontRegardless();
  void orderOut();
  bool isVisible() const;
  std::optional<double> backingScale() const;
  void close();
  // Click-through: an empty input shape lets every click reach the window below.
  void setClickThrough(bool clickThrough);
  // Without a compositor transparent pixels show black, so the window is cut to what it draws:
  // `region` in window pixels (logical), or null for no cut. Does nothing until the window is realized.
  void setBoundingShape(const cairo_region_t* region);
  // Re-reads whether a focused full-screen window on our monitor keeps this window out.
  void updateSuppression();
  // Puts the window back where we placed it when someone else moved or resized it.
  void restoreIfDisplaced();
  // The X window, or 0 before it is realized.
  ::Window xid() const;

  // The content size in logical pixels changed.
  std::function<void(int w, int h)> onContentSize;
  // Runs just before the window is destroyed, so children owned elsewhere can be taken out first.
  std::function<void()> beforeDestroy;

 private:
  struct Geometry {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Geometry&) const = default;
  };
  void apply(bool resize, bool display);
  void syncVisibility();
  void checkDisplaced();
  void applyInputShape() const;
  static void onRealize(GtkWidget*, gpointer self);
  static gboolean onConfigure(GtkWidget*, GdkEventConfigure*, gpointer self);
  static gboolean onMap(GtkWidget*, GdkEvent*, gpointer self);
  static void onDestroy(GtkWidget*, gpointer self);

  platform::MainLoop& loop_;
  std::shared_ptr<WindowStack> stack_;
  GtkWidget* window_ = nullptr;
  GRect frame_;
  Geometry requested_;
  Geometry actual_;         // as the last configure notification from the X server says
  bool displaced_ = false;  // actual_ stayed away from requested_
  bool boundingShaped_ = false;
  int level_ = 0;
  uint32_t behavior_ = 0;
  bool clickThrough_ = false;
  bool wantVisible_ = false;  // ordered in by the caller
  bool suppressed_ = false;   // kept out by the full-screen rule
  platform::TaskHandle moveCheck_;
};

// The platform::Window half of both window kinds, forwarded to the shared top level.
template <class Base>
class LinuxWindow : public Base {
 public:
  GRect frame() const override { return top_.frame(); }
  void setFrame(GRect frame, bool display) override { top_.setFrame(frame, display); }
  void setFrameOrigin(GPoint topLeft) override { top_.setFrameOrigin(topLeft); }
  void setLevel(int level) override { top_.setLevel(level); }
  int level() const override { return top_.level(); }
  void setCollectionBehavior(uint32_t bits) override { top_.setCollectionBehavior(bits); }
  uint32_t collectionBehavior() const override { return top_.collectionBehavior(); }
  void orderFrontRegardless() override { top_.orderFrontRegardless(); }
  void orderOut() override { top_.orderOut(); }
  bool isVisible() const override { return top_.isVisible(); }
  std::optional<double> backingScale() const override { return top_.backingScale(); }
  void close() override { top_.close(); }

 protected:
  LinuxWindow(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack, GRect frame)
      : top_(loop, std::move(stack), frame) {}

  LinuxToplevel top_;
};

}  // namespace brindlow::lnx
