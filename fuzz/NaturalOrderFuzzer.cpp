// Checks that the order folder listings are sorted in is a strict weak ordering on arbitrary byte
// strings, as std::sort and the keyed collections need: irreflexive, asymmetric, transitive, and
// with incomparability transitive too. Names are further promised never to tie unless they are
// the same bytes. The input is cut into three names at offsets its first two bytes choose.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "walk/NaturalOrder.h"

using plenwick::walk::NaturalCompare;
using plenwick::walk::NaturalLess;

namespace {

void Fail(const char* what, std::string_view a, std::string_view b) {
  std::fprintf(stderr, "%s: \"%.*s\" and \"%.*s\"\n", what, static_cast<int>(a.size()), a.data(),
               static_cast<int>(b.size()), b.data());
  __builtin_trap();
}

bool Incomparable(std::string_view a, std::string_view b) {
  return !NaturalLess(a, b) && !NaturalLess(b, a);
}

void CheckPair(std::string_view a, std::string_view b) {
  const int ab = NaturalCompare(a, b);
  const int ba = NaturalCompare(b, a);
  if ((ab < 0) != (ba > 0) || (ab > 0) != (ba < 0)) Fail("not antisymmetric", a, b);
  if ((ab == 0) != (a == b)) Fail("distinct names tie, or equal ones do not", a, b);
}

void CheckTriple(std::string_view a, std::string_view b, std::string_view c) {
  if (NaturalLess(a, b) && NaturalLess(b, c) && !NaturalLess(a, c)) Fail("not transitive", a, c);
  if (Incomparable(a, b) && Incomparable(b, c) && !Incomparable(a, c)) {
    Fail("incomparability not transitive", a, c);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t cut1 = data[0] % (rest.size() + 1);
  const std::size_t cut2 = cut1 + data[1] % (rest.size() - cut1 + 1);
  const std::array<std::string_view, 3> names = {rest.substr(0, cut1),
                                                 rest.substr(cut1, cut2 - cut1), rest.substr(cut2)};

  for (std::string_view n : names) {
    if (NaturalLess(n, n)) Fail("not irreflexive", n, n);
  }
  for (std::size_t i = 0; i < 3; ++i) {
    for (std::size_t j = 0; j < 3; ++j) CheckPair(names[i], names[j]);
  }
  // Every order of the three, so each transitivity check sees each role.
  static constexpr std::array<std::array<std::size_t, 3>, 6> kOrders = {
      {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}}};
  for (const auto& o : kOrders) CheckTriple(names[o[0]], names[o[1]], names[o[2]]);
  return 0;
}
