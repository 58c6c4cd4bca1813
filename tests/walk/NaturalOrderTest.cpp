#include "walk/NaturalOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace plenwick::walk {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
  return names;
}

TEST(NaturalOrder, NumbersByValueLettersWithoutCase) {
  EXPECT_EQ(
      Sorted({"Chapter 10.docx", "chapter 9.docx", "Chapter 2.docx", "Appendix.doc",
              "chapter 1.docx", "Zeta.doc", "beta.doc"}),
      (std::vector<std::string>{"Appendix.doc", "beta.doc", "chapter 1.docx", "Chapter 2.docx",
                                "chapter 9.docx", "Chapter 10.docx", "Zeta.doc"}));
  // Digit runs longer than any integer type still compare by value.
  EXPECT_TRUE(NaturalLess("v99999999999999999999999", "v100000000000000000000000"));
  EXPECT_TRUE(NaturalLess("x2y10", "x2y9z") == false);
  EXPECT_TRUE(NaturalLess("a", "a1"));
}

TEST(NaturalOrder, DistinctNamesNeverTie) {
  // Equal but for case or leading zeros: the bytes decide, the same way every time.
  EXPECT_LT(NaturalCompare("Report.doc", "report.doc"), 0);
  EXPECT_GT(NaturalCompare("report.doc", "Report.doc"), 0);
  EXPECT_LT(NaturalCompare("file007", "file7"), 0);
  EXPECT_EQ(NaturalCompare("same", "same"), 0);
}

TEST(NaturalOrder, AccentedLettersSortWithTheirBaseLetters) {
  EXPECT_EQ(Sorted({"Zebra.doc", "Ärger.doc", "Emma.doc", "Émile.doc", "Łódź.doc", "lodge.doc"}),
            (std::vector<std::string>{"Ärger.doc", "Émile.doc", "Emma.doc", "lodge.doc", "Łódź.doc",
                                      "Zebra.doc"}));
  // Accents only break ties, and case only after them.
  EXPECT_TRUE(NaturalLess("resume", "résumé"));
  EXPECT_TRUE(NaturalLess("Résumé", "résumé"));
  EXPECT_TRUE(NaturalLess("Жук", "жюри"));
  EXPECT_TRUE(NaturalLess("Άλφα", "άλφα"));
  EXPECT_TRUE(NaturalLess("άλφα", "Βήτα"));
}

TEST(NaturalOrder, IsAStrictTotalOrderEvenOnBrokenUtf8) {
  std::vector<std::string> names = {
      "",     "0",    "00",       "1",        "01",     "a",       "A",  "a1", "a01",
      "a1b",  "a10",  "b",        "B2",       "b10",    "_x",      "~y", "é",  "É",
      "\xff", "\xc3", "\xc3\xa9", "\xe2\x82", "a\xffz", "9 lives", "10"};
  for (const auto& a : names) {
    EXPECT_FALSE(NaturalLess(a, a)) << a;
    for (const auto& b : names) {
      if (a == b) continue;
      EXPECT_NE(NaturalLess(a, b), NaturalLess(b, a)) << a << " / " << b;
      for (const auto& c : names) {
        if (NaturalLess(a, b) && NaturalLess(b, c)) {
          EXPECT_TRUE(NaturalLess(a, c)) << a << " / " << b << " / " << c;
        }
      }
    }
  }
  // Any starting order gives the same result.
  const std::vector<std::string> once = Sorted(names);
  std::mt19937 random(7);
  std::shuffle(names.begin(), names.end(), random);
  EXPECT_EQ(Sorted(names), once);
}

// Names built from pieces that meet at awkward places: digit runs, zeros, split and broken UTF-8
// sequences, letters differing only in case or accent. Shared beginnings are likely, so the
// short cut over a common start is exercised at every kind of boundary.
TEST(NaturalOrder, StaysATotalOrderOnRandomAwkwardNames) {
  const std::vector<std::string> pieces = {
      "0",        "1", "9", "10", "a", "A", "\xc3\xa9", "\xc3\x89", "\xc3", "\xa9", "\xe2\x82\xac",
      "\xe0\x80", "e", " ", "Z"};
  std::mt19937 random(2026);
  // 300 names of up to five pieces each.
  const auto namesOf = [&random](const std::vector<std::string>& from) {
    std::vector<std::string> names;
    for (int n = 0; n < 300; ++n) {
      std::string name;
      const int length = static_cast<int>(random() % 6);
      for (int k = 0; k < length; ++k) name += from[random() % from.size()];
      names.push_back(name);
    }
    return names;
  };
  const std::vector<std::string> names = namesOf(pieces);
  const std::vector<std::string> sorted = Sorted(names);
  // Sorting a folder's listing gives the same order, by keys when every name is ASCII.
  const auto sortNaturally = [](std::vector<std::string> list) {
    SortNaturally(list, [](const std::string& name) -> std::string_view { return name; });
    return list;
  };
  EXPECT_EQ(sortNaturally(names), sorted);
  const std::vector<std::string> ascii =
      namesOf({"0", "00", "1", "9", "10", "007", "12345678", "123456789", "1234567890", "a",
               "A", "Z",  "z", " ", "_",  "~",   "[",        "`",         ".",          "\x01"});
  EXPECT_EQ(sortNaturally(ascii), Sorted(ascii));
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    for (std::size_t j = i + 1; j < sorted.size(); ++j) {
      const int order = NaturalCompare(sorted[i], sorted[j]);
      EXPECT_EQ(order == 0, sorted[i] == sorted[j]);
      EXPECT_LE(order, 0) << i << " " << j;
      EXPECT_EQ(NaturalCompare(sorted[j], sorted[i]), -order);
    }
  }
}

}  // namespace
}  // namespace plenwick::walk
