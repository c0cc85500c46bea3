#include "platform/fake/FakeDefaults.h"

#include <algorithm>

namespace brindlow::fake {

void FakeDefaults::registerDefaults(std::map<std::string, platform::DefaultsValue> defaults) {
  ++registerCalls_;
  for (auto& [key, value] : defaults) registered_.insert_or_assign(key, std::move(value));
}

const platform::DefaultsValue* FakeDefaults::lookup(std::string_view key) const {
  if (auto it = stored_.find(key); it != stored_.end()) return &it->second;
  if (auto it = registered_.find(key); it != registered_.end()) return &it->second;
  return nullptr;
}

bool FakeDefaults::boolForKey(std::string_view key) const {
  const platform::DefaultsValue* v = lookup(key);
  return v != nullptr && platform::boolReading(*v);
}

std::optional<std::string> FakeDefaults::stringForKey(std::string_view key) const {
  const platform::DefaultsValue* v = lookup(key);
  if (v == nullptr) return std::nullopt;
  if (auto s = std::get_if<std::string>(v)) return *s;
  return std::nullopt;
}

void FakeDefaults::setBool(std::string_view key, bool value) {
  stored_.insert_or_assign(std::string(key), value);
  writes_.push_back({std::string(key), value});
}

void FakeDefaults::setString(std::string_view key, std::string_view value) {
  stored_.insert_or_assign(std::string(key), std::string(value));
  writes_.push_back({std::string(key), std::string(value)});
}

void FakeDefaults::remove(std::string_view key) {
  if (auto it = stored_.find(key); it != stored_.end()) stored_.erase(it);
}

std::optional<platform::DefaultsValue> FakeDefaults::stored(std::string_view key) const {
  if (auto it = stored_.find(key); it != stored_.end()) return it->second;
  return std::nullopt;
}

size_t FakeDefaults::writeCount(std::string_view key) const {
  return static_cast<size_t>(std::count_if(writes_.begin(), writes_.end(), [&](const Write& w) { return w.key == key; }));
}

}  // namespace brindlow::fake
