#pragma once
// The requests of the "brindlowCall" channel and the hello handshake. Every entry answers exactly
// once: a value through Bridge::replyEncoded, or "bad" for missing, undecodable or over-limit
// arguments, "protocol" for a hello of another version, and "unknown" when the service the request
// needs is missing from the parts. Every request except the hello is answered before runCall returns.
//
// The hello marks the bridge not ready at once and answers on a later turn of the main loop, from the
// services captured now (a detach in between does not stop it); then the bridge is ready, whatever
// the reply was, and the key batch held meanwhile goes out.
#include "bridge/Bridge.h"
#include "bridge/MessagesJson.h"
#include "platform/Platform.h"

namespace brindlow {

// Runs the entry of `kind`. `platform` serves the hello's snapshot and the link opening; its pointers
// outlive the bridge.
void runCall(CallKind kind, const Json& body, const Bridge::Parts& parts, const Bridge::Reply& reply, Bridge& bridge,
             const platform::Platform& platform);

// A request whose text was over the body cap, with the UTF-8 length of its top-level text "data": a
// "save.write" gets the not-ok answer of a save over its limit, any other request (and a save without
// a text "data") "bad".
void runOverCapCall(CallKind kind, std::optional<std::size_t> dataBytes, const Bridge::Reply& reply);

// The start-up snapshot, read from the services in the order of its fields' sources: the save file,
// version and build, the language, screens, window, preferences, permission, visibility and power.
// Every service it reads must be present in `parts`.
HelloReply makeHelloReply(const Bridge::Parts& parts, const platform::Platform& platform);

}  // namespace brindlow
