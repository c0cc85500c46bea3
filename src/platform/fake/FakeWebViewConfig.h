#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/WebViewConfig.h"

namespace brindlow::fake {

// What became of one request sent on a reply channel. Kept alive by the config after the reply
// object itself is released, so a test can see an answer that never came.
struct ReplyRecord {
  std::vector<nlohmann::json> values;
  std::vector<std::string> errors;
  bool releasedUnanswered = false;
  int replies() const { return static_cast<int>(values.size() + errors.size()); }
};

// The reply object handed to a reply handler; records every answer into its ReplyRecord.
class FakeScriptReply : public platform::ScriptReply {
 public:
  explicit FakeScriptReply(std::shared_ptr<ReplyRecord> record) : record_(std::move(record)) {}
  ~FakeScriptReply() override;
  void replyValue(const nlohmann::json& value) override;
  void replyError(std::string_view code) override;

 private:
  std::shared_ptr<ReplyRecord> record_;
};

// Records what the core registers and sets; messages reach the handlers only through the drivers.
// A channel name may be registered once at a time, of either kind, as on the real engine.
class FakeWebViewConfig : public platform::WebViewConfig {
 public:
  enum class ChannelKind { message, reply };
  struct Channel {
    std::string name;
    ChannelKind kind;
    bool operator==(const Channel&) const = default;
  };

  bool addMessageHandler(std::string name, std::function<void(const platform::ScriptMessage&)> handler) override;
  bool addReplyHandler(std::string name,
                       std::function<void(const platform::ScriptMessage&, std::shared_ptr<platform::ScriptReply>)>
                           handler) override;
  void removeMessageHandler(std::string_view name) override;
  void removeReplyHandler(std::string_view name) override;
  void removeAllUserScripts() override;
  void setSchemeHandler(std::string scheme, std::shared_ptr<platform::SchemeHandler> handler) override;
  void setNonPersistentDataStore() override { nonPersistentDataStore_ = true; }
  void setMediaPlaybackRequiresUserAction(bool required) override { mediaPlaybackRequiresUserAction_ = required; }
  void setElementFullscreenEnabled(bool enabled) override { elementFullscreenEnabled_ = enabled; }
  void setJavaScriptCanOpenWindowsAutomatically(bool can) override { javaScriptCanOpenWindows_ = can; }

  // Drivers: the page posting on a channel from a frame, a value (sent as its JSON text) or the text
  // itself. post() is false and call() is null when no handler of that kind is registered under the
  // name.
  bool post(std::string_view name, const nlohmann::json& body, platform::FrameInfo frame = mainFrame());
  std::shared_ptr<const ReplyRecord> call(std::string_view name, const nlohmann::json& body,
                                          platform::FrameInfo frame = mainFrame());
  bool postText(std::string_view name, std::string text, platform::FrameInfo frame = mainFrame());
  std::shared_ptr<const ReplyRecord> callText(std::string_view name, std::string text,
                                              platform::FrameInfo frame = mainFrame());
  // The application's own main frame: brindlow://app.
  static platform::FrameInfo mainFrame() { return {true, "brindlow", "app"}; }

  // Inspection.
  const std::vector<Channel>& added() const { return added_; }
  const std::vector<Channel>& removed() const { return removed_; }
  std::vector<Channel> live() const;  // in the order registered
  bool hasChannel(std::string_view name, ChannelKind kind) const;
  int removeAllUserScriptsCount() const { return removeAllUserScripts_; }
  std::shared_ptr<platform::SchemeHandler> schemeHandler(std::string_view scheme) const;
  const std::map<std::string, std::shared_ptr<platform::SchemeHandler>, std::less<>>& schemeHandlers() const {
    return schemeHandlers_;
  }
  bool nonPersistentDataStore() const { return nonPersistentDataStore_; }
  std::optional<bool> mediaPlaybackRequiresUserAction() const { return mediaPlaybackRequiresUserAction_; }
  std::optional<bool> elementFullscreenEnabled() const { return elementFullscreenEnabled_; }
  std::optional<bool> javaScriptCanOpenWindowsAutomatically() const { return javaScriptCanOpenWindows_; }
  // Every request sent with call(), in order.
  const std::vector<std::shared_ptr<ReplyRecord>>& replies() const { return replies_; }

 private:
  struct Handler {
    ChannelKind kind;
    uint64_t order;
    std::function<void(const platform::ScriptMessage&)> message;
    std::function<void(const platform::ScriptMessage&, std::shared_ptr<platform::ScriptReply>)> reply;
  };
  bool add(std::string name, Handler handler);
  void remove(std::string_view name, ChannelKind kind);

  std::map<std::string, Handler, std::less<>> handlers_;
  uint64_t nextOrder_ = 1;
  std::vector<Channel> added_;
  std::vector<Channel> removed_;
  int removeAllUserScripts_ = 0;
  std::map<std::string, std::shared_ptr<platform::SchemeHandler>, std::less<>> schemeHandlers_;
  bool nonPersistentDataStore_ = false;
  std::optional<bool> mediaPlaybackRequiresUserAction_;
  std::optional<bool> elementFullscreenEnabled_;
  std::optional<bool> javaScriptCanOpenWindows_;
  std::vector<std::shared_ptr<ReplyRecord>> replies_;
};

}  // namespace brindlow::fake
