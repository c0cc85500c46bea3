#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Defaults.h"

namespace brindlow::fake {

// Registered values in memory and stored values by type, read the way the desktop reads them: a stored
// value of any type wins over the registered one; a boolean read takes numbers as "not zero" and texts
// "YES"/"true" in any case or with a leading non-zero integer; a text read takes only texts.
class FakeDefaults : public platform::Defaults {
 public:
  struct Write {
    std::string key;
    platform::DefaultsValue value;
    bool operator==(const Write&) const = default;
  };

  void registerDefaults(std::map<std::string, platform::DefaultsValue> defaults) override;
  bool boolForKey(std::string_view key) const override;
  std::optional<std::string> stringForKey(std::string_view key) const override;
  void setBool(std::string_view key, bool value) override;
  void setString(std::string_view key, std::string_view value) override;

  // Drivers: preload a stored value of any type, or forget it.
  void store(std::string_view key, platform::DefaultsValue value) { stored_.insert_or_assign(std::string(key), value); }
  void remove(std::string_view key);

  // Inspection.
  std::optional<platform::DefaultsValue> stored(std::string_view key) const;
  const std::map<std::string, platform::DefaultsValue, std::less<>>& registered() const { return registered_; }
  size_t registerCalls() const { return registerCalls_; }
  const std::vector<Write>& writes() const { return writes_; }
  size_t writeCount(std::string_view key) const;

 private:
  const platform::DefaultsValue* lookup(std::string_view key) const;

  std::map<std::string, platform::DefaultsValue, std::less<>> registered_;
  std::map<std::string, platform::DefaultsValue, std::less<>> stored_;
  std::vector<Write> writes_;
  size_t registerCalls_ = 0;
};

}  // namespace brindlow::fake
