#pragma once
#include <memory>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace brindlow::platform {

// Facts about the frame a script message came from.
struct FrameInfo {
  bool isMainFrame = false;
  std::string scheme;
  std::string host;
  bool operator==(const FrameInfo&) const = default;
};

struct ScriptMessage {
  // The posted value as JSON text, as the engine writes it; empty when the value has none. The
  // receiver reads it, so a message is delivered (and a request answered) whatever it holds.
  std::string body;
  FrameInfo frame;
};

// The answer to one request; held by shared_ptr and may outlive whoever received it.
class ScriptReply {
 public:
  virtual ~ScriptReply() = default;
  virtual void replyValue(const nlohmann::json& value) = 0;
  virtual void replyError(std::string_view code) = 0;
};

}  // namespace brindlow::platform
