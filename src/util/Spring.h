#pragma once

namespace brindlow {

// A damped spring released at rest from `from` towards `to`, as the land pop uses it.
// Only the underdamped case is handled (damping² < 4 · mass · stiffness): the pop overshoots.
struct Spring {
  double mass = 0.6;
  double stiffness = 420;
  double damping = 9;
  double from = 0.35;
  double to = 1.0;

  // The position `t` seconds after release; `from` at and before 0.
  double value(double t) const;
};

}  // namespace brindlow
