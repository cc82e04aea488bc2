#pragma once
// Emscripten 3.1.6's C++ library predates std::bit_cast; its compiler has the
// builtin.
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
