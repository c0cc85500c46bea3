#pragma once
#include <functional>
#include <string>
#include <vector>

#include <webkit2/webkit2.h>

namespace brindlow::lnx {

// The program's side of the web-process frame guard (webext/FrameGuard.cpp), which closes the page's
// channels in every frame but the main one. It points the context at the guard's module with the
// channel names, and hears from the page's process whether the guard runs there. Until it has said
// so, and after it failed to close a frame, no message counts as the main frame's.
class LinuxFrameGuard {
 public:
  struct Channels {
    std::vector<std::string> posts;
    std::vector<std::string> calls;
  };
  // `channels` is asked each time a web process is about to start.
  LinuxFrameGuard(WebKitWebContext* context, std::function<Channels()> channels);
  ~LinuxFrameGuard();
  LinuxFrameGuard(const LinuxFrameGuard&) = delete;
  LinuxFrameGuard& operator=(const LinuxFrameGuard&) = delete;

  // The view whose page process reports to this guard.
  void watch(WebKitWebView* view);
  bool closesSubframes() const { return state_ == State::closing; }

  // The folder of the guard's module: beside the program in the build tree, or under its prefix.
  static std::string moduleDirectory();

 private:
  enum class State { unknown, closing, broken };
  static void onInitialize(WebKitWebContext* context, gpointer self);
  static gboolean onUserMessage(WebKitWebView* view, WebKitUserMessage* message, gpointer self);
  void unwatch();

  WebKitWebContext* context_;  // held by the owner
  std::function<Channels()> channels_;
  gulong initializeSignal_ = 0;
  gpointer view_ = nullptr;  // weak: cleared by GObject when the view goes
  gulong messageSignal_ = 0;
  State state_ = State::unknown;
};

}  // namespace brindlow::lnx
