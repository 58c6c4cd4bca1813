// The one conversion every path crosses on Windows: UTF-8 <-> UTF-16, strict where names are
// acted on, and the std::filesystem paths made from it.
#include "platform/Utf16.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Utf8Path.h"

namespace plenwick::platform {
namespace {

TEST(Utf16, RoundTripsEveryPlaneIncludingSurrogatePairs) {
  const std::string text = "plain Übersicht Έκθεση 報告書 😀 \xF4\x8F\xBF\xBF";
  const std::optional<std::u16string> wide = Utf16FromUtf8(text);
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->substr(0, 6), u"plain ");
  EXPECT_NE(wide->find(u"\U0001F600"), std::u16string::npos);  // one pair for the emoji
  EXPECT_EQ(Utf8FromUtf16(*wide), text);
}

TEST(Utf16, RefusesWhatIsNotUtf8) {
  for (const std::string& bad : {
           std::string("\xC3"),              // cut short
           std::string("\xC0\xAF"),          // overlong "/": would sneak a separator past a check
           std::string("\xE0\x80\xAF"),      // overlong again
           std::string("\xED\xA0\x80"),      // an encoded surrogate
           std::string("\xF4\x90\x80\x80"),  // past U+10FFFF
           std::string("\xFF"),
           std::string("a\x80z"),
       }) {
    EXPECT_FALSE(Utf16FromUtf8(bad)) << bad.size();
  }
}

TEST(Utf16, UnpairedSurrogatesAreRefusedOrReplaced) {
  const std::u16string lone = u"a\xD800z";
  const std::u16string reversed = u"\xDC00\xD800";
  EXPECT_FALSE(Utf8FromUtf16(lone));
  EXPECT_FALSE(Utf8FromUtf16(reversed));
  EXPECT_EQ(Utf8FromUtf16Lossy(lone), "a\xEF\xBF\xBDz");
}

TEST(Utf8Path, NamesSurviveTheTripThroughStdFilesystem) {
  const std::string name = "Ünïcödé 日本語 😀.docx";
  const std::filesystem::path path = PathFromUtf8(name);
  EXPECT_EQ(Utf8FromPath(path), name);
  EXPECT_EQ(Utf8FromPath(path.filename()), name);
  EXPECT_EQ(Utf8FromPath(PathFromUtf8("folder") / path),
            "folder" +
                std::string(1, static_cast<char>(std::filesystem::path::preferred_separator)) +
                name);
}

}  // namespace
}  // namespace plenwick::platform
