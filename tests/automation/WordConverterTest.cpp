// Word as the converter of legacy files, against the stand-in Word: opened read-only with macros,
// alerts, conversion prompts and recent-file entries off, saved as .docx, closed without saving;
// failures and a Word that goes away, and the chain that falls back when Word is missing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/automation/FakeWord.h"
#include "word/legacy/ConverterChain.h"
#include "word/legacy/LegacyErrors.h"
#include "word/legacy/UnavailableConverter.h"
#include "word/legacy/WordConverter.h"

namespace plenwick::word::legacy {
namespace {

using automation::ComApartment;
using automation::ComPtr;
using automation::WordServer;
using test::FakeFailure;
using test::FakeWord;
using Texts = std::vector<std::string>;

class WordConverterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("plenwick-wordconv-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    rtf = (folder / "letter.rtf").string();
    std::ofstream(rtf, std::ios::binary)
        << "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Arial;}} Hello.\\par}";
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }

  // Starts the stand-in, counting how often a Word was started.
  WordStarter Starter() {
    return [this]() -> Result<std::shared_ptr<WordServer>> {
      ++starts;
      return WordServer::Adopt(application, true);
    };
  }

  std::string Expected(const std::string& docx) const {
    return "Document.SaveAs2(FileName=\"" + docx + "\", FileFormat=i4:12, AddToRecentFiles=false)";
  }

  ComApartment apartment;
  FakeWord word;
  ComPtr<IDispatch> application = word.NewApplication();
  int starts = 0;
  std::filesystem::path folder;
  std::string rtf;
};

TEST_F(WordConverterTest, OpensReadOnlyWithoutMacrosOrPromptsAndSavesDocx) {
  // The engine names its temporary file with '/'; Word is given Windows' separators.
  const std::string docx = (folder / "converted.docx").string();
  {
    std::unique_ptr<LegacyConverter> converter = MakeWordConverter(Starter());
    ASSERT_TRUE(converter->ConvertToDocx(rtf, folder.string() + "/converted.docx"));
    ASSERT_TRUE(converter->ConvertToDocx(rtf, docx));
  }
  const std::string open = "Documents.Open(FileName=\"" + rtf +
                           "\", ConfirmConversions=false, ReadOnly=true, "
                           "AddToRecentFiles=false, PasswordDocument=\"plenwick-no-password\", "
                           "Visible=false, NoEncodingDialog=true)";
  EXPECT_EQ(
      word.CallTexts(),
      (Texts{"Application.DisplayAlerts(i4:0)", "Application.AutomationSecurity(i4:3)",
             "Application.Documents()", open, Expected(docx), "Document.Close(SaveChanges=i4:0)",
             "Application.Documents()", open, Expected(docx), "Document.Close(SaveChanges=i4:0)",
             "Application.Quit(SaveChanges=i4:0)"}));
  EXPECT_EQ(starts, 1) << "one Word for every file of a converter";
  EXPECT_EQ(word.live, 1);
  EXPECT_EQ(FakeWord::References(application.Get()), 1u);
}

TEST_F(WordConverterTest, FailedSaveStillClosesTheFileAndSaysWhy) {
  word.failures = {FakeFailure{"SaveAs2", 1, DISP_E_EXCEPTION, L"Word cannot save this file.", 0},
                   FakeFailure{"Open", 2, DISP_E_EXCEPTION, L"Word found unreadable content.", 0}};
  std::unique_ptr<LegacyConverter> converter = MakeWordConverter(Starter());
  const Status saved = converter->ConvertToDocx(rtf, (folder / "a.docx").string());
  ASSERT_FALSE(saved);
  EXPECT_EQ(saved.error(),
            MakeError(codes::kConversionFailed,
                      "Word could not save it as .docx: Word cannot save this file."));
  EXPECT_EQ(word.calls.back().Text(), "Document.Close(SaveChanges=i4:0)");
  const Status opened = converter->ConvertToDocx(rtf, (folder / "b.docx").string());
  ASSERT_FALSE(opened);
  EXPECT_EQ(opened.error(), MakeError(codes::kConversionFailed,
                                      "Word could not open it: Word found unreadable content."));
  converter.reset();
  EXPECT_EQ(word.live, 1);
  EXPECT_EQ(FakeWord::References(application.Get()), 1u);
}

TEST_F(WordConverterTest, WordThatWentAwayIsStartedAfreshForTheNextFile) {
  word.failures = {FakeFailure{"Open", 1, RPC_E_DISCONNECTED, L"", 0, true}};
  std::unique_ptr<LegacyConverter> converter = MakeWordConverter(Starter());
  const Status lost = converter->ConvertToDocx(rtf, (folder / "a.docx").string());
  ASSERT_FALSE(lost);
  EXPECT_EQ(lost.error(), MakeError(codes::kConversionFailed,
                                    "Word is no longer running: it was closed, or it crashed"));
  word.gone = false;  // the next start gives a working Word
  EXPECT_TRUE(converter->ConvertToDocx(rtf, (folder / "b.docx").string()));
  EXPECT_EQ(starts, 2);
  converter.reset();
  EXPECT_EQ(word.CallsOf("Quit").size(), 1u) << "the Word that went away is not told to quit";
  EXPECT_EQ(word.live, 1);
  EXPECT_EQ(FakeWord::References(application.Get()), 1u);
}

TEST_F(WordConverterTest, MacrosThatCannotBeTurnedOffMeanNoFileIsOpened) {
  word.failures = {FakeFailure{"AutomationSecurity", 0, DISP_E_EXCEPTION, L"Access denied", 0}};
  std::unique_ptr<LegacyConverter> converter = MakeWordConverter(Starter());
  const Status refused = converter->ConvertToDocx(rtf, (folder / "a.docx").string());
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().code, codes::kConversionFailed);
  EXPECT_TRUE(word.CallsOf("Open").empty());
  converter.reset();
  EXPECT_EQ(word.live, 1);
  EXPECT_EQ(FakeWord::References(application.Get()), 1u);
}

TEST_F(WordConverterTest, WithoutWordTheChainFallsBackAndNamesWordToInstall) {
  std::vector<std::unique_ptr<LegacyConverter>> converters;
  converters.push_back(MakeWordConverter([]() -> Result<std::shared_ptr<WordServer>> {
    return WordServer::Start("Plenwick.NoSuchApplication");
  }));
  converters.push_back(MakeUnavailableConverter());
  std::unique_ptr<LegacyConverter> chain = MakeConverterChain(std::move(converters));
  const Status converted = chain->ConvertToDocx(rtf, (folder / "a.docx").string());
  ASSERT_FALSE(converted);
  EXPECT_EQ(converted.error().code, codes::kConverterMissing);
  EXPECT_NE(converted.error().message.find(": install Microsoft Word to join it"),
            std::string::npos)
      << converted.error().message;
  EXPECT_EQ(converted.error().message.find("("), std::string::npos) << converted.error().message;
  // Word is looked for once; each later file is still named for what it is.
  const std::string text = (folder / "notes.doc").string();
  std::ofstream(text, std::ios::binary) << "Plain text saved under a Word name.\r\n";
  const Status second = chain->ConvertToDocx(text, (folder / "b.docx").string());
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error().message.rfind("RTF", 0), std::string::npos) << second.error().message;
  EXPECT_NE(second.error().message.find(": install Microsoft Word to join it"), std::string::npos);
}

}  // namespace
}  // namespace plenwick::word::legacy
