#include "platform/fake/FakeWebViewConfig.h"

#include <algorithm>
#include <utility>

namespace brindlow::fake {

FakeScriptReply::~FakeScriptReply() {
  if (record_->replies() == 0) record_->releasedUnanswered = true;
}

void FakeScriptReply::replyValue(const nlohmann::json& value) { record_->values.push_back(value); }

void FakeScriptReply::replyError(std::string_view code) { record_->errors.emplace_back(code); }

bool FakeWebViewConfig::add(std::string name, Handler handler) {
  if (handlers_.contains(name)) return false;
  added_.push_back({name, handler.kind});
  handler.order = nextOrder_++;
  handlers_.emplace(std::move(name), std::move(handler));
  return true;
}

bool FakeWebViewConfig::addMessageHandler(std::string name,
                                          std::function<void(const platform::ScriptMessage&)> handler) {
  return add(std::move(name), Handler{ChannelKind::message, 0, std::move(handler), nullptr});
}

bool FakeWebViewConfig::addReplyHandler(
    std::string name,
    std::function<void(const platform::ScriptMessage&, std::shared_ptr<platform::ScriptReply>)> handler) {
  return add(std::move(name), Handler{ChannelKind::reply, 0, nullptr, std::move(handler)});
}

void FakeWebViewConfig::remove(std::string_view name, ChannelKind kind) {
  auto it = handlers_.find(name);
  if (it == handlers_.end() || it->second.kind != kind) return;
  removed_.push_back({std::string(name), kind});
  handlers_.erase(it);
}

void FakeWebViewConfig::removeMessageHandler(std::string_view name) { remove(name, ChannelKind::message); }

void FakeWebViewConfig::removeReplyHandler(std::string_view name) { remove(name, ChannelKind::reply); }

void FakeWebViewConfig::removeAllUserScripts() { ++removeAllUserScripts_; }

void FakeWebViewConfig::setSchemeHandler(std::string scheme, std::shared_ptr<platform::SchemeHandler> handler) {
  schemeHandlers_[std::move(scheme)] = std::move(handler);
}

bool FakeWebViewConfig::post(std::string_view name, const nlohmann::json& body, platform::FrameInfo frame) {
  return postText(name, body.dump(), std::move(frame));
}

std::shared_ptr<const ReplyRecord> FakeWebViewConfig::call(std::string_view name, const nlohmann::json& body,
                                                           platform::FrameInfo frame) {
  return callText(name, body.dump(), std::move(frame));
}

bool FakeWebViewConfig::postText(std::string_view name, std::string text, platform::FrameInfo frame) {
  auto it = handlers_.find(name);
  if (it == handlers_.end() || it->second.kind != ChannelKind::message) return false;
  auto handler = it->second.message;  // the handler may remove itself
  handler(platform::ScriptMessage{std::move(text), std::move(frame)});
  return true;
}

std::shared_ptr<const ReplyRecord> FakeWebViewConfig::callText(std::string_view name, std::string text,
                                                               platform::FrameInfo frame) {
  auto it = handlers_.find(name);
  if (it == handlers_.end() || it->second.kind != ChannelKind::reply) return nullptr;
  auto handler = it->second.reply;
  auto record = std::make_shared<ReplyRecord>();
  replies_.push_back(record);
  handler(platform::ScriptMessage{std::move(text), std::move(frame)}, std::make_shared<FakeScriptReply>(record));
  return record;
}

std::vector<FakeWebViewConfig::Channel> FakeWebViewConfig::live() const {
  std::vector<std::pair<uint64_t, Channel>> ordered;
  for (const auto& [name, h] : handlers_) ordered.push_back({h.order, Channel{name, h.kind}});
  std::sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Channel> out;
  for (auto& [order, channel] : ordered) out.push_back(std::move(channel));
  return out;
}

bool FakeWebViewConfig::hasChannel(std::string_view name, ChannelKind kind) const {
  auto it = handlers_.find(name);
  return it != handlers_.end() && it->second.kind == kind;
}

std::shared_ptr<platform::SchemeHandler> FakeWebViewConfig::schemeHandler(std::string_view scheme) const {
  auto it = schemeHandlers_.find(scheme);
  return it == schemeHandlers_.end() ? nullptr : it->second;
}

}  // namespace brindlow::fake
