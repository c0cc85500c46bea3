#include "platform/fake/FakeResources.h"

namespace brindlow::fake {

namespace {

std::string resourceKey(std::string_view name, std::string_view type) {
  std::string key(name);
  key += '.';
  key += type;
  return key;
}

}  // namespace

std::optional<std::string> FakeResources::pathForResource(std::string_view name, std::string_view type) const {
  std::string key = resourceKey(name, type);
  auto it = paths_.find(key);
  lookups_.push_back(std::move(key));
  if (it == paths_.end()) return std::nullopt;
  return it->second;
}

std::optional<nlohmann::json> FakeResources::infoValue(std::string_view key) const {
  auto it = info_.find(key);
  if (it == info_.end()) return std::nullopt;
  return it->second;
}

void FakeResources::setResource(std::string_view name, std::string_view type, std::string path) {
  paths_[resourceKey(name, type)] = std::move(path);
}

void FakeResources::removeInfoValue(std::string_view key) {
  if (auto it = info_.find(key); it != info_.end()) info_.erase(it);
}

}  // namespace brindlow::fake
