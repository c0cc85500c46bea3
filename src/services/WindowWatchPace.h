#pragma once

namespace brindlow::WindowWatchPace {

// Seconds. The gaps are the shortest time between two reads after each kind of trigger.
inline constexpr double dragGap = 1.0 / 15.0;  // while the left button drags
inline constexpr double eventGap = 0.2;        // after a left-button release or an application/space switch
inline constexpr double keyGap = 1.0;          // after a batch of key presses
inline constexpr double shortestIdle = 1.0;
inline constexpr double longestIdle = 4.0;

// The next idle interval: back to the shortest after a change, otherwise doubled within the bounds.
double nextIdle(bool changed, double interval);

// How long to wait until `gap` has passed since `last`; 0 when it already has.
double wait(double now, double last, double gap);

}  // namespace brindlow::WindowWatchPace
