#pragma once
#include <functional>

#include "platform/Subscription.h"
#include "platform/Window.h"

namespace brindlow::platform {

class WebView;

// The borderless, transparent, non-activating pet window. It starts click-through, is never
// constrained to a screen, becomes key only while allowsKey is set, and shows no context menu.
class PetPanel : public Window {
 public:
  virtual void setAllowsKey(bool allows) = 0;
  virtual bool allowsKey() const = 0;
  virtual bool isKey() const = 0;
  virtual void makeKey() = 0;
  virtual void setIgnoresMouseEvents(bool ignores) = 0;
  virtual bool ignoresMouseEvents() const = 0;
  virtual bool occlusionVisible() const = 0;
  virtual Subscription onOcclusionChanged(std::function<void()> handler) = 0;
  virtual Subscription onBackingPropertiesChanged(std::function<void()> handler) = 0;
  // Pointer entered, moved inside or left the panel; delivered from the main loop.
  virtual void setPointerActivityHandler(std::function<void()> handler) = 0;
  virtual void setWebView(WebView& view) = 0;
  // The web-view holder, in bottom-up content coordinates; `fillsContent` makes it track the content size.
  virtual void setWebViewFrame(GRect contentBottomUp, bool fillsContent) = 0;
  virtual GRect webViewFrame() const = 0;
  virtual GRect contentBounds() const = 0;
};

}  // namespace brindlow::platform
