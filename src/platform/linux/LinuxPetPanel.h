#pragma once
#include <gtk/gtk.h>

#include <functional>
#include <memory>

#include "platform/PetPanel.h"
#include "platform/linux/PostedObservers.h"
#include "platform/linux/LinuxToplevel.h"

namespace brindlow::lnx {

// The pet window: a transparent override-redirect window holding the web view in a holder box. It
// starts click-through (an empty input shape); never managed, it is on every desktop and in no
// taskbar, pager or switcher, and takes the keyboard itself while it may be key.
// Without a compositor it is cut to the web-view holder, so the margins around the pet do not show
// black; the holder's own transparent pixels still do.
class LinuxPetPanel : public LinuxWindow<platform::PetPanel> {
 public:
  LinuxPetPanel(platform::MainLoop& loop, std::shared_ptr<WindowStack> stack);
  ~LinuxPetPanel() override;

  void setAllowsKey(bool allows) override;
  bool allowsKey() const override { return allowsKey_; }
  bool isKey() const override;
  void makeKey() override;
  void setIgnoresMouseEvents(bool ignores) override;
  bool ignoresMouseEvents() const override { return ignoresMouseEvents_; }
  bool occlusionVisible() const override { return occlusionVisible_; }
  platform::Subscription onOcclusionChanged(std::function<void()> handler) override;
  platform::Subscription onBackingPropertiesChanged(std::function<void()> handler) override;
  void setPointerActivityHandler(std::function<void()> handler) override;
  void setWebView(platform::WebView& view) override;
  void setWebViewFrame(GRect contentBottomUp, bool fillsContent) override;
  GRect webViewFrame() const override { return webViewFrame_; }
  GRect contentBounds() const override;

 private:
  void placeWebView();
  void releaseWebView();
  void updateOcclusion();
  void updateShape();
  static void onCompositedChanged(GdkScreen*, gpointer self);
  void pointerActivity();
  void connectPointerSignals(GtkWidget* widget);
  static gboolean onPointerEvent(GtkWidget*, GdkEvent*, gpointer self);
  void giveKeyBack();
  static gboolean onButtonPress(GtkWidget*, GdkEventButton*, gpointer self);
  static gboolean onMapChange(GtkWidget*, GdkEvent* event, gpointer self);
  static gboolean onVisibility(GtkWidget*, GdkEventVisibility* event, gpointer self);
  static void onScaleFactor(GObject*, GParamSpec*, gpointer self);
  static gboolean onConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self);

  GtkWidget* holder_ = nullptr;
  GtkWidget* webWidget_ = nullptr;  // referenced while it sits in the holder
  GRect webViewFrame_;
  bool fillsContent_ = false;
  bool allowsKey_ = false;
  bool tookKey_ = false;        // makeKey moved the focus here
  unsigned long previousActive_ = 0;  // the X window that was active before
  bool ignoresMouseEvents_ = true;
  bool mapped_ = false;
  bool fullyObscured_ = false;
  bool occlusionVisible_ = false;
  bool activityPosted_ = false;
  GdkScreen* screen_ = nullptr;
  gulong compositedHandler_ = 0;
  GdkMonitor* configuredMonitor_ = nullptr;  // under the window's centre at its last configure
  std::function<void()> pointerActivity_;
  PostedObservers occlusionHandlers_;
  PostedObservers backingHandlers_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace brindlow::lnx
