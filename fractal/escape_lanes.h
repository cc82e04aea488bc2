#pragma once

// The escape test over the whole grid in vector lanes, written once for every
// instruction set. A kernel file supplies the lane operations (as
// ScalarLanes in escape_scalar.cpp does for one lane) and instantiates
// escapeGrid with them.
//
// The lanes give isMandelbrot's results bit for bit because they round where
// it rounds. z and c are floats. Each round tests z, then forms z * z + c:
// - z's parts are widened to double, exactly. A product of two floats is
//   exact in double (24 + 24 significant bits fit in 53, and no product of
//   floats leaves double's exponent range), so zr * zr and zi * zi are the
//   exact squares, and the squared modulus zr * zr + zi * zi is rounded once,
//   to double, as compl_abs rounds it. A fused multiply-add of an exact
//   product rounds the same sum once; the kernels use one where the processor
//   has it, and either form gives the same double.
// - The real part zr * zr - zi * zi is rounded once to double, fused or not,
//   and then to float, as compl_sqr does; the float sum with c's real part is
//   compl_sum's.
// - The imaginary part stays in float lanes. compl_sqr forms zi + zi in
//   double, exactly, and multiplies it by zr, exactly, and rounds that one
//   product to float. Here zi + zi is a float sum, also exact: doubling a
//   float only raises its exponent, and zi is at most 2 + 2^-20 in magnitude
//   in any lane still in, far from overflow. The float product of that float
//   and zr is then rounded once, to nearest, from the same exact product: the
//   same float, subnormal or not. The float sum with c's imaginary part is
//   compl_sum's. This product must be rounded before that addition: the
//   build forbids contracting the two into a fused multiply-add.
// What escaped lanes compute, infinities and NaNs included, is never counted.
//
// The one change is the escape test. float(sqrt(q)) > 2 holds exactly when the
// double root of q exceeds m = 2 + 2^-23, the midpoint between 2 and the next
// float (a tie rounds to 2, the even one). m * m = 4 + 2^-21 + 2^-46 is a
// double Q whose root is m. The next double, Q + 2^-50, has its root below
// m + 2^-52, half a double's step above m, so that root still rounds to m; the
// one after, Q + 2^-49, has its root above m + 2^-52. The double root never
// decreases, so the test is q > Q + 2^-50; NaN and negative q fail both forms,
// and infinity passes both.

#include <algorithm>
#include <cstdint>
#include <utility>

#include "fractal/escape_map.h"

constexpr double kEscapeThreshold = 0x1.0000020000011p+2;  // Q + 2^-50

