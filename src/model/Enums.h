#pragma once
// The bridge's small enumerations, kept free of JSON so services can use them cheaply (Lang and LinkId
// have their own headers).
// Raw strings are the case names, compared exactly (util/Enum.h).
#include <array>
#include <string_view>

#include "util/Enum.h"

namespace brindlow {

// The pet's mood as the page reports it.
enum class Mood { happy, calm, excited, sleepy, sleeping };

// Why the pet cannot be seen; lists of reasons keep this declaration order (allCases<HiddenReason>()).
enum class HiddenReason { occluded, locked, screensAsleep, systemSleep, sessionInactive };

// The page panel shown while the pet window is in panel mode.
enum class PanelKind { wardrobe, settings, onboarding };

// A menu command handed to the page.
enum class MenuCommand { wardrobe, summon, settings, permission, onboarding, gift, book, clearLand };

template <>
struct EnumTraits<Mood> {
  static constexpr std::array<std::string_view, 5> names{"happy", "calm", "excited", "sleepy", "sleeping"};
};

template <>
struct EnumTraits<HiddenReason> {
  static constexpr std::array<std::string_view, 5> names{"occluded", "locked", "screensAsleep", "systemSleep",
                                                         "sessionInactive"};
};

template <>
struct EnumTraits<PanelKind> {
  static constexpr std::array<std::string_view, 3> names{"wardrobe", "settings", "onboarding"};
};

template <>
struct EnumTraits<MenuCommand> {
  static constexpr std::array<std::string_view, 8> names{"wardrobe",   "summon", "settings", "permission",
                                                         "onboarding", "gift",   "book",     "clearLand"};
};

}  // namespace brindlow
