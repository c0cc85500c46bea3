#pragma once
// The fire-and-forget messages of the "brindlow" channel. Each entry reads and tests its whole body
// before it touches a service: a body that fails any test is reported once per kind
// (Bridge::dropBadValue) and changes nothing. Values that are well formed but out of a service's
// range are that service's business. A service missing from the parts is not called.
#include "bridge/Bridge.h"
#include "bridge/PageBodiesJson.h"

namespace brindlow {

namespace platform {
class Application;
}

// Runs the entry of `kind` with the message body; `application` serves "app.quit".
void runPost(PostKind kind, const Json& body, const Bridge::Parts& parts, platform::Application* application);

// Every number of the status is finite.
bool allFinite(const StatusInfo& info);

}  // namespace brindlow
