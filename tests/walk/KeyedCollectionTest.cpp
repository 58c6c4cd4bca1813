#include "walk/KeyedCollection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plenwick::walk {
namespace {

TEST(KeyedCollection, ReadsByPositionAndKeyAndEnumeratesInOrder) {
  TextCollection texts;
  EXPECT_TRUE(texts.Add("first", "K0"));
  EXPECT_TRUE(texts.Add("unkeyed"));
  EXPECT_TRUE(texts.Add("third", "K2"));

  ASSERT_EQ(texts.Count(), 3U);
  EXPECT_EQ(*texts.Item(1), "first");
  EXPECT_EQ(*texts.Item(2), "unkeyed");
  EXPECT_EQ(*texts.Item(3), "third");
  EXPECT_EQ(texts.Item(0), nullptr);
  EXPECT_EQ(texts.Item(4), nullptr);
  EXPECT_EQ(*texts.Find("K2"), "third");
  EXPECT_EQ(texts.PositionOf("K2"), 3U);
  EXPECT_EQ(texts.Find("K1"), nullptr);
  EXPECT_EQ(texts.PositionOf("K1"), 0U);
  EXPECT_EQ(std::vector<std::string>(texts.begin(), texts.end()),
            (std::vector<std::string>{"first", "unkeyed", "third"}));
}

TEST(KeyedCollection, DuplicateKeyAddsNothing) {
  NumberCollection numbers;
  ASSERT_TRUE(numbers.Add(1, "K1"));
  EXPECT_FALSE(numbers.Add(2, "K1"));
  EXPECT_EQ(numbers.Count(), 1U);
  EXPECT_EQ(*numbers.Find("K1"), 1);
  // Keys are compared exactly: case and spelling matter.
  EXPECT_TRUE(numbers.Add(3, "k1"));
  EXPECT_EQ(*numbers.Find("k1"), 3);
}

TEST(KeyedCollection, ItemsStayReachableByKeyAsItGrows) {
  TextCollection texts;
  constexpr int kItems = 200000;
  for (int i = 1; i <= kItems; ++i)
    ASSERT_TRUE(texts.Add(std::to_string(i), "K" + std::to_string(i)));
  for (int i = 1; i <= kItems; i += 997) {
    EXPECT_EQ(*texts.Find("K" + std::to_string(i)), std::to_string(i));
    EXPECT_EQ(*texts.Item(static_cast<std::size_t>(i)), std::to_string(i));
  }
}

}  // namespace
}  // namespace plenwick::walk
