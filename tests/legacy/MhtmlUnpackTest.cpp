// Unpacking web archives (Word's "single file web page") into a page and its pictures.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "LegacyTestSupport.h"
#include "word/legacy/LegacyErrors.h"
#include "word/legacy/MhtmlUnpack.h"

namespace plenwick::word::legacy {
namespace {

namespace fs = std::filesystem;

// A 1x1 PNG.
const char* kPngBase64 =
    "iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAAD\r\n"
    "UlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==\r\n";

std::string Archive() {
  return std::string(
             "From: <Saved by Word>\r\n"
             "MIME-Version: 1.0\r\n"
             "Content-Type: multipart/related;\r\n"
             "\tboundary=\"----=_NextPart_01D\"\r\n"
             "\r\n"
             "This document is a Single File Web Page.\r\n"
             "\r\n"
             "------=_NextPart_01D\r\n"
             "Content-Location: file:///C:/Docs/report.htm\r\n"
             "Content-Transfer-Encoding: quoted-printable\r\n"
             "Content-Type: text/html; charset=\"utf-8\"\r\n"
             "\r\n"
             "<html><body><p class=3DMsoNormal>Gr=C3=BC=C3=9Fe from the web archive, a long li=\r\n"
             "ne</p><img src=3D\"report_files/image001.png\"></body></html>\r\n"
             "\r\n"
             "------=_NextPart_01D\r\n"
             "Content-Location: file:///C:/Docs/report_files/image001.png\r\n"
             "Content-Transfer-Encoding: base64\r\n"
             "Content-Type: image/png\r\n"
             "\r\n") +
         kPngBase64 + "\r\n------=_NextPart_01D--\r\n";
}

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST(MhtmlUnpack, DecodesThePageAndPointsItAtItsUnpackedPictures) {
  testing::TempDir dir;
  const auto archive = dir.Write("report.doc", Archive());
  auto page = UnpackMhtml(archive.string(), dir.path() / "out");
  ASSERT_TRUE(page) << page.error().message;
  const std::string html = Slurp(*page);
  EXPECT_NE(html.find("<p class=MsoNormal>Gr\xC3\xBC\xC3\x9F"
                      "e from the web archive, a long line</p>"),
            std::string::npos)
      << html;
  EXPECT_NE(html.find("charset=utf-8"), std::string::npos);
  EXPECT_NE(html.find("src=\"page-files/1.png\""), std::string::npos) << html;
  const std::string png = Slurp(dir.path() / "out" / "page-files" / "1.png");
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

TEST(MhtmlUnpack, RejectsArchivesWithoutAPage) {
  testing::TempDir dir;
  auto noParts =
      UnpackMhtml(dir.Write("a.doc", "MIME-Version: 1.0\r\n\r\nhello").string(), dir.path() / "a");
  ASSERT_FALSE(noParts);
  EXPECT_EQ(noParts.error().code, codes::kDamaged);
  auto noPage = UnpackMhtml(
      dir.Write("b.doc",
                "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=b\r\n\r\n--b\r\n"
                "Content-Type: image/png\r\n\r\nxx\r\n--b--\r\n")
          .string(),
      dir.path() / "b");
  ASSERT_FALSE(noPage);
  EXPECT_EQ(noPage.error().message, "damaged: the web archive holds no page");
}

}  // namespace
}  // namespace plenwick::word::legacy
