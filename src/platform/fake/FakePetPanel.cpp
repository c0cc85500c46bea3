#include "platform/fake/FakePetPanel.h"

#include "platform/fake/FakeWindowServer.h"

namespace brindlow::fake {

FakePetPanel::FakePetPanel(FakeWindowServer* server) : server_(server) {
  frame_ = {0, 0, 200, 200};
  behavior_ = platform::canJoinAllSpaces | platform::stationary | platform::ignoresCycle;
}

FakePetPanel::~FakePetPanel() {
  if (server_ != nullptr) server_->forget(this);
}

void FakePetPanel::setAllowsKey(bool allows) {
  record("setAllowsKey");
  allowsKey_ = allows;  // read when the panel next asks to become key; a key panel stays key
}

void FakePetPanel::orderOut() {
  FakeWindow::orderOut();
  isKey_ = false;  // a window leaving the screen gives up key status
}

void FakePetPanel::makeKey() {
  record("makeKey");
  if (allowsKey_) isKey_ = true;
}

void FakePetPanel::setIgnoresMouseEvents(bool ignores) {
  record("setIgnoresMouseEvents");
  ignoresMouseEvents_ = ignores;
}

platform::Subscription FakePetPanel::onOcclusionChanged(std::function<void()> handler) {
  return occlusionHandlers_.add(std::move(handler));
}

platform::Subscription FakePetPanel::onBackingPropertiesChanged(std::function<void()> handler) {
  return backingHandlers_.add(std::move(handler));
}

void FakePetPanel::setPointerActivityHandler(std::function<void()> handler) { pointerActivity_ = std::move(handler); }

void FakePetPanel::setWebView(platform::WebView& view) {
  record("setWebView");
  webView_ = &view;
}

void FakePetPanel::setWebViewFrame(GRect contentBottomUp, bool fillsContent) {
  record("setWebViewFrame");
  webViewFrame_ = contentBottomUp;
  fillsContent_ = fillsContent;
}

void FakePetPanel::setOcclusionVisible(bool visible) {
  if (visible == occlusionVisible_) return;
  occlusionVisible_ = visible;
  occlusionHandlers_.emit();
}

void FakePetPanel::changeBackingScale(std::optional<double> scale) {
  scale_ = scale;
  backingHandlers_.emit();
}

void FakePetPanel::emitPointerActivity() {
  if (pointerActivity_) pointerActivity_();
}

}  // namespace brindlow::fake
