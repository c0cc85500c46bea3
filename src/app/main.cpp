#include <cstdio>

// The desktop backend is not built yet: say so plainly rather than pretend to run.
int main() {
  std::fputs("brindlow: no desktop backend is built yet; only the core and its tests exist.\n", stderr);
  return 2;
}
