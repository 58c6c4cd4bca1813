// The converter with a real LibreOffice: one office reused for every file, formats made by the
// tests, clean failures, a time limit with a restart, and nothing left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "CompoundBuilder.h"
#include "LegacyTestSupport.h"
#include "word/legacy/LegacyErrors.h"
#include "word/legacy/UnavailableConverter.h"

#if PLENWICK_HAS_LIBREOFFICE_CONVERTER
#include "word/legacy/LibreOfficeConverter.h"
#endif

namespace plenwick::word::legacy {
namespace {

namespace fs = std::filesystem;
using testing::CompoundBuilder;
using testing::ReadZipEntry;
using testing::TempDir;

const char* kRtf =
    "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 Plenwick rich text paragraph.\\par}";
const char* kHtml = "<!DOCTYPE html><html><body><p>Plenwick web page paragraph</p></body></html>";
const char* kText = "Plenwick plain text paragraph\nSecond line \xC3\xBC\n";
const char* kWordXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<?mso-application progid=\"Word.Document\"?>\n"
    "<w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\"><w:body>"
    "<w:p><w:r><w:t>Plenwick Word XML paragraph</w:t></w:r></w:p></w:body></w:wordDocument>";

std::string ProtectedDoc() {
  const auto bytes =
      CompoundBuilder().Add("WordDocument", testing::WordFib(0xA5EC, 0x0300)).Add("1Table").Build();
  return {bytes.begin(), bytes.end()};
}

TEST(UnavailableConverter, SaysWhatToInstallAndStillTellsFilesApart) {
  TempDir dir;
  auto converter = MakeUnavailableConverter();
  const auto out = (dir.path() / "out.docx").string();

  auto rtf = converter->ConvertToDocx(dir.Write("a.doc", kRtf).string(), out);
  ASSERT_FALSE(rtf);
  EXPECT_EQ(rtf.error().code, codes::kConverterMissing);
  EXPECT_EQ(
      rtf.error().message,
      "RTF document: install LibreOffice (Debian package libreoffice-writer-nogui) to join it");

  auto locked = converter->ConvertToDocx(dir.Write("p.doc", ProtectedDoc()).string(), out);
  ASSERT_FALSE(locked);
  EXPECT_EQ(locked.error().code, codes::kPasswordProtected);

  auto missing = converter->ConvertToDocx((dir.path() / "none.doc").string(), out);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().code, codes::kReadFailed);
  EXPECT_FALSE(fs::exists(out));
}

#if PLENWICK_HAS_LIBREOFFICE_CONVERTER

class LibreOfficeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!testing::ConverterAvailable(why)) GTEST_SKIP() << why;
  }

  // Converts and returns the main text part of the result ("" on failure, with the reason).
  std::string ConvertText(LegacyConverter& c, const std::string& name, const std::string& content,
                          Status* status = nullptr) {
    const auto out = dir_.path() / (name + ".docx");
    Status st = c.ConvertToDocx(dir_.Write(name, content).string(), out.string());
    if (status != nullptr) *status = st;
    if (!st) {
      ADD_FAILURE() << name << ": " << st.error().message;
      return {};
    }
    return ReadZipEntry(out, "word/document.xml");
  }

  TempDir dir_;
};

TEST_F(LibreOfficeTest, ConvertsEveryTextFormatThroughOneOffice) {
  // A home of its own shows that the person's LibreOffice profile is never touched.
  const fs::path home = dir_.path() / "home";
  fs::create_directories(home);
  const char* oldHome = getenv("HOME");
  const std::string savedHome = oldHome != nullptr ? oldHome : "";
  setenv("HOME", home.c_str(), 1);

  auto c = MakeLibreOfficeConverter();
  EXPECT_NE(ConvertText(*c, "rich.doc", kRtf).find("Plenwick rich text paragraph"),
            std::string::npos);
  const pid_t office = c->OfficePid();
  const pid_t helper = c->HelperPid();
  EXPECT_GT(office, 0);
  EXPECT_NE(ConvertText(*c, "page.doc", kHtml).find("Plenwick web page paragraph"),
            std::string::npos);
  const std::string text = ConvertText(*c, "text.doc", kText);
  EXPECT_NE(text.find("Plenwick plain text paragraph"), std::string::npos);
  EXPECT_NE(text.find("Second line \xC3\xBC"), std::string::npos);
  EXPECT_NE(ConvertText(*c, "xml.doc", kWordXml).find("Plenwick Word XML paragraph"),
            std::string::npos);
  EXPECT_EQ(c->OfficePid(), office);
  EXPECT_EQ(c->HelperPid(), helper);

  // The sources are read through private copies: nothing new appears beside them.
  std::size_t beside = 0;
  for (const auto& e : fs::directory_iterator(dir_.path())) beside += e.is_regular_file() ? 1u : 0u;
  EXPECT_EQ(beside, 8u);  // four sources, four results

  const std::string work = c->WorkDir();
  c.reset();
  EXPECT_TRUE(testing::ProcessEnds(office));
  EXPECT_TRUE(testing::ProcessEnds(helper));
  EXPECT_FALSE(fs::exists(work));
  EXPECT_FALSE(fs::exists(home / ".config" / "libreoffice"));
  if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
}

