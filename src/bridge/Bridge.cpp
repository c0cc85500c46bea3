#include "bridge/Bridge.h"

#include <algorithm>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "bridge/CallCatalogue.h"
#include "bridge/GeometryJson.h"
#include "bridge/PostCatalogue.h"
#include "platform/MainLoop.h"
#include "platform/MainThread.h"
#include "platform/WebEngine.h"
#include "platform/WebView.h"
#include "platform/WebViewConfig.h"
#include "services/KeyBatcher.h"
#include "util/Log.h"
#include "web/AppSchemeHandler.h"

namespace brindlow {

namespace {

constexpr std::size_t kMaxBodyDepth = 64;
// Longer than any message name: a longer "type" is not kept from a text over the cap.
constexpr std::size_t kMaxTypeBytes = 64;

// Runs its body at most once, however often it is fired.
class Once {
 public:
  explicit Once(std::function<void()> body) : body_(std::move(body)) {}
  void fire() {
    if (auto body = std::exchange(body_, nullptr)) body();
  }

 private:
  std::function<void()> body_;
};

// One flush in flight: whichever of the page's answer and the timeout comes first runs done.
struct FlushWait {
  explicit FlushWait(std::function<void()> done) : once(std::move(done)) {}
  Once once;
  platform::TaskHandle timeout;
};


// The message's "type", if it is a text naming one of Kind's names exactly.
template <class Kind>
std::optional<Kind> kindOf(const Json& body) {
  const Json* type = Bridge::member(body, "type");
  if (type == nullptr || !type->is_string()) return std::nullopt;
  return fromRaw<Kind>(type->get_ref<const std::string&>());
}

// Builds the DOM like nlohmann's own parser, but refuses repeated keys and deep nesting, so no
// later recursive walk over a body can run out of stack.
class BodyParser {
 public:
  using string_t = Json::string_t;

  bool null() { return put(Json(nullptr)); }
  bool boolean(bool value) { return put(Json(value)); }
  bool number_integer(Json::number_integer_t value) { return put(Json(value)); }
  bool number_unsigned(Json::number_unsigned_t value) { return put(Json(value)); }
  bool number_float(Json::number_float_t value, const string_t&) { return put(Json(value)); }
  bool string(string_t& value) { return put(Json(std::move(value))); }
  bool binary(Json::binary_t&) { return false; }
  bool start_object(std::size_t) { return open(Json::object()); }
  bool key(string_t& key) {
    Json& object = *open_.back();
    if (object.contains(key)) return false;
    slot_ = &object[std::move(key)];
    return true;
  }
  bool end_object() { return close(); }
  bool start_array(std::size_t) { return open(Json::array()); }
  bool end_array() { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

  Json take() { return std::move(root_); }

 private:
  // Places a value where the parser stands; the containers on the stack never move, since only the
  // innermost one grows.
  Json* place(Json value) {
    if (open_.empty()) {
      root_ = std::move(value);
      return &root_;
    }
    Json& parent = *open_.back();
    if (parent.is_array()) {
      parent.push_back(std::move(value));
      return &parent.back();
    }
    *slot_ = std::move(value);
    return slot_;
  }
  bool put(Json value) {
    place(std::move(value));
    return true;
  }
  bool open(Json container) {
    if (open_.size() >= kMaxBodyDepth) return false;
    open_.push_back(place(std::move(container)));
    return true;
  }
  bool close() {
    open_.pop_back();
    return true;
  }

  Json root_;
  std::vector<Json*> open_;
  Json* slot_ = nullptr;
};

// Reads a text over the body cap without building it: only the top-level "type" and the length of the
// top-level text "data" are kept. Nothing deeper is read, so repeated keys are refused at the top
// level only.
class CapScanner {
 public:
  using string_t = Json::string_t;

