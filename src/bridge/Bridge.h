#pragma once
// The page bridge: two script-message channels from the page ("brindlow", fire and forget, and
// "brindlowCall", request with reply) and the events sent back into it.
//
// Only the application's own main frame (scheme "brindlow", host "app") is heard, and only while the
// bridge is attached. Every request gets exactly one reply: a value, or one of the BridgeError codes.
// The catalogue entries sit in PostCatalogue and CallCatalogue; an entry reads its arguments either
// directly (one member of the body, `member`, `parseRect`) or as a whole record with
// decodeBody<T>(body) (util/Json.h), calls `dropBadValue` for a bad post and replies "bad" for a bad
// request, and answers through `replyEncoded` or `Reply::error`.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bridge/GeometryJson.h"
#include "bridge/WeakScriptMessageHandler.h"
#include "model/Geometry.h"
#include "model/KeysEvent.h"
#include "model/LinkId.h"
#include "platform/MainLoop.h"
#include "platform/Platform.h"
#include "platform/ScriptMessage.h"
#include "platform/TaskHandle.h"
#include "util/Enum.h"
#include "util/Json.h"

namespace brindlow {

namespace platform {
class WebView;
class WebViewConfig;
}  // namespace platform

class PrefsStore;
class InputPermission;
class SaveFile;
class PetWindowController;
class LandStrips;
class StatusItemController;
class SystemWatch;
class AppWindows;

// The fire-and-forget messages, in table order.
enum class PostKind {
  petFrame, hitRects, dragBegin, windowMode, menuContext, statusUpdate, statusIcon, landState,
  landPaint, landTrail, statusHint, appQuit, surfaceStand, log, debugStats
};

// The requests, in table order.
enum class CallKind {
  appHello, saveWrite, prefsSet, permStatus, permRequest, permOpenSettings, appRelaunch, appOpenLink,
  windowsList
};

// The page functions an event calls (the flush has its own operation, Bridge::flush).
enum class PageEvent {
  onKeys, onScreens, onWindow, onDrag, onPointerNear, onVisibility, onPower, onPrefs, onPermission,
  onMenu, onLang, onWindows
};

enum class FlushReason { quit, sleep, logout };

template <>
struct EnumTraits<PostKind> {
  static constexpr std::array<std::string_view, 15> names{
      "pet.frame",  "hit.rects",   "drag.begin", "window.mode", "menu.context",  "status.update",
      "status.icon", "land.state", "land.paint", "land.trail",  "status.hint",   "app.quit",
      "surface.stand", "log",      "debug.stats"};
};

template <>
struct EnumTraits<CallKind> {
  static constexpr std::array<std::string_view, 9> names{
      "app.hello",    "save.write",   "prefs.set",    "perm.status", "perm.request",
      "perm.openSettings", "app.relaunch", "app.openLink", "windows.list"};
};

template <>
struct EnumTraits<PageEvent> {
  static constexpr std::array<std::string_view, 12> names{
      "onKeys",       "onScreens", "onWindow", "onDrag", "onPointerNear", "onVisibility",
      "onPower",      "onPrefs",   "onPermission", "onMenu", "onLang",    "onWindows"};
};

template <>
struct EnumTraits<FlushReason> {
  static constexpr std::array<std::string_view, 3> names{"quit", "sleep", "logout"};
};

// The texts a failed request is answered with.
namespace BridgeError {
inline constexpr std::string_view origin = "origin";      // not the trusted frame, or not attached
inline constexpr std::string_view unknown = "unknown";    // no text "type", or no such request
inline constexpr std::string_view bad = "bad";            // arguments missing, undecodable or over a limit
inline constexpr std::string_view protocol = "protocol";  // a hello with another protocol version
inline constexpr std::string_view encode = "encode";      // the reply cannot be encoded, or came too late
inline constexpr std::string_view closed = "closed";      // the bridge was gone when the request arrived
}  // namespace BridgeError

namespace BridgeChannel {
inline constexpr std::string_view post = "brindlow";
inline constexpr std::string_view call = "brindlowCall";
inline constexpr std::string_view scheme = "brindlow";
inline constexpr std::string_view host = "app";
}  // namespace BridgeChannel

namespace BridgeScript {
inline constexpr std::string_view event = "return await window.brindlow?.[fn]?.(arg)";
inline constexpr std::string_view flush = "return await window.brindlow?.flush?.(arg)";
inline constexpr platform::Seconds flushTimeout = 1.5;
}  // namespace BridgeScript

// Create with std::make_shared: the channels and replies hold the bridge weakly.
class Bridge : public ScriptMessageHandler,
               public ScriptMessageReplyHandler,
               public std::enable_shared_from_this<Bridge> {
 public:
  // The services the catalogues reach, handed over by the application delegate at attach.
  struct Parts {
    std::shared_ptr<PrefsStore> prefs;
    std::shared_ptr<InputPermission> permission;
    std::shared_ptr<SaveFile> save;
    std::shared_ptr<PetWindowController> window;
    std::shared_ptr<LandStrips> land;
    std::shared_ptr<StatusItemController> status;
    std::shared_ptr<SystemWatch> watch;
    std::shared_ptr<AppWindows> ground;
    std::function<bool()> relaunch;  // true when a relaunch began
    // The address of a link the page may open ("app.openLink"); nothing when the link table has none.
    std::function<std::optional<std::string>(LinkId)> linkUrl;
  };

  // The answer to one request. Copies share one state: the first answer goes out, later ones are
  // dropped, and a request whose last copy goes unanswered (a reply made after an asynchronous step
  // that never ran) is answered "encode", so the page's promise always settles.
  class Reply {
   public:
    Reply(std::shared_ptr<platform::ScriptReply> reply, std::weak_ptr<const Bridge> bridge);
    void value(Json value) const;
    void error(std::string_view code) const;
    bool answered() const;
    bool bridgeAlive() const;

   private:
    struct State;
    std::shared_ptr<State> state_;
  };

  // Every pointer of `platform` the bridge uses (mainLoop, webEngine) must outlive it.
  // `resourceDirectory` holds the "web" folder the app scheme serves.
  Bridge(const platform::Platform& platform, std::optional<std::string> resourceDirectory);
  ~Bridge() override;
  Bridge(const Bridge&) = delete;
  Bridge& operator=(const Bridge&) = delete;

  // A new web-view configuration whose two channels lead here, with the app scheme and settings.
  std::shared_ptr<platform::WebViewConfig> makeConfiguration();
  void attach(std::weak_ptr<platform::WebView> webView, Parts parts);
  // Removes both channels and every user script; not ready; the services are released.
  void detach();

  // The platform's entries (through the weak forwarders).
  void didReceiveScriptMessage(const platform::ScriptMessage& message) override;
  void didReceiveScriptMessageWithReply(const platform::ScriptMessage& message,
                                        std::shared_ptr<platform::ScriptReply> reply) override;

  void handlePost(const platform::ScriptMessage& message);
  void handleCall(const platform::ScriptMessage& message, std::shared_ptr<platform::ScriptReply> reply);

  static bool isTrustedFrame(const platform::ScriptMessage& message);
  // The member `key` of an object body, or nullptr.
  static const Json* member(const Json& body, std::string_view key);
  // {x, y, w, h}, each a number and all finite; sign and size are the caller's business.
  static std::optional<GRect> parseRect(const Json* value);
  static void dropBadValue(PostKind kind);

  // Answers with the JSON form of `value`, or "encode" when it has none (a NaN, an infinity, text
  // that is not UTF-8) or the bridge is gone.
  template <class T>
  static void replyEncoded(const T& value, const Reply& reply) {
    if (!reply.bridgeAlive()) return reply.error(BridgeError::encode);
    std::optional<Json> object = pageValue(encode(value));
    if (!object) return reply.error(BridgeError::encode);
    reply.value(std::move(*object));
  }

  // Calls the page function of `event` with the payload while the page is ready; an event that
  // cannot be encoded, or comes while not ready or without a web view, is dropped.
  template <class T>
  void send(PageEvent event, const T& payload) {
    if (!ready) return;
    sendValue(event, pageValue(encode(payload)));
  }

  // Asks the page to flush; `done` runs exactly once: at once when the page cannot be asked, when
  // the page's flush settles, or 1.5 s after the call.
  void flush(FlushReason reason, std::function<void()> done);
  // A key batch: straight to the page while ready, otherwise merged into the held batch.
  void deliverKeys(const KeysEvent& batch);
  // Sends the held key batch, if any, and forgets it.
  void flushPending();

  // A page body from its JSON text: nullopt for text that is not one JSON value and nothing after it
  // (a NUL byte included), nests deeper than 64 levels, repeats a key in one object or is over the
  // body cap. An unpaired UTF-16 surrogate escape reads as U+FFFD, as in the browser.
  static std::optional<Json> parseBody(std::string_view text);

  // What the channels make of a message's text.
  struct PageBody {
    Json value;  // null when the text is refused
    // Over the body cap the text is scanned, not built: `value` then holds only its top-level "type",
    // and `dataBytes` the UTF-8 length of its top-level text "data", if it has one.
    bool overCap = false;
    std::optional<std::size_t> dataBytes;
  };
  static PageBody readBody(std::string_view text);
  static constexpr std::size_t bodyCap = std::size_t{16} << 20;  // bytes of JSON text

  // True from the hello reply until the next hello, navigation, crash or detach.
  bool ready = false;
  // Key counts held while not ready; cleared only by flushPending.
  std::optional<KeysEvent> pendingKeys;

  bool attached() const { return parts_.has_value(); }

 private:
  // The value as the page receives it: a JSON value that can be written as text.
  static std::optional<Json> pageValue(std::optional<Json> encoded);
  void sendValue(PageEvent event, std::optional<Json> arg);
  void assertMainThread() const;

  platform::Platform platform_;
  std::optional<std::string> resourceDirectory_;
  std::optional<Parts> parts_;
  std::weak_ptr<platform::WebView> webView_;
  std::weak_ptr<platform::WebViewConfig> contentController_;
};

}  // namespace brindlow
