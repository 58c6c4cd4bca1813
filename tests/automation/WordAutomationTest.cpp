// The Word layer over Word's automation objects, driven as the join run drives it, against a
// stand-in Word: the calls and their arguments, Word's failures as the run reports them, and
// every object released (and Word quit) at the end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "join/JoinLoop.h"
#include "join/JoinReport.h"
#include "join/OutputName.h"
#include "join/WordSession.h"
#include "platform/win/WideText.h"
#include "tests/automation/FakeWord.h"
#include "word/automation/Dispatch.h"
#include "word/automation/SaveFormat.h"
#include "word/automation/WordAutomation.h"
#include "word/automation/WordObjects.h"
#include "word/automation/WordServer.h"

namespace plenwick::word::automation {
namespace {

using test::FakeFailure;
using test::FakeWord;
using Texts = std::vector<std::string>;

constexpr SCODE kWordError5174 = static_cast<SCODE>(0x800A1436);  // file not found

class WordAutomationTest : public ::testing::Test {
 protected:
  // The join run's factory, over the stand-in passed in directly.
  ApplicationFactory Factory() {
    return [this](std::string_view) -> Result<std::shared_ptr<Application>> {
      return MakeWordApplication(WordServer::Adopt(application, true));
    };
  }

  ComApartment apartment;
  FakeWord word;
  ComPtr<IDispatch> application = word.NewApplication();
};

TEST_F(WordAutomationTest, JoinCallsWordInOrderWithItsArguments) {
  {
    join::WordSession session;
    ASSERT_TRUE(session.Start(Factory()));
    EXPECT_TRUE(session.Append("C:\\Docs\\Überblick 1.docx"));
    EXPECT_TRUE(session.Save("D:\\Out\\All-One-Doc 919 14-5-30.doc"));
    EXPECT_TRUE(session.Append("C:\\Docs\\b.DOC"));
    EXPECT_TRUE(session.Save("D:\\Out\\All-One-Doc 919 14-5-30.doc"));
    EXPECT_EQ(word.live, 3) << "application, document and the last range are held";
  }
  EXPECT_EQ(
      word.CallTexts(),
      (Texts{"Application.Documents()", "Documents.Add()", "Document.Range()",
             "Range.Collapse(i2:0)", "Range.InsertFile(\"C:\\Docs\\Überblick 1.docx\")",
             "Document.SaveAs2(FileName=\"D:\\Out\\All-One-Doc 919 14-5-30.doc\", "
             "FileFormat=i4:0)",
             "Document.Range()", "Range.Collapse(i2:0)", "Range.InsertFile(\"C:\\Docs\\b.DOC\")",
             "Document.SaveAs2(FileName=\"D:\\Out\\All-One-Doc 919 14-5-30.doc\", "
             "FileFormat=i4:0)",
             "Application.Quit(SaveChanges=i4:0)"}));
  EXPECT_EQ(word.calls[0].flags, DISPATCH_PROPERTYGET);
  EXPECT_EQ(word.calls[1].flags, DISPATCH_METHOD);
  // The collection goes as soon as the document is added; then range, document, application.
  EXPECT_EQ(word.released, (Texts{"Documents", "Range", "Range", "Document"}));
  EXPECT_EQ(word.live, 1) << "only the test's own reference to the application is left";
  EXPECT_EQ(FakeWord::References(application.Get()), 1u);
  application.Reset();
  EXPECT_EQ(word.live, 0);
}

TEST_F(WordAutomationTest, OlderWordSavesWithSaveAsInTheFormatTheNameAsksFor) {
  word.hasSaveAs2 = false;
  join::WordSession session;
  ASSERT_TRUE(session.Start(Factory()));
  EXPECT_TRUE(session.Save("D:\\Out\\all.DOCX"));
  EXPECT_EQ(word.CallsOf("SaveAs").at(0).Text(),
            "Document.SaveAs(FileName=\"D:\\Out\\all.DOCX\", FileFormat=i4:12)");
  EXPECT_EQ(SaveFormatFor("a.doc"), kFormatDocument);
  EXPECT_EQ(SaveFormatFor("C:\\x.y\\a.Rtf"), kFormatRtf);
  EXPECT_EQ(SaveFormatFor("a.docm"), kFormatXmlMacroEnabled);
  EXPECT_EQ(SaveFormatFor("C:\\x.docx\\name"), kFormatDocumentDefault);
  EXPECT_EQ(SaveFormatFor("a.doc.bak"), kFormatDocumentDefault);
}

TEST_F(WordAutomationTest, FirstSaveClaimsTheNameBeforeWordWritesIt) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::string folder = platform::win::Narrow(temp).value_or("");
  const std::string free =
      folder + "plenwick-claim-" + std::to_string(GetCurrentProcessId()) + ".doc";
  const std::string failing = free + "x";
  const std::wstring freeWide = *platform::win::Wide(free);
  word.failures = {FakeFailure{"SaveAs2", 2, DISP_E_EXCEPTION, L"The disk is full.", 0}};
  join::WordSession session;
  ASSERT_TRUE(session.Start(Factory()));