namespace escape_lanes {

// A group is kVectors vectors of L's lanes: a block of L::kColumns columns,
// each vector a band of L::kWidth / L::kColumns rows below the last one.
// Neighbouring pixels escape at similar steps, so a compact block leaves few
// lanes idle while its slowest pixel finishes. The grid is padded to whole
// blocks, and what the padding computes is thrown away.
template <typename L, int kVectors>
struct Block {
  static constexpr int kLanes = L::kWidth * kVectors;
  static constexpr int kColumns = L::kColumns;
  static constexpr int kRows = kLanes / kColumns;
  static constexpr int kAcross = (kGridSize + kColumns - 1) / kColumns;
  static constexpr int kDown = (kGridSize + kRows - 1) / kRows;
};

// c for every lane of every block: the real parts by block column and the
// imaginary parts by block row, laid out as the lanes take them, so that the
// iteration reads c from memory rather than holding it in registers.
template <typename B>
struct Plane {
  alignas(64) float re[B::kAcross][B::kLanes];
  alignas(64) float im[B::kDown][B::kLanes];
  alignas(64) float zero[B::kLanes];
};

template <typename L, int kVectors>
struct Group {
  typename L::Floats re[kVectors], im[kVectors];  // z
  typename L::Mask in[kVectors];                  // the lanes that have not escaped
  typename L::Counts steps[kVectors];             // the rounds each lane stayed in
  const float* cre;                               // c, kVectors * kWidth lanes
  const float* cim;
  int i;     // rounds done
  int x, y;  // the block; y is kDown once retired
};

// The blocks of the grid in row order, handed out a group at a time.
struct Cursor {
  int x = 0, y = 0;
};

// A group on the next block, or a retired one when none are left: it
// iterates c = 0, which never escapes, until every other group is done, and
// counts from so far below any limit that it never reaches one. The first
// iterate, 0 * 0 + c, is c itself.
constexpr int kRetired = -(1 << 30);

template <typename L, int kVectors>
Group<L, kVectors> started(const Plane<Block<L, kVectors>>& plane, Cursor& next) {
  using B = Block<L, kVectors>;
  Group<L, kVectors> g;
  g.x = next.x;
  g.y = next.y;
  g.i = 0;
  if (next.y == B::kDown) {
    g.cre = g.cim = plane.zero;
    g.i = kRetired;
  } else {
    g.cre = plane.re[next.x];
    g.cim = plane.im[next.y];
    if (++next.x == B::kAcross) next.x = 0, ++next.y;
  }
  for (int v = 0; v < kVectors; ++v) {
    g.re[v] = L::load(g.cre + v * L::kWidth);
    g.im[v] = L::load(g.cim + v * L::kWidth);
    g.in[v] = L::all();
    g.steps[v] = L::noCounts();
  }
  return g;
}

template <typename L, int kVectors>
bool allOut(const Group<L, kVectors>& g) {
  auto in = g.in[0];
  for (const auto& vector : g.in)
    in = L::either(in, vector);
  return L::none(in);
}

template <typename L, int kVectors>
bool done(const Group<L, kVectors>& g, int limit) {
  return g.i == limit || allOut(g);
}

// Writes a done group's results, the padding's left out.
template <typename L, int kVectors>
void finish(const Group<L, kVectors>& g, std::uint8_t* out) {
  using B = Block<L, kVectors>;
  alignas(64) std::int64_t steps[B::kLanes];
  for (int v = 0; v < kVectors; ++v)
    L::store(g.steps[v], steps + v * L::kWidth);
  for (int lane = 0; lane < B::kLanes; ++lane) {
    const int x = g.x * B::kColumns + lane % B::kColumns;
    const int y = g.y * B::kRows + lane / B::kColumns;
    if (x < kGridSize && y < kGridSize)
      out[y * kGridSize + x] = static_cast<std::uint8_t>(steps[lane]);
  }
}

// One round on one vector: the escape test of z, then z <- z * z + c.
template <typename L>
void iterate(typename L::Floats& re, typename L::Floats& im, typename L::Mask& in,
             typename L::Counts& steps, const float* cre, const float* cim) {
  const auto reWide = L::widen(re);
  const auto imWide = L::widen(im);
  const auto im2 = L::mul(imWide, imWide);
  in = L::stillIn(in, L::mulAdd(reWide, reWide, im2));
  steps = L::count(steps, in);
  const auto nextRe = L::add(L::narrow(L::mulSub(reWide, reWide, im2)), L::load(cre));
  im = L::add(L::mul(L::add(im, im), re), L::load(cim));
  re = nextRe;
}

// Each vector is one long chain of dependent operations; running kGroups
// groups side by side keeps the vector units busy while each waits on its own
// latency. A group that is done takes the next block at once.
template <typename L, int kVectors, std::size_t kGroups>
void escapeGrid(std::uint8_t limit, std::uint8_t* out) {
  using B = Block<L, kVectors>;
  Plane<B> plane;
  for (int lane = 0; lane < B::kLanes; ++lane) {
    for (int x = 0; x < B::kAcross; ++x)
      plane.re[x][lane] = planePoint(x * B::kColumns + lane % B::kColumns, 0).re;
    for (int y = 0; y < B::kDown; ++y)
      plane.im[y][lane] = planePoint(0, y * B::kRows + lane / B::kColumns).im;
    plane.zero[lane] = 0.0f;
  }
  Cursor next;
  // Written out for each group, so that the compiler keeps them all in
  // registers.
  [&]<std::size_t... n>(std::index_sequence<n...>) {
    Group<L, kVectors> groups[kGroups] = {
        (static_cast<void>(n), started<L, kVectors>(plane, next))...};
    int live = ((groups[n].y < B::kDown) + ...);
    while (live > 0) {
      // All run until the first of them is done: out of lanes, or at the
      // limit, which the rounds count down to.
      const int rounds = std::min({(limit - groups[n].i)...});
      int round = 0;
      // Tested without branching between the groups.
      for (; round < rounds && !(static_cast<int>(allOut(groups[n])) | ...); ++round) {
        const auto step = [](Group<L, kVectors>& g) {
          for (int v = 0; v < kVectors; ++v) {
            iterate<L>(g.re[v], g.im[v], g.in[v], g.steps[v], g.cre + v * L::kWidth,
                       g.cim + v * L::kWidth);
          }
        };
        (step(groups[n]), ...);
      }
      ((groups[n].i += round), ...);
      const auto restart = [&](Group<L, kVectors>& g) {
        if (g.y == B::kDown || !done(g, limit)) return;
        finish(g, out);
        g = started<L, kVectors>(plane, next);
        live -= g.y == B::kDown;
      };
      (restart(groups[n]), ...);
    }
  }
  (std::make_index_sequence<kGroups>{});
}

}  // namespace escape_lanes
