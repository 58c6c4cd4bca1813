// The writer keeps the bytes of parts it may need again out of memory, in a file of its own: on
// every platform, what it reads back must be what it was given.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/Utf8Path.h"
#include "tests/support/TestPaths.h"
#include "word/package/Zip.h"

namespace plenwick::word::package {
namespace {

std::string Picture(std::uint32_t& x, std::size_t size) {
  std::string picture;  // pseudo-random: it does not compress
  picture.reserve(size);
  for (std::size_t j = 0; j < size; ++j) {
    x = x * 1664525u + 1013904223u;
    picture += static_cast<char>(x >> 24);
  }
  return picture;
}

// More pictures than are kept in memory before the first save, then saves after each of a few
// more: every picture comes back whole, in its place, whether it was set aside by the limit or
// because two saves had written it, and whatever the save (full or into the spare).
TEST(FixedAside, PartsSetAsideComeBackWhole) {
  const std::filesystem::path dir = test::MakeTempFolder("plenwick-aside-");
  {
    PackageWriter w;
    std::vector<std::string> pictures;
    std::uint32_t x = 7;
    const auto add = [&](std::size_t size) {
      pictures.push_back(Picture(x, size));
      return w.AddFixed(MakeEntry("word/media/image" + std::to_string(pictures.size()) + ".png",
                                  pictures.back()));
    };
    for (int i = 0; i < 40; ++i) ASSERT_TRUE(add(1 << 20));
    // The very same part again is still told from another under its name.
    EXPECT_TRUE(w.AddFixed(MakeEntry("word/media/image1.png", pictures[0])));
    EXPECT_FALSE(w.AddFixed(MakeEntry("word/media/image1.png", pictures[1])));
    const std::string target = platform::Utf8FromPath(dir / "out.doc");
    for (int save = 0; save < 5; ++save) {
      ASSERT_TRUE(add(3000));
      ASSERT_TRUE(w.Save(target, {MakeEntry("[Content_Types].xml", "<Types/>")}));
    }
    w.DropSpares();  // the next save is a full write, of every part set aside
    ASSERT_TRUE(w.Save(target, {MakeEntry("[Content_Types].xml", "<Types/>")}));
    Result<ZipReader> zip = ZipReader::Open(target);
    ASSERT_TRUE(zip) << zip.error().message;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      Result<std::string> bytes = zip->Read("word/media/image" + std::to_string(i + 1) + ".png");
      ASSERT_TRUE(bytes) << i;
      EXPECT_TRUE(*bytes == pictures[i]) << i;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

}  // namespace
}  // namespace plenwick::word::package
