#pragma once
// Readable test failure messages for the geometry records.
#include <ostream>

#include "model/Geometry.h"

namespace brindlow {

inline void PrintTo(const GPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
inline void PrintTo(const GRect& r, std::ostream* os) {
  *os << "(" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << ")";
}
inline void PrintTo(const SurfaceLine& l, std::ostream* os) { *os << "line(" << l.x << ", " << l.y << ", " << l.w << ")"; }
inline void PrintTo(const CellRange& r, std::ostream* os) { *os << r.start << "..<" << r.end; }

}  // namespace brindlow
