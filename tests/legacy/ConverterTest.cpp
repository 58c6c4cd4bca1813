// The converter with a real LibreOffice: one office reused for every file, formats made by the
// tests, clean failures, a time limit with a restart, and nothing left behind.
#include <gtest/gtest.h>

#ifndef _WIN32  // the LibreOffice converter's tests: Linux only, as the converter is
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "CompoundBuilder.h"
#include "LegacyTestSupport.h"
#include "word/legacy/ConverterChain.h"
#include "word/legacy/LegacyErrors.h"
#include "word/legacy/RunFolder.h"
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
[[maybe_unused]] const char* kHtml =
    "<!DOCTYPE html><html><body><p>Plenwick web page paragraph</p></body></html>";
[[maybe_unused]] const char* kText = "Plenwick plain text paragraph\nSecond line \xC3\xBC\n";
[[maybe_unused]] const char* kWordXml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
    "<?mso-application progid=\"Word.Document\"?>\n"
    "<w:wordDocument xmlns:w=\"http://schemas.microsoft.com/office/word/2003/wordml\"><w:body>"
    "<w:p><w:r><w:t>Plenwick Word XML paragraph</w:t></w:r></w:p></w:body></w:wordDocument>";

[[maybe_unused]] const char* kMhtml =
    "MIME-Version: 1.0\r\nContent-Type: multipart/related; boundary=\"b1\"\r\n\r\n--b1\r\n"
    "Content-Location: file:///C:/a.htm\r\nContent-Transfer-Encoding: quoted-printable\r\n"
    "Content-Type: text/html; charset=\"us-ascii\"\r\n\r\n<html><body><p>Plenwick web archive "
    "paragraph</p><img src=3D\"a_files/i.png\" width=3D\"20\" height=3D\"20\"></body></html>\r\n"
    "--b1\r\nContent-Location: file:///C:/a_files/i.png\r\nContent-Transfer-Encoding: base64\r\n"
    "Content-Type: image/png\r\n\r\niVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk"
    "+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==\r\n--b1--\r\n";

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

// A converter that answers from a script, one result per call, and counts its calls.
class ScriptedConverter final : public LegacyConverter {
 public:
  ScriptedConverter(std::vector<Status> results, int& calls)
      : results_(std::move(results)), calls_(calls) {}
  Status ConvertToDocx(const std::string&, const std::string&) override {
    return results_.at(static_cast<std::size_t>(calls_++));
  }

 private:
  std::vector<Status> results_;
  int& calls_;
};

TEST(ConverterChain, TriesTheNextOnlyWhenOneIsMissingOrFailed) {
  const Error missingWord = MakeError(codes::kConverterMissing, "RTF document: install Word");
  const Error missingOffice = MakeError(codes::kConverterMissing, "RTF document: install LO");
  const Error failed = MakeError(codes::kConversionFailed, "Word could not open it");
  const Error locked = MakeError(codes::kPasswordProtected, "password-protected");
  int first = 0;
  int second = 0;
  std::vector<std::unique_ptr<LegacyConverter>> converters;
  converters.push_back(std::make_unique<ScriptedConverter>(
      std::vector<Status>{Ok(), failed, locked, missingWord, missingWord}, first));
  converters.push_back(std::make_unique<ScriptedConverter>(
      std::vector<Status>{Ok(), missingOffice, failed}, second));
  auto chain = MakeConverterChain(std::move(converters));

  EXPECT_TRUE(chain->ConvertToDocx("a", "a.docx"));
  EXPECT_EQ(second, 0) << "the first converter did it";
  EXPECT_TRUE(chain->ConvertToDocx("b", "b.docx")) << "the second reads what the first could not";
  EXPECT_EQ(chain->ConvertToDocx("c", "c.docx").error(), locked) << "the file's own fault is final";
  EXPECT_EQ(second, 1);
  EXPECT_EQ(chain->ConvertToDocx("d", "d.docx").error(), missingWord)
      << "with none installed, the first says what to install";
  EXPECT_EQ(chain->ConvertToDocx("e", "e.docx").error(), failed)
      << "one that tried says more than one that is missing";
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

  // Converts a web page and an RTF file that link to a port on the loopback; nobody may knock.
  void ExpectNoFetches();

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
  EXPECT_NE(ConvertText(*c, "archive.doc", kMhtml).find("Plenwick web archive paragraph"),
            std::string::npos);
  EXPECT_FALSE(ReadZipEntry(dir_.path() / "archive.doc.docx", "word/media/image1.png").empty());
  EXPECT_EQ(c->OfficePid(), office);
  EXPECT_EQ(c->HelperPid(), helper);

  // The sources are read through private copies: nothing new appears beside them.
  std::size_t beside = 0;
  for (const auto& e : fs::directory_iterator(dir_.path())) beside += e.is_regular_file() ? 1u : 0u;
  EXPECT_EQ(beside, 10u);  // five sources, five results

  const std::string work = c->WorkDir();
  c.reset();
  EXPECT_TRUE(testing::ProcessEnds(office));
  EXPECT_TRUE(testing::ProcessEnds(helper));
  EXPECT_FALSE(fs::exists(work));
  EXPECT_FALSE(fs::exists(home / ".config" / "libreoffice"));
  // Nor the pipe it talked to the office through.
  const std::string ours = "_plenwick-" + std::to_string(getpid()) + "-";
  for (const auto& e : fs::directory_iterator("/tmp")) {
    const std::string name = e.path().filename().string();
    EXPECT_FALSE(name.starts_with("OSL_PIPE_") && name.find(ours) != std::string::npos) << name;
  }
  if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
}

