#pragma once
// What the web-process frame guard and the program tell each other. Shared by both sides, so it
// includes nothing.

namespace brindlow::lnx::frameguard {

// Sent by the guard to the view: "(b)", true once the guard runs in the page's process, false when it
// could not close a frame's channels.
inline constexpr const char* kStateMessage = "brindlow.frame-guard";

// The initialization data the program hands the guard: "(asas)", the names of the fire-and-forget
// channels and of the channels with a reply.
inline constexpr const char* kChannelsType = "(asas)";

}  // namespace brindlow::lnx::frameguard