  bool null() { return true; }
  bool boolean(bool) { return true; }
  bool number_integer(Json::number_integer_t) { return true; }
  bool number_unsigned(Json::number_unsigned_t) { return true; }
  bool number_float(Json::number_float_t, const string_t&) { return true; }
  bool string(string_t& value) {
    if (!atTop()) return true;
    if (key_ == "type" && value.size() <= kMaxTypeBytes) type_ = std::move(value);
    if (key_ == "data") dataBytes_ = value.size();
    return true;
  }
  bool binary(Json::binary_t&) { return false; }
  bool start_object(std::size_t) { return open(true); }
  bool key(string_t& key) {
    if (depth_ != 1) return true;
    if (!keys_.insert(key).second) return false;
    key_ = std::move(key);
    return true;
  }
  bool end_object() { return close(); }
  bool start_array(std::size_t) { return open(false); }
  bool end_array() { return close(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) { return false; }

  Bridge::PageBody take() {
    Bridge::PageBody body;
    if (!rootIsObject_) return body;
    body.value = Json::object();
    if (type_) body.value["type"] = std::move(*type_);
    body.overCap = true;
    body.dataBytes = dataBytes_;
    return body;
  }

 private:
  bool atTop() const { return depth_ == 1 && rootIsObject_; }
  bool open(bool object) {
    if (depth_ == 0) rootIsObject_ = object;
    if (depth_ >= kMaxBodyDepth) return false;
    ++depth_;
    return true;
  }
  bool close() {
    --depth_;
    return true;
  }

  std::size_t depth_ = 0;
  bool rootIsObject_ = false;
  std::set<string_t> keys_;
  string_t key_;
  std::optional<string_t> type_;
  std::optional<std::size_t> dataBytes_;
};

// Runs one SAX pass; false when the parser refused the text.
template <class Handler>
bool saxParse(std::string_view text, Handler& handler) {
  try {
    return Json::sax_parse(text, &handler);
  } catch (const Json::exception&) {
    return false;
  }
}

}  // namespace

// ---- Replies.

struct Bridge::Reply::State {
  std::shared_ptr<platform::ScriptReply> reply;
  std::weak_ptr<const Bridge> bridge;
  bool answered = false;

