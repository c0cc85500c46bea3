#include "platform/fake/FakePetPanel.h"

#include "platform/fake/FakeWindowServer.h"

namespace brindlow::fake {

FakePetPanel::FakePetPanel(FakeWindowServer* server) : server_(server) {
  frame_ = {0, 0, 200, 200};
  behavior_ = platform::canJoinAllSpaces | platform::stationary | platform::ignoresCycle;
}

FakePetPanel::~FakePetPanel() {
  *alive_ = false;
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

platform::Subscription FakePetPanel::subscribe(Handlers& handlers, std::function<void()> handler) {
  const int id = nextHandler_++;
  handlers.emplace(id, std::move(handler));
  std::weak_ptr<bool> alive = alive_;
  return platform::Subscription([&handlers, id, alive] {
    if (auto a = alive.lock(); a && *a) handlers.erase(id);
  });
}

void FakePetPanel::notify(const Handlers& handlers) {
  auto copy = handlers;  // a handler may unsubscribe
  for (auto& [id, h] : copy) {
    if (h) h();
  }
}

platform::Subscription FakePetPanel::onOcclusionChanged(std::function<void()> handler) {
  return subscribe(occlusionHandlers_, std::move(handler));
}

platform::Subscription FakePetPanel::onBackingPropertiesChanged(std::function<void()> handler) {
  return subscribe(backingHandlers_, std::move(handler));
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
  notify(occlusionHandlers_);
}

void FakePetPanel::changeBackingScale(std::optional<double> scale) {
  scale_ = scale;
  notify(backingHandlers_);
}

void FakePetPanel::emitPointerActivity() {
  if (pointerActivity_) pointerActivity_();
}

}  // namespace brindlow::fake
