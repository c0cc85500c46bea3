#pragma once
#include <functional>
#include <string>
#include <vector>

namespace brindlow::platform {

// A menu as plain data; the backend builds the toolkit menu from it.
struct MenuItemModel {
  enum class Kind { action, label, separator, submenu };
  Kind kind = Kind::action;
  std::string title;
  std::string keyEquivalent;
  bool enabled = true;
  bool checked = false;
  std::function<void()> onSelect;
  std::vector<MenuItemModel> children;
};
using MenuModel = std::vector<MenuItemModel>;

}  // namespace brindlow::platform
