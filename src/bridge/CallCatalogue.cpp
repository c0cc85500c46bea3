#include "bridge/CallCatalogue.h"

#include <charconv>
#include <cstdlib>
#include <memory>
#include <string>

#include "bridge/PageBodiesJson.h"
#include "geometry/ScreenGeometry.h"
#include "model/Constants.h"
#include "platform/MainLoop.h"
#include "platform/MainThread.h"
#include "platform/Workspace.h"
#include "services/AppInfo.h"
#include "services/AppWindows.h"
#include "services/InputPermission.h"
#include "services/SystemWatch.h"
#include "storage/PrefsStore.h"
#include "storage/SaveFile.h"
#include "util/Log.h"
#include "window/PetWindowController.h"

namespace brindlow {

namespace {

using Parts = Bridge::Parts;
using Reply = Bridge::Reply;

std::string decimal(std::int64_t value) {
  char buf[24];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, end);
}

bool canSnapshot(const Parts& parts, const platform::Platform& platform) {
  return parts.prefs && parts.permission && parts.save && parts.window && parts.watch && platform.resources &&
         platform.locale && platform.screens;
}

// The hello task: runs on a later turn with what the request captured.
void answerHello(const std::weak_ptr<Bridge>& weak, const Parts& parts, const Reply& reply,
                 const platform::Platform& platform) {
  platform::assertMainThread(*platform.mainLoop);
  const std::shared_ptr<Bridge> bridge = weak.lock();
  // Without the bridge the task ends; the reply's last copy goes with it and answers "encode".
  if (!bridge) return;
  Bridge::replyEncoded(makeHelloReply(parts, platform), reply);
  bridge->ready = true;
  bridge->flushPending();
}

void hello(const Json& body, const Parts& parts, const Reply& reply, Bridge& bridge,
           const platform::Platform& platform) {
  const std::optional<HelloReq> req = decodeBody<HelloReq>(body);
  if (!req) return reply.error(BridgeError::bad);
  if (req->protocol != BridgeVersion::current) {
    logError("bridge: protocol " + decimal(req->protocol) + " != " + decimal(BridgeVersion::current));
    return reply.error(BridgeError::protocol);
  }
  if (!canSnapshot(parts, platform)) return reply.error(BridgeError::unknown);
  bridge.ready = false;
  // Each hello has its own task; nothing cancels an earlier one.
  platform.mainLoop->post([weak = bridge.weak_from_this(), parts, reply, platform] {
    answerHello(weak, parts, reply, platform);
  });
}

void replySaved(const SaveFile::WriteResult& written, const Reply& reply) {
  Bridge::replyEncoded(SaveWriteRes{written.ok, static_cast<std::int64_t>(written.bytes)}, reply);
}

void saveWrite(const Json& body, const Parts& parts, const Reply& reply) {
  // Read straight from the body: the text is not re-serialised. The save file checks its size.
  const Json* data = Bridge::member(body, "data");
  if (data == nullptr || !data->is_string()) return reply.error(BridgeError::bad);
  if (!parts.save) return reply.error(BridgeError::unknown);
  replySaved(parts.save->write(data->get_ref<const std::string&>()), reply);
}

void prefsSet(const Json& body, const Parts& parts, const Reply& reply) {
  const std::optional<PrefsSetReq> req = decodeBody<PrefsSetReq>(body);
  if (!req) return reply.error(BridgeError::bad);
  if (!parts.prefs) return reply.error(BridgeError::unknown);
  Bridge::replyEncoded(parts.prefs->apply(req->patch), reply);
}

void openLink(const Json& body, const Parts& parts, const Reply& reply, const platform::Platform& platform) {
  const std::optional<OpenLinkReq> req = decodeBody<OpenLinkReq>(body);
  if (!req) return reply.error(BridgeError::bad);
  const std::optional<std::string> url = parts.linkUrl ? parts.linkUrl(req->link) : std::nullopt;
  if (!url) return reply.error(BridgeError::bad);
  if (!platform.workspace) return reply.error(BridgeError::unknown);
  Bridge::replyEncoded(OpenedRes{platform.workspace->openUrl(*url)}, reply);
}

}  // namespace

HelloReply makeHelloReply(const Parts& parts, const platform::Platform& platform) {
  HelloReply hello;
  if (std::optional<SaveFile::ReadResult> saved = parts.save->read()) {
    hello.save = std::move(saved->text);
    hello.saveRecovered = saved->recovered;
  }
  hello.appVersion = appVersion(*platform.resources);
  hello.build = appBuild(*platform.resources);
  const std::optional<Lang> chosen = langOf(parts.prefs->load().lang);
  hello.lang = chosen ? *chosen : detectLang(*platform.locale);
  hello.screens = ScreenGeometry::screens(*platform.screens);
  hello.window = parts.window->windowInfo();
  hello.prefs = parts.prefs->load();
  hello.permission = parts.permission->status();
  hello.visibility = parts.watch->visibility();
  hello.power = parts.watch->currentPower();
  hello.protocol = BridgeVersion::current;
  hello.soak = false;
  return hello;
}

void runOverCapCall(CallKind kind, std::optional<std::size_t> dataBytes, const Reply& reply) {
  if (kind != CallKind::saveWrite || !dataBytes) return reply.error(BridgeError::bad);
  replySaved(SaveFile::refuseOversized(*dataBytes), reply);
}

void runCall(CallKind kind, const Json& body, const Parts& parts, const Reply& reply, Bridge& bridge,
             const platform::Platform& platform) {
  switch (kind) {
    case CallKind::appHello:
      return hello(body, parts, reply, bridge, platform);
    case CallKind::saveWrite:
      return saveWrite(body, parts, reply);
    case CallKind::prefsSet:
      return prefsSet(body, parts, reply);
    case CallKind::permStatus:
      if (!parts.permission) return reply.error(BridgeError::unknown);
      return Bridge::replyEncoded(parts.permission->status(), reply);
    case CallKind::permRequest:
      if (!parts.permission) return reply.error(BridgeError::unknown);
      return Bridge::replyEncoded(parts.permission->request(), reply);
    case CallKind::permOpenSettings:
      if (!parts.permission) return reply.error(BridgeError::unknown);
      return Bridge::replyEncoded(OpenedRes{parts.permission->openSettings()}, reply);
    case CallKind::appRelaunch:
      if (!parts.relaunch) return reply.error(BridgeError::unknown);
      return Bridge::replyEncoded(OpenedRes{parts.relaunch()}, reply);
    case CallKind::appOpenLink:
      return openLink(body, parts, reply, platform);
    case CallKind::windowsList:
      if (!parts.ground) return reply.error(BridgeError::unknown);
      return Bridge::replyEncoded(WindowsMsg{parts.ground->list()}, reply);
  }
  reply.error(BridgeError::unknown);
}

}  // namespace brindlow
