#include "platform/EwmhWindow.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace brindlow {
namespace {

TEST(EwmhWindow, TheFirstKnownTypeDecidesAndStatesPlaceOrdinaryWindows) {
  struct Case {
    std::string name;
    std::vector<std::string> types;
    std::vector<std::string> states;
    std::optional<int64_t> layer;
  };
  const std::string normal = "_NET_WM_WINDOW_TYPE_NORMAL", dialog = "_NET_WM_WINDOW_TYPE_DIALOG";
  const std::string dock = "_NET_WM_WINDOW_TYPE_DOCK", desktop = "_NET_WM_WINDOW_TYPE_DESKTOP";
  const std::string utility = "_NET_WM_WINDOW_TYPE_UTILITY", kde = "_KDE_NET_WM_WINDOW_TYPE_OVERRIDE";
  const std::vector<Case> cases{
      {"no type", {}, {}, 0},
      {"normal", {normal}, {}, 0},
      {"dialog", {dialog}, {}, 0},
      {"an extension type before normal", {kde, normal}, {}, 0},
      {"an unknown prefix-alike before dock", {"_NET_WM_WINDOW_TYPE_FANCY", dock}, {}, 20},
      {"only unknown types", {kde, "", "_NET_WM_WINDOW_TYPE_"}, {}, 0},
      {"the first known wins over a later one", {utility, normal}, {}, 8},
      {"normal before utility", {normal, utility}, {}, 0},
      {"desktop", {kde, desktop}, {}, std::nullopt},
      {"hidden", {normal}, {"_NET_WM_STATE_HIDDEN"}, std::nullopt},
      {"kept above", {normal}, {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE"}, 3},
      {"kept below", {dialog}, {"_NET_WM_STATE_BELOW"}, -1},
      {"a dock kept above stays a dock", {dock}, {"_NET_WM_STATE_ABOVE"}, 20},
  };
  for (const auto& c : cases) EXPECT_EQ(EwmhWindow::layer(c.types, c.states), c.layer) << c.name;
}

}  // namespace
}  // namespace brindlow