  ASSERT_TRUE(session.SaveNew(free));
  EXPECT_NE(GetFileAttributesW(freeWide.c_str()), INVALID_FILE_ATTRIBUTES) << "the name is held";
  const Status taken = session.SaveNew(free);
  ASSERT_FALSE(taken);
  EXPECT_EQ(taken.error(),
            MakeError(wordc::kNameTaken, "cannot save " + free + ": the name is taken"));
  EXPECT_EQ(word.CallsOf("SaveAs2").size(), 1u) << "Word is not asked to replace what is there";

  const Status failed = session.SaveNew(failing);
  ASSERT_FALSE(failed);
  EXPECT_EQ(failed.error().code, wordc::kWriteFailed);
  EXPECT_EQ(GetFileAttributesW(platform::win::Wide(failing)->c_str()), INVALID_FILE_ATTRIBUTES)
      << "a failed save gives the name back";
  DeleteFileW(freeWide.c_str());
}

TEST_F(WordAutomationTest, ArgumentsGoInReverseOrderAndNamedOnesByName) {
  const Variant first = Variant::Text(L"C:\\a.docx");
  const Variant second = Variant::Int32(12);
  const Variant named = Variant::Bool(false);
  ComPtr<IDispatch> documents =
      *InvokeForObject(*application.Get(), L"Documents", CallKind::kGet, {}, {1, "x"});
  ComPtr<IDispatch> document =
      *InvokeForObject(*documents.Get(), L"Add", CallKind::kMethod, {}, {1, "x"});
  ASSERT_TRUE(Invoke(*document.Get(), L"SaveAs", CallKind::kMethod,
                     {{L"", first}, {L"", second}, {L"AddToRecentFiles", named}}, {1, "x"}));
  EXPECT_EQ(word.calls.back().Text(),
            "Document.SaveAs(\"C:\\a.docx\", i4:12, AddToRecentFiles=false)");
  ASSERT_TRUE(
      Invoke(*application.Get(), L"DisplayAlerts", CallKind::kPut, {{L"", second}}, {1, "x"}));
  EXPECT_EQ(word.calls.back().flags, DISPATCH_PROPERTYPUT);
  EXPECT_EQ(word.calls.back().Text(), "Application.DisplayAlerts(i4:12)");

  const Result<Variant> unknown =
      Invoke(*document.Get(), L"PrintOut", CallKind::kMethod, {}, {wordc::kWriteFailed, "Print"});
  ASSERT_FALSE(unknown);
  EXPECT_EQ(unknown.error(),
            MakeError(wordc::kWriteFailed,
                      "Print: Word has no \"PrintOut\" (is \"Word.Application\" really Microsoft "
                      "Word?)"));
  const Result<Variant> badName = Invoke(*document.Get(), L"SaveAs", CallKind::kMethod,
                                         {{L"Fi1eName", first}}, {wordc::kWriteFailed, "Save"});
  ASSERT_FALSE(badName);
  EXPECT_EQ(badName.error().message,
            "Save: Word has no \"SaveAs\" (is \"Word.Application\" really Microsoft Word?)");
}

TEST_F(WordAutomationTest, FailuresMidRunGiveTheReasonsTheRunReports) {
  word.failures = {
      FakeFailure{"InsertFile", 2, DISP_E_EXCEPTION, L"This file could not be found.\r\n ",
                  kWordError5174},
      FakeFailure{"SaveAs2", 2, DISP_E_EXCEPTION, L"The disk is full.", 0},
  };
  join::WordSession session;
  ASSERT_TRUE(session.Start(Factory()));
  walk::TextCollection items;
  for (const char* path :
       {"C:\\s\\a.docx", "C:\\s\\b.doc", "C:\\s\\notes.txt", "C:\\s\\c.docx", "C:\\s\\d.docx"}) {
    items.Add(path);
  }
  join::OutputFile output = join::OutputFile::Fixed("D:\\all.doc");
  const join::JoinOutcome outcome = join::JoinDocuments(session, items, output, {});
  session.Release();

  EXPECT_EQ(outcome.joined, 3);
  ASSERT_EQ(outcome.notJoined.size(), 1u);
  EXPECT_EQ(outcome.notJoined[0].reason,
            MakeError(wordc::kReadFailed,
                      "Word could not insert it: This file could not be found. (Word error 5174)"));
  EXPECT_EQ(outcome.savesFailed, 1);
  EXPECT_FALSE(outcome.unsavedAtEnd);
  EXPECT_EQ(join::RunEndMessage(outcome, "C:\\in\\", {}).text,
            "Completed !\n\n"
            "1 document could not be joined:\n"
            "C:\\s\\b.doc: Word could not insert it: This file could not be found. (Word error "
            "5174)\n\n"
            "Saving the output D:\\all.doc failed 1 time (Word could not save the document: The "
            "disk is full.); the last save succeeded, so it holds every document joined.");
  EXPECT_EQ(word.CallsOf("InsertFile").size(), 4u);
  EXPECT_EQ(word.CallsOf("SaveAs2").size(), 3u);
  EXPECT_EQ(word.live, 1);
  EXPECT_EQ(FakeWord::References(application.Get()), 1u);
}

TEST_F(WordAutomationTest, WordThatDisappearsFailsEveryLaterStepWithOneClearReason) {
  for (const HRESULT gone : {RPC_E_DISCONNECTED, HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE)}) {
    SCOPED_TRACE(gone);
    word.calls.clear();
    word.gone = false;
    word.failures = {FakeFailure{"InsertFile", 2, gone, L"", 0, true}};
    join::WordSession session;
    ASSERT_TRUE(session.Start(Factory()));
    walk::TextCollection items;
    for (const char* path : {"C:\\a.docx", "C:\\b.docx", "C:\\c.docx"}) items.Add(path);
    join::OutputFile output = join::OutputFile::Fixed("D:\\all.docx");
    const join::JoinOutcome outcome = join::JoinDocuments(session, items, output, {});
    session.Release();

    const Error reason = MakeError(wordc::kEngineStopped, std::string(kWordGoneReason));
    EXPECT_EQ(outcome.joined, 1);
    ASSERT_EQ(outcome.notJoined.size(), 2u);
    EXPECT_EQ(outcome.notJoined[0].reason, reason);
    EXPECT_EQ(outcome.notJoined[1].reason, reason);
    EXPECT_EQ(join::ReasonText(reason), "Word is no longer running: it was closed, or it crashed");
    // Once gone, Word is not called again: not for the third document, not to quit.
    EXPECT_EQ(word.CallsOf("InsertFile").size(), 2u);
    EXPECT_TRUE(word.CallsOf("Quit").empty());
    EXPECT_EQ(word.live, 1);
    EXPECT_EQ(FakeWord::References(application.Get()), 1u);
  }
}

