#include "platform/fake/FakeWebView.h"

#include <utility>

#include "platform/fake/FakeWebEngine.h"

namespace brindlow::fake {

FakeWebView::FakeWebView(FakeWebEngine* engine, std::shared_ptr<platform::WebViewConfig> config)
    : engine_(engine), config_(std::move(config)) {}

FakeWebView::~FakeWebView() {
  if (engine_ != nullptr) engine_->forget(this);
}

void FakeWebView::loadUrl(std::string_view url, platform::Seconds timeout) {
  loads_.push_back({std::string(url), timeout});
}

void FakeWebView::callAsyncFunction(std::string_view body, std::map<std::string, nlohmann::json> arguments,
                                    std::function<void(bool ok)> done) {
  scriptCalls_.push_back({std::string(body), std::move(arguments), std::move(done), false});
}

void FakeWebView::setNavigationHandlers(std::optional<platform::NavigationHandlers> handlers) {
  ++handlersSet_;
  handlers_ = std::move(handlers);
}

std::optional<bool> FakeWebView::decide(const std::optional<std::string>& url) {
  if (!handlers_ || !handlers_->decidePolicy) return std::nullopt;
  auto decidePolicy = handlers_->decidePolicy;  // the handler may clear the handlers
  return decidePolicy(url);
}

void FakeWebView::commit() {
  if (!handlers_ || !handlers_->didCommit) return;
  auto didCommit = handlers_->didCommit;
  didCommit();
}

void FakeWebView::terminateWebProcess() {
  if (!handlers_ || !handlers_->contentProcessDidTerminate) return;
  auto terminated = handlers_->contentProcessDidTerminate;
  terminated();
}

void FakeWebView::completeScript(std::size_t index, bool ok) {
  if (index >= scriptCalls_.size() || scriptCalls_[index].completed) return;
  scriptCalls_[index].completed = true;
  auto done = scriptCalls_[index].done;  // done may call again and grow the list
  if (done) done(ok);
}

}  // namespace brindlow::fake
