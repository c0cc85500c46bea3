#include "util/Spring.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace brindlow {
namespace {

TEST(Spring, FollowsTheUnderdampedClosedForm) {
  const Spring s;
  const double omega0 = std::sqrt(420 / 0.6);
  const double zeta = 9 / (2 * std::sqrt(420 * 0.6));
  const double omegaD = omega0 * std::sqrt(1 - zeta * zeta);
  for (double t : {0.01, 0.05, 0.1, 0.2, 0.3, 1.0}) {
    const double expected = 1 - 0.65 * std::exp(-zeta * omega0 * t) *
                                    (std::cos(omegaD * t) + zeta * omega0 / omegaD * std::sin(omegaD * t));
    EXPECT_NEAR(s.value(t), expected, 1e-12) << t;
  }
}

TEST(Spring, StartsAtFromOvershootsToAbout126AndSettles) {
  const Spring s;
  EXPECT_DOUBLE_EQ(s.value(0), 0.35);
  EXPECT_DOUBLE_EQ(s.value(-1), 0.35);
  // The first peak is half a damped period after release.
  const double omega0 = std::sqrt(420 / 0.6);
  const double zeta = 9 / (2 * std::sqrt(420 * 0.6));
  const double peakT = std::numbers::pi / (omega0 * std::sqrt(1 - zeta * zeta));
  EXPECT_NEAR(s.value(peakT), 1.26, 0.01);
  double highest = 0;
  for (double t = 0; t < 2; t += 0.001) highest = std::max(highest, s.value(t));
  EXPECT_NEAR(highest, s.value(peakT), 1e-4);
  EXPECT_NEAR(s.value(2.0), 1.0, 1e-3);
}

}  // namespace
}  // namespace brindlow