TEST_F(LibreOfficeTest, RejectsWhatItCannotJoinWithoutStartingTheOffice) {
  auto c = MakeLibreOfficeConverter();
  const auto out = (dir_.path() / "out.docx").string();
  auto locked = c->ConvertToDocx(dir_.Write("p.doc", ProtectedDoc()).string(), out);
  ASSERT_FALSE(locked);
  EXPECT_EQ(locked.error().message, "password-protected");
  auto sheet = c->ConvertToDocx(dir_.Write("s.doc",
                                           [] {
                                             const auto b =
                                                 CompoundBuilder().Add("Workbook").Build();
                                             return std::string(b.begin(), b.end());
                                           }())
                                    .string(),
                                out);
  ASSERT_FALSE(sheet);
  EXPECT_EQ(sheet.error().message, "not a Word document (a spreadsheet)");
  EXPECT_EQ(c->HelperPid(), -1);
  EXPECT_FALSE(fs::exists(out));
}

TEST_F(LibreOfficeTest, AHungConversionTimesOutAndTheNextFileGetsAFreshOffice) {
  auto c = MakeLibreOfficeConverter();
  ASSERT_NE(ConvertText(*c, "first.rtf", kRtf), "");
  const pid_t office = c->OfficePid();
  const pid_t helper = c->HelperPid();

  c->SetConversionTimeLimit(std::chrono::milliseconds(1));
  const auto out = (dir_.path() / "slow.docx").string();
  Status slow = c->ConvertToDocx(dir_.Write("slow.rtf", kRtf).string(), out);
  ASSERT_FALSE(slow);
  EXPECT_EQ(slow.error().code, codes::kConversionFailed);
  EXPECT_EQ(slow.error().message, "conversion timed out after 1 ms");
  EXPECT_FALSE(fs::exists(out));
  EXPECT_TRUE(testing::ProcessEnds(office));
  EXPECT_TRUE(testing::ProcessEnds(helper));

  c->SetConversionTimeLimit(std::chrono::seconds(60));
  EXPECT_NE(ConvertText(*c, "after.rtf", kRtf).find("Plenwick rich text"), std::string::npos);
  EXPECT_NE(c->OfficePid(), office);
}

TEST_F(LibreOfficeTest, AnOfficeThatDiedWhileIdleIsStartedAgain) {
  auto c = MakeLibreOfficeConverter();
  ASSERT_NE(ConvertText(*c, "one.rtf", kRtf), "");
  const pid_t office = c->OfficePid();
  ASSERT_GT(office, 0);
  kill(office, SIGKILL);
  ASSERT_TRUE(testing::ProcessEnds(office));
  EXPECT_NE(ConvertText(*c, "two.rtf", kRtf).find("Plenwick rich text"), std::string::npos);
  EXPECT_NE(c->OfficePid(), office);
}

TEST_F(LibreOfficeTest, TheOfficeEndsWhenTheProgramDiesWithoutCleaningUp) {
  int report[2];
  ASSERT_EQ(pipe(report), 0);
  const std::string source = dir_.Write("crash.rtf", kRtf).string();
  const std::string out = (dir_.path() / "crash.docx").string();
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The "program": converts one file, tells what it runs, then dies without a destructor.
    auto c = MakeLibreOfficeConverter();
    const bool ok = static_cast<bool>(c->ConvertToDocx(source, out));
    const std::string line = std::to_string(ok) + " " + std::to_string(c->HelperPid()) + " " +
                             std::to_string(c->OfficePid()) + " " + c->WorkDir() + "\n";
    (void)!write(report[1], line.data(), line.size());
    raise(SIGKILL);
  }
  close(report[1]);
  std::string line;
  char buf[512];
  for (ssize_t n; (n = read(report[0], buf, sizeof buf)) > 0;)
    line.append(buf, static_cast<std::size_t>(n));
  close(report[0]);
  waitpid(child, nullptr, 0);
  int ok = 0;
  pid_t helper = -1;
  pid_t office = -1;
  char work[400] = {};
  ASSERT_EQ(sscanf(line.c_str(), "%d %d %d %399s", &ok, &helper, &office, work), 4) << line;
  EXPECT_EQ(ok, 1);
  EXPECT_TRUE(testing::ProcessEnds(helper));
  EXPECT_TRUE(testing::ProcessEnds(office));
  for (int i = 0; i < 100 && fs::exists(work); ++i) usleep(50000);
  EXPECT_FALSE(fs::exists(work));
}

#endif

}  // namespace
}  // namespace plenwick::word::legacy
