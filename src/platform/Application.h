#pragma once

namespace brindlow::platform {

enum class ActivationPolicy { regular, accessory };  // regular: a taskbar entry
enum class TerminateReply { now, later };

// What the application object asks of its delegate; each is called from the main loop.
struct ApplicationDelegate {
  virtual ~ApplicationDelegate() = default;
  virtual void didFinishLaunching() = 0;
  virtual TerminateReply shouldTerminate() = 0;
  virtual bool shouldHandleReopen(bool hasVisibleWindows) = 0;
  virtual void willTerminate() = 0;
};

class Application {
 public:
  virtual ~Application() = default;
  // Runs the loop until termination; returns after willTerminate with the exit status.
  virtual int run(ApplicationDelegate& delegate) = 0;
  // Asks the delegate shouldTerminate; on `now` terminates, on `later` waits for replyToTerminate.
  virtual void terminate() = 0;
  // Answers a pending `later`; may arrive before shouldTerminate has returned.
  virtual void replyToTerminate(bool proceed) = 0;
  virtual ActivationPolicy activationPolicy() const = 0;
  virtual void setActivationPolicy(ActivationPolicy policy) = 0;
  virtual void activateIgnoringOtherApps() = 0;
};

}  // namespace brindlow::platform
