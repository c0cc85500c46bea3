#pragma once
#include <functional>

#include "platform/HandlerList.h"
#include "platform/PetPanel.h"
#include "platform/fake/FakeWindow.h"

namespace brindlow::fake {

class FakeWindowServer;

// The pet panel's fixed traits: starts click-through and not key-capable, never constrained to a
// screen (frames are kept as set), becomes key only while allowsKey is set, and has no context menu.
// Created with the frame (0, 0, 200, 200), ordered out, backing scale 2, occlusion visible, and the
// collection behaviour all spaces + stationary + ignores cycle (81).
class FakePetPanel : public FakeWindow<platform::PetPanel> {
 public:
  explicit FakePetPanel(FakeWindowServer* server);
  ~FakePetPanel() override;

  void setAllowsKey(bool allows) override;
  bool allowsKey() const override { return allowsKey_; }
  bool isKey() const override { return isKey_; }
  void makeKey() override;
  void orderOut() override;
  void setIgnoresMouseEvents(bool ignores) override;
  bool ignoresMouseEvents() const override { return ignoresMouseEvents_; }
  bool occlusionVisible() const override { return occlusionVisible_; }
  platform::Subscription onOcclusionChanged(std::function<void()> handler) override;
  platform::Subscription onBackingPropertiesChanged(std::function<void()> handler) override;
  void setPointerActivityHandler(std::function<void()> handler) override;
  void setWebView(platform::WebView& view) override;
  void setWebViewFrame(GRect contentBottomUp, bool fillsContent) override;
  GRect webViewFrame() const override { return webViewFrame_; }
  GRect contentBounds() const override { return {0, 0, frame_.w, frame_.h}; }

  // Inspection.
  platform::WebView* webView() const { return webView_; }
  bool webViewFillsContent() const { return fillsContent_; }
  bool canBecomeKeyWindow() const { return allowsKey_; }
  bool constrainsFrameToScreen() const { return false; }
  bool hasContextMenu() const { return false; }

  // Drivers.
  void setOcclusionVisible(bool visible);  // notifies only on a change
  void changeBackingScale(std::optional<double> scale);
  void emitPointerActivity();
  void resignKey() { isKey_ = false; }

 private:
  FakeWindowServer* server_;
  bool allowsKey_ = false;
  bool isKey_ = false;
  bool ignoresMouseEvents_ = true;
  bool occlusionVisible_ = true;
  bool fillsContent_ = false;
  GRect webViewFrame_;
  platform::WebView* webView_ = nullptr;
  std::function<void()> pointerActivity_;
  platform::HandlerList<void()> occlusionHandlers_;
  platform::HandlerList<void()> backingHandlers_;
};

}  // namespace brindlow::fake
