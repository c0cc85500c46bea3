#include "util/Spring.h"

#include <cmath>

namespace brindlow {

double Spring::value(double t) const {
  if (!(t > 0)) return from;
  const double omega0 = std::sqrt(stiffness / mass);
  const double zeta = damping / (2 * std::sqrt(stiffness * mass));
  const double decay = zeta * omega0;
  const double omegaD = omega0 * std::sqrt(1 - zeta * zeta);
  // Zero initial velocity: x(t) = x0 · e^(−ζω0t) · (cos ωd t + (ζω0/ωd) sin ωd t).
  const double offset = (from - to) * std::exp(-decay * t) *
                        (std::cos(omegaD * t) + (decay / omegaD) * std::sin(omegaD * t));
  return to + offset;
}

}  // namespace brindlow
