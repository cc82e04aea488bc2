#pragma once

// The escape test over the whole grid in vector lanes, written once for every
// instruction set. A kernel file supplies the lane operations (as
// ScalarLanes in escape_scalar.cpp does for one lane) and instantiates
// escapeGrid with them.
//
// The lanes give isMandelbrot's results bit for bit because they round where
// it rounds: z and c are floats, the real part of z * z is the double
// zr * zr - zi * zi rounded to float, the imaginary part the double
// 2 * zi * zr rounded to float, the sums with c are float sums, and the
// squared modulus is a double. Each product is of two floats, exact in
// double, and zi * zr + zi * zr is its exact double; so a fused multiply-add,
// which the kernels use where the processor has one, rounds just as the
// separate operations do, and no product is ever rounded to float before an
// addition.
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

// Groups of pixels run along a row in steps of the lane count; rows are
// padded to a whole number of the widest group, and what the padding computes
// is thrown away.
constexpr int kPaddedRow = (kGridSize + 7) / 8 * 8;

template <typename L>
struct Group {
  typename L::Doubles re, im;   // z, as doubles that are floats
  typename L::Doubles im2;      // the exact square of its imaginary part
  typename L::Floats cre, cim;  // c
  typename L::Mask in;          // the lanes that have not escaped
  typename L::Counts steps;     // the iterations each lane has stayed in
  int i;                        // iterations done
  int x, y;                     // the first pixel; y is kGridSize once retired
};

// The pixels of the grid in row order, handed out a group at a time.
struct Cursor {
  const float* re;  // the plane point's real part by column, and
  const float* im;  // its imaginary part by row
  int x = 0, y = 0;
};

// A group on the next pixels, or a retired one when none are left: it
// iterates c = 0, which never escapes, until every other group is done, and
// counts from so far below any limit that it never reaches one.
constexpr int kRetired = -(1 << 30);

template <typename L>
Group<L> started(Cursor& next) {
  Group<L> g;
  g.re = g.im = g.im2 = L::zero();
  g.in = L::all();
  g.steps = L::noCounts();
  g.x = next.x;
  g.y = next.y;
  if (next.y == kGridSize) {
    g.cre = g.cim = L::broadcast(0.0f);
    g.i = kRetired;
    return g;
  }
  g.cre = L::load(next.re + next.x);
  g.cim = L::broadcast(next.im[next.y]);
  g.i = 0;
  next.x += L::kWidth;
  if (next.x >= kGridSize) next.x = 0, ++next.y;
  return g;
}

template <typename L>
bool done(const Group<L>& g, int limit) {
  return g.i == limit || L::none(g.in);
}

// Writes a done group's results, the padding's left out.
template <typename L>
void finish(typename L::Counts counts, int x, int y, std::uint8_t* out) {
  alignas(64) std::int64_t steps[L::kWidth];
  L::store(counts, steps);
  const int count = x + L::kWidth <= kGridSize ? L::kWidth : kGridSize - x;
  for (int lane = 0; lane < count; ++lane)
    out[y * kGridSize + x + lane] = static_cast<std::uint8_t>(steps[lane]);
}

// One iteration z <- z * z + c and its escape test.
template <typename L>
void iterate(Group<L>& g) {
  const auto re = L::add(L::narrow(L::mulSub(g.re, g.re, g.im2)), g.cre);
  const auto im = L::add(L::narrow(L::mulAdd(g.im, g.re, L::mul(g.im, g.re))), g.cim);
  g.re = L::widen(re);
  g.im = L::widen(im);
  g.im2 = L::mul(g.im, g.im);
  g.in = L::stillIn(g.in, L::mulAdd(g.re, g.re, g.im2));
  g.steps = L::count(g.steps, g.in);
}

// Each group is one long chain of dependent operations; running kGroups of
// them side by side keeps the vector units busy while each waits on its own
// latency. A group that is done takes the next pixels at once.
template <typename L, std::size_t kGroups>
void escapeGrid(std::uint8_t limit, std::uint8_t* out) {
  alignas(64) float re[kPaddedRow];
  float im[kGridSize];
  for (int x = 0; x < kPaddedRow; ++x)
    re[x] = planePoint(x, 0).re;
  for (int y = 0; y < kGridSize; ++y)
    im[y] = planePoint(0, y).im;
  Cursor next = {re, im};
  // Written out for each group, so that the compiler keeps them all in
  // registers.
  [&]<std::size_t... n>(std::index_sequence<n...>) {
    Group<L> groups[kGroups] = {(static_cast<void>(n), started<L>(next))...};
    int live = ((groups[n].y < kGridSize) + ...);
    while (live > 0) {
      // All run until the first of them is done: out of lanes, or at the
      // limit, which the rounds count down to.
      const int rounds = std::min({(limit - groups[n].i)...});
      int round = 0;
      // Tested without branching between the groups.
      for (; round < rounds && !(static_cast<int>(L::none(groups[n].in)) | ...); ++round)
        (iterate(groups[n]), ...);
      ((groups[n].i += round), ...);
      const auto restart = [&](Group<L>& g) {
        if (g.y == kGridSize || !done(g, limit)) return;
        finish<L>(g.steps, g.x, g.y, out);
        g = started<L>(next);
        live -= g.y == kGridSize;
      };
      (restart(groups[n]), ...);
    }
  }
  (std::make_index_sequence<kGroups>{});
}

}  // namespace escape_lanes
