#include "platform/fake/FakeDefaults.h"

#include <algorithm>
#include <cctype>

namespace brindlow::fake {

namespace {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool textAsBool(std::string_view text) {
  if (equalsIgnoringCase(text, "yes") || equalsIgnoringCase(text, "true")) return true;
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (text[i] != '0') return true;
  }
  return false;
}

}  // namespace

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
  if (v == nullptr) return false;
  if (auto b = std::get_if<bool>(v)) return *b;
  if (auto i = std::get_if<int64_t>(v)) return *i != 0;
  if (auto d = std::get_if<double>(v)) return *d != 0;
  return textAsBool(std::get<std::string>(*v));
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