TEST_F(WordAutomationTest, FailedStartReleasesWhatWasTaken) {
  word.failures = {FakeFailure{"Add", 1, DISP_E_EXCEPTION, L"Command failed", 0}};
  join::WordSession session;
  const Status started = session.Start(Factory());
  ASSERT_FALSE(started);
  EXPECT_EQ(started.error().message, "Word could not add a new document: Command failed");
  EXPECT_EQ(word.CallTexts(), (Texts{"Application.Documents()", "Documents.Add()",
                                     "Application.Quit(SaveChanges=i4:0)"}));
  EXPECT_EQ(word.live, 1);
  EXPECT_EQ(FakeWord::References(application.Get()), 1u);
}

// Registers the stand-in as "Word.Application" for this process: its class object with COM and,
// where no Word is installed (a throwaway wine prefix), the ProgID in HKEY_CLASSES_ROOT.
class RegisteredWord {
 public:
  explicit RegisteredWord(FakeWord& word) {
    CLSID existing{};
    if (SUCCEEDED(CLSIDFromProgID(L"Word.Application", &existing))) {
      skip_ = "Word.Application is registered on this machine; the stand-in does not replace it";
      return;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Word.Application\\CLSID", 0, nullptr, 0, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
      skip_ = "HKEY_CLASSES_ROOT cannot be written here (run under wine with a throwaway prefix)";
      return;
    }
    const wchar_t* clsid = L"{5B0C7E41-8D2A-4F7B-9C1E-3A6D2F0B9E17}";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(clsid),
                   static_cast<DWORD>((wcslen(clsid) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    registeredProgId_ = true;
    CLSIDFromString(clsid, &clsid_);
    factory_ = word.NewFactory();
    if (FAILED(CoRegisterClassObject(clsid_, factory_.Get(), CLSCTX_LOCAL_SERVER,
                                     REGCLS_MULTIPLEUSE, &cookie_))) {
      skip_ = "the stand-in's class object could not be registered";
    }
  }
  ~RegisteredWord() {
    if (cookie_ != 0) CoRevokeClassObject(cookie_);
    factory_.Reset();
    if (registeredProgId_) RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Word.Application");
  }
  const std::string& skip() const { return skip_; }

 private:
  std::string skip_;
  bool registeredProgId_ = false;
  CLSID clsid_{};
  ComPtr<IClassFactory> factory_;
  DWORD cookie_ = 0;
};

TEST_F(WordAutomationTest, RegisteredWordIsStartedQuietAndQuitAtTheEnd) {
  application.Reset();
  {
    RegisteredWord registered(word);
    if (!registered.skip().empty()) GTEST_SKIP() << registered.skip();
    join::WordSession session;
    ASSERT_TRUE(session.Start(CreateWordApplication));
    EXPECT_TRUE(session.Append("C:\\a.docx"));
    EXPECT_TRUE(session.Save("C:\\out.docx"));
    session.Release();
    EXPECT_EQ(
        word.CallTexts(),
        (Texts{"Application.DisplayAlerts(i4:0)", "Application.Documents()", "Documents.Add()",
               "Document.Range()", "Range.Collapse(i2:0)", "Range.InsertFile(\"C:\\a.docx\")",
               "Document.SaveAs2(FileName=\"C:\\out.docx\", FileFormat=i4:12)",
               "Application.Quit(SaveChanges=i4:0)"}));
    EXPECT_EQ(word.released.back(), "Application");
  }
  EXPECT_EQ(word.live, 0) << "every object and the class factory are released";
}

TEST_F(WordAutomationTest, WithoutWordTheReasonSaysItIsNotInstalled) {
  const Result<std::shared_ptr<Application>> none =
      CreateWordApplication("Plenwick.NoSuchApplication");
  ASSERT_FALSE(none);
  EXPECT_EQ(none.error(),
            MakeError(errc::kUnavailable,
                      "Microsoft Word is not installed (\"Plenwick.NoSuchApplication\" "
                      "is not registered)"));
  EXPECT_TRUE(WordAutomationAvailable());
}

}  // namespace
}  // namespace plenwick::word::automation
