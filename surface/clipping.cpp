// Cutting segments down to the part that can reach the buffer, whatever
// finite coordinates they come with.
#include <algorithm>
#include <cmath>

#include "surface/raster.h"

namespace kalo::raster {

bool ClipToBox(Segment& s, double xlo, double ylo, double xhi, double yhi) {
  const double dx = s.x1 - s.x0, dy = s.y1 - s.y0;
  double t0 = 0, t1 = 1;
  // One edge: the part where p * t <= q stays.
  auto edge = [&](double p, double q) {
    if (p == 0) return q >= 0;
    const double t = q / p;
    if (p < 0) {
      if (t > t1) return false;
      t0 = std::max(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::min(t1, t);
    }
    return true;
  };
  if (!edge(-dx, s.x0 - xlo) || !edge(dx, xhi - s.x0) || !edge(-dy, s.y0 - ylo) ||
      !edge(dy, yhi - s.y0))
    return false;
  Segment c = s;
  if (t0 > 0) {
    c.x0 = s.x0 + t0 * dx;
    c.y0 = s.y0 + t0 * dy;
  }
  if (t1 < 1) {
    c.x1 = s.x0 + t1 * dx;
    c.y1 = s.y0 + t1 * dy;
  }
  c.x0 = std::clamp(c.x0, xlo, xhi);
  c.x1 = std::clamp(c.x1, xlo, xhi);
  c.y0 = std::clamp(c.y0, ylo, yhi);
  c.y1 = std::clamp(c.y1, ylo, yhi);
  s = c;
  return true;
}

namespace {

// a * b - c * d without the cancellation of the plain formula (Kahan).
double DifferenceOfProducts(double a, double b, double c, double d) {
  const double cd = c * d;
  const double error = std::fma(-c, d, cd);
  return std::fma(a, b, -cd) + error;
}

}  // namespace

// The plain parametric cut loses the line when both ends are huge (a point
// at 1e300 plus a step of -1e300 keeps none of the digits that say where the
// line passes the screen), so this works in the line's normal form: its
// distance from the origin comes from the cross product of the two ends,
// formed exactly enough whatever their size, and positions along it from the
// unit direction. Coordinates are first scaled by
// a power of two, which is exact, so that no product overflows.
bool CutFarSegment(Segment& s) {
  const int e =
      std::ilogb(std::max({std::abs(s.x0), std::abs(s.y0), std::abs(s.x1), std::abs(s.y1)}));
  const double x0 = std::scalbn(s.x0, -e), y0 = std::scalbn(s.y0, -e);
  const double x1 = std::scalbn(s.x1, -e), y1 = std::scalbn(s.y1, -e);
  const double len = std::hypot(x1 - x0, y1 - y0);
  if (len == 0) return false;  // a single point, and that is far
  const double ux = (x1 - x0) / len, uy = (y1 - y0) / len;
  // The point of the line nearest the origin, and where along the line
  // (measured from it) the two ends lie.
  const double offset = std::scalbn(DifferenceOfProducts(x0, y1, y0, x1) / len, e);
  if (!(std::abs(offset) <= 2 * kFar)) return false;
  const double fx = offset * uy, fy = -offset * ux;
  double t0 = std::scalbn(x0 * ux + y0 * uy, e), t1 = std::scalbn(x1 * ux + y1 * uy, e);
  // Only the stretch within 2 kFar of that point can lie in the square.
  t0 = std::max(t0, -2 * kFar);
  t1 = std::min(t1, 2 * kFar);
  if (t0 > t1) return false;
  const bool start_near = std::max(std::abs(s.x0), std::abs(s.y0)) <= kFar;
  const bool end_near = std::max(std::abs(s.x1), std::abs(s.y1)) <= kFar;
  Segment c{fx + t0 * ux, fy + t0 * uy, fx + t1 * ux, fy + t1 * uy};
  // An end that was near stays exactly where it was.
  if (start_near) c.x0 = s.x0, c.y0 = s.y0;
  if (end_near) c.x1 = s.x1, c.y1 = s.y1;
  if (!ClipToBox(c, -kFar, -kFar, kFar, kFar)) return false;
  s = c;
  return true;
}

}  // namespace kalo::raster