  bool claim() { return reply && !std::exchange(answered, true); }
  ~State() {
    if (claim()) reply->replyError(BridgeError::encode);
  }
};

Bridge::Reply::Reply(std::shared_ptr<platform::ScriptReply> reply, std::weak_ptr<const Bridge> bridge)
    : state_(std::make_shared<State>()) {
  state_->reply = std::move(reply);
  state_->bridge = std::move(bridge);
}

void Bridge::Reply::value(Json value) const {
  if (state_->claim()) state_->reply->replyValue(value);
}

void Bridge::Reply::error(std::string_view code) const {
  if (state_->claim()) state_->reply->replyError(code);
}

bool Bridge::Reply::answered() const { return state_->answered; }

bool Bridge::Reply::bridgeAlive() const { return !state_->bridge.expired(); }

// ---- Set-up.

Bridge::Bridge(const platform::Platform& platform, std::optional<std::string> resourceDirectory)
    : platform_(platform), resourceDirectory_(std::move(resourceDirectory)) {}

Bridge::~Bridge() = default;

void Bridge::assertMainThread() const { platform::assertMainThread(*platform_.mainLoop); }

std::shared_ptr<platform::WebViewConfig> Bridge::makeConfiguration() {
  const platform::MainLoop& loop = *platform_.mainLoop;
  std::shared_ptr<platform::WebViewConfig> config = platform_.webEngine->makeConfiguration();
  config->addMessageHandler(std::string(BridgeChannel::post), WeakScriptMessageHandler(loop, weak_from_this()));
  config->addReplyHandler(std::string(BridgeChannel::call), WeakScriptMessageReplyHandler(loop, weak_from_this()));
  config->setSchemeHandler(std::string(BridgeChannel::scheme),
                           std::make_shared<AppSchemeHandler>(loop, resourceDirectory_));
  config->setNonPersistentDataStore();
  config->setMediaPlaybackRequiresUserAction(false);
  config->setElementFullscreenEnabled(false);
  config->setJavaScriptCanOpenWindowsAutomatically(false);
  contentController_ = config;
  return config;
}

void Bridge::attach(std::weak_ptr<platform::WebView> webView, Parts parts) {
  webView_ = std::move(webView);
  parts_ = std::move(parts);
}

void Bridge::detach() {
  if (auto controller = contentController_.lock()) {
    controller->removeMessageHandler(BridgeChannel::post);
    controller->removeReplyHandler(BridgeChannel::call);
    controller->removeAllUserScripts();
  }
  ready = false;
  parts_.reset();
}

// ---- Page to native.

void Bridge::didReceiveScriptMessage(const platform::ScriptMessage& message) {
  assertMainThread();
  handlePost(message);
}

void Bridge::didReceiveScriptMessageWithReply(const platform::ScriptMessage& message,
                                              std::shared_ptr<platform::ScriptReply> reply) {
  assertMainThread();
  handleCall(message, std::move(reply));
}

void Bridge::handlePost(const platform::ScriptMessage& message) {
  if (!isTrustedFrame(message) || !parts_) return;
  const PageBody body = readBody(message.body);
  const std::optional<PostKind> kind = kindOf<PostKind>(body.value);
  if (!kind) {
    warnOnce("post.unknown", "post: unknown message");
    return;
  }
  // No message has arguments that large.
  if (body.overCap) return dropBadValue(*kind);
  // A copy, so an entry that ends up detaching the bridge keeps its services.
  const Parts parts = *parts_;
  runPost(*kind, body.value, parts, platform_.application);
}

void Bridge::handleCall(const platform::ScriptMessage& message, std::shared_ptr<platform::ScriptReply> reply) {
  const Reply answer(std::move(reply), weak_from_this());
  if (!isTrustedFrame(message) || !parts_) return answer.error(BridgeError::origin);
  const Parts parts = *parts_;
  const PageBody body = readBody(message.body);
  const std::optional<CallKind> kind = kindOf<CallKind>(body.value);
  if (!kind) return answer.error(BridgeError::unknown);
  if (body.overCap) return runOverCapCall(*kind, body.dataBytes, answer);
  runCall(*kind, body.value, parts, answer, *this, platform_);
}

bool Bridge::isTrustedFrame(const platform::ScriptMessage& message) {
  const platform::FrameInfo& frame = message.frame;
  return frame.isMainFrame && frame.scheme == BridgeChannel::scheme && frame.host == BridgeChannel::host;
}

const Json* Bridge::member(const Json& body, std::string_view key) {
  if (!body.is_object()) return nullptr;
  const auto it = body.find(key);
  return it == body.end() ? nullptr : &*it;
}

std::optional<GRect> Bridge::parseRect(const Json* value) {
  if (value == nullptr || !value->is_object()) return std::nullopt;
  double sides[4];
  const std::string_view keys[4] = {"x", "y", "w", "h"};
  for (int i = 0; i < 4; ++i) {
    const Json* side = member(*value, keys[i]);
    if (side == nullptr || !side->is_number()) return std::nullopt;
    sides[i] = side->get<double>();
  }
  const GRect rect{sides[0], sides[1], sides[2], sides[3]};
  if (!rect.isFinite()) return std::nullopt;
  return rect;
}

void Bridge::dropBadValue(PostKind kind) {
  const std::string name(rawValue(kind));
  warnOnce("post." + name, "post " + name + ": bad value, dropped");
}

std::optional<Json> Bridge::parseBody(std::string_view text) {
  PageBody body = readBody(text);
  if (body.overCap || body.value.is_null()) return std::nullopt;
  return std::move(body.value);
}

Bridge::PageBody Bridge::readBody(std::string_view text) {
  std::string repaired;
  const std::optional<std::string_view> readable = browserJsonText(text, repaired);
  if (!readable) return {};
  if (readable->size() > bodyCap) {
    CapScanner scanner;
    if (!saxParse(*readable, scanner)) return {};
    return scanner.take();
  }
  BodyParser parser;
  if (!saxParse(*readable, parser)) return {};
  PageBody body;
  body.value = parser.take();
  return body;
}

// ---- Native to page.

std::optional<Json> Bridge::pageValue(std::optional<Json> encoded) {
  if (!encoded) return std::nullopt;
  // Text that is not UTF-8 (a damaged save file, say) has no JSON text form; writing it would throw.
  try {
    (void)encoded->dump();
  } catch (const Json::exception&) {
    return std::nullopt;
  }
  return encoded;
}

void Bridge::sendValue(PageEvent event, std::optional<Json> arg) {
  std::shared_ptr<platform::WebView> view = webView_.lock();
  if (!view || !arg) return;
  view->callAsyncFunction(BridgeScript::event,
                          {{"fn", Json(std::string(rawValue(event)))}, {"arg", std::move(*arg)}},
                          [](bool /*ok*/) {});
}

void Bridge::flush(FlushReason reason, std::function<void()> done) {
  std::shared_ptr<platform::WebView> view = webView_.lock();
  std::optional<Json> arg;
  if (ready && view) arg = pageValue(Json{{"reason", std::string(rawValue(reason))}});
  if (!arg) {
    if (done) done();
    return;
  }
  platform::MainLoop& loop = *platform_.mainLoop;
  auto wait = std::make_shared<FlushWait>(std::move(done));
  wait->timeout = loop.scheduleAfter(BridgeScript::flushTimeout, [wait, &loop] {
    platform::assertMainThread(loop);
    wait->once.fire();
  });
  view->callAsyncFunction(BridgeScript::flush, {{"arg", std::move(*arg)}}, [wait, &loop](bool /*ok*/) {
    platform::assertMainThread(loop);
    wait->timeout.cancel();
    wait->once.fire();
  });
}

void Bridge::deliverKeys(const KeysEvent& batch) {
  if (ready) {
    send(PageEvent::onKeys, batch);
    return;
  }
  pendingKeys = merged(batch, pendingKeys);
}

void Bridge::flushPending() {
  if (!pendingKeys) return;
  const KeysEvent held = *std::exchange(pendingKeys, std::nullopt);
  send(PageEvent::onKeys, held);
}

}  // namespace brindlow