// A listening socket on the loopback that counts who knocked.
class Listener {
 public:
  Listener() {
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd_, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(fd_, 16) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      close(fd_);
      fd_ = -1;
      return;
    }
    port_ = ntohs(addr.sin_port);
  }
  ~Listener() {
    if (fd_ >= 0) close(fd_);
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;
  int port() const { return port_; }
  int Knocks() const {
    int n = 0;
    for (int c; (c = accept(fd_, nullptr, nullptr)) >= 0; ++n) close(c);
    return n;
  }

 private:
  int fd_ = -1;
  int port_ = 0;
};

void LibreOfficeTest::ExpectNoFetches() {
  Listener server;
  ASSERT_GT(server.port(), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port());
  auto c = MakeLibreOfficeConverter();
  const std::string page = "<!DOCTYPE html><html><head><link rel=\"stylesheet\" href=\"" + url +
                           "/style.css\"></head><body><p>Linked page</p><img src=\"" + url +
                           "/picture.png\" width=\"40\" height=\"40\"></body></html>";
  EXPECT_NE(ConvertText(*c, "linked.htm", page).find("Linked page"), std::string::npos);
  const std::string rtf = "{\\rtf1\\ansi Linked rtf {\\field{\\*\\fldinst INCLUDEPICTURE \"" + url +
                          "/field.png\" \\\\d}{\\fldrslt }}\\par}";
  EXPECT_NE(ConvertText(*c, "linked.rtf", rtf).find("Linked rtf"), std::string::npos);
  EXPECT_EQ(server.Knocks(), 0);
}

TEST_F(LibreOfficeTest, NeverFetchesWhatADocumentLinksTo) {
  ExpectNoFetches();
}

TEST_F(LibreOfficeTest, NeverFetchesEvenWithoutANetworkOfItsOwn) {
  // Where the system allows no namespaces, the private profile's proxy to nowhere holds.
  setenv("PLENWICK_TEST_NO_NETNS", "1", 1);
  ExpectNoFetches();
  unsetenv("PLENWICK_TEST_NO_NETNS");
}

TEST_F(LibreOfficeTest, SaysWhatToInstallWhenTheOfficeIsMissing) {
  LibreOfficeOptions options;
  options.officeProgram = (dir_.path() / "no-office" / "soffice.bin").string();
  auto c = MakeLibreOfficeConverter(options);
  const auto out = (dir_.path() / "out.docx").string();
  Status st = c->ConvertToDocx(dir_.Write("a.doc", kRtf).string(), out);
  ASSERT_FALSE(st);
  EXPECT_EQ(st.error().code, codes::kConverterMissing);
  EXPECT_EQ(
      st.error().message,
      "RTF document: install LibreOffice (Debian package libreoffice-writer-nogui) to join it");
  EXPECT_EQ(c->HelperPid(), -1);
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

// A process id that belonged to a run which has ended.
pid_t EndedProcess() {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  return child;
}

TEST_F(LibreOfficeTest, LeavesNothingInTheTemporaryFolderAndTidiesWhatKilledRunsLeft) {
  const fs::path temp = dir_.path() / "temp";
  fs::create_directories(temp);
  const char* oldTemp = getenv("TMPDIR");
  const std::string savedTemp = oldTemp != nullptr ? oldTemp : "";
  setenv("TMPDIR", temp.c_str(), 1);
  // What a run killed with its helper leaves: its work folder, and a conversion folder.
  const std::string ended = std::to_string(EndedProcess());
  fs::create_directories(temp / ("plenwick-legacy-" + ended + "-a1b2c3") / "profile");
  fs::create_directories(temp / ("plenwick-" + ended + "-d4e5f6"));
  // Someone else's, or a run still going: left alone.
  const fs::path alive = temp / ("plenwick-legacy-" + std::to_string(getpid()) + "-g7h8i9");
  fs::create_directories(alive);
  fs::create_directories(temp / "plenwick-legacy-keep");

  auto c = MakeLibreOfficeConverter();
  EXPECT_NE(ConvertText(*c, "rich.doc", kRtf).find("Plenwick rich text paragraph"),
            std::string::npos);
  c.reset();
  Result<std::string> conversion = MakeRunFolder(temp.string(), "plenwick");
  ASSERT_TRUE(conversion);
  fs::remove(*conversion);
  if (oldTemp != nullptr) {
    setenv("TMPDIR", savedTemp.c_str(), 1);
  } else {
    unsetenv("TMPDIR");
  }
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(temp)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{alive.filename().string(), "plenwick-legacy-keep"}));
}

TEST_F(LibreOfficeTest, TextThatComesBackEmptyIsNotJoined) {
  auto c = MakeLibreOfficeConverter();
  // Text after the document's closing brace: the office reads one empty paragraph.
  const auto out = dir_.path() / "stray.docx";
  const Status st = c->ConvertToDocx(
      dir_.Write("stray.rtf", "{\\rtf1\\ansi}Text the office never shows").string(), out.string());
  ASSERT_FALSE(st);
  EXPECT_EQ(st.error().code, codes::kConversionFailed);
  EXPECT_NE(st.error().message.find("conversion came back empty"), std::string::npos)
      << st.error().message;
  // A file with no text at all is no loss: it converts to its empty page.
  Status empty;
  ConvertText(*c, "empty.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\par}", &empty);
  EXPECT_TRUE(empty);
}

#else
TEST(LibreOfficeTest, NeedsTheLibreOfficeConverter) {
  std::string why;
  testing::ConverterAvailable(why);
  GTEST_SKIP() << why;
}
#endif

}  // namespace
}  // namespace plenwick::word::legacy
