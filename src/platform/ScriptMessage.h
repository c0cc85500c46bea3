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
  // The posted value, read from its JSON text with brindlow::Bridge::parseBody; null when that
  // refuses the text, so the message is still delivered (and a request still answered).
  nlohmann::json body;
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
