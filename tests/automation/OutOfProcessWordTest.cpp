// The join through a stand-in Word that COM starts in a process of its own, as it starts Word:
// calls cross processes, Word is quit at the end, and a Word that crashes mid-run is reported as
// gone for every later document.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "join/JoinLoop.h"
#include "join/JoinReport.h"
#include "join/OutputName.h"
#include "join/WordSession.h"
#include "tests/automation/FakeWord.h"
#include "word/automation/ComErrors.h"
#include "word/automation/WordAutomation.h"

namespace plenwick::word::automation {
namespace {

using Texts = std::vector<std::string>;

std::wstring Folder(const std::wstring& path) {
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// "Word.Application" as the stand-in's server program, with extra arguments, in HKEY_CLASSES_ROOT
// of this (throwaway) prefix; removed again at the end.
class ServerRegistration {
 public:
  explicit ServerRegistration(const std::wstring& arguments) {
    CLSID existing{};
    if (SUCCEEDED(CLSIDFromProgID(L"Word.Application", &existing))) {
      skip_ = "Word.Application is registered on this machine; the stand-in does not replace it";
      return;
    }
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring server = Folder(std::wstring(self, length)) + L"plenwick-fake-word.exe";
    if (GetFileAttributesW(server.c_str()) == INVALID_FILE_ATTRIBUTES) {
      skip_ = "plenwick-fake-word.exe is not beside the tests";
      return;
    }
    const std::wstring clsid = test::kFakeWordServerClsid;
    clsidKey_ = L"CLSID\\" + clsid;
    if (!Set(L"Word.Application\\CLSID", clsid) ||
        !Set(clsidKey_ + L"\\LocalServer32", L"\"" + server + L"\" " + arguments)) {
      skip_ = "HKEY_CLASSES_ROOT cannot be written here (run under wine with a throwaway prefix)";
    }
  }
  ~ServerRegistration() {
    if (!clsidKey_.empty()) {
      RegDeleteTreeW(HKEY_CLASSES_ROOT, L"Word.Application");
      RegDeleteTreeW(HKEY_CLASSES_ROOT, clsidKey_.c_str());
    }
  }
  const std::string& skip() const { return skip_; }

 private:
  static bool Set(const std::wstring& key, const std::wstring& value) {
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                        nullptr) != ERROR_SUCCESS) {
      return false;
    }
    const LONG set =
        RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return set == ERROR_SUCCESS;
  }

  std::string skip_;
  std::wstring clsidKey_;
};

class OutOfProcessWordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    log = std::wstring(temp) + L"plenwick-fake-word-" + std::to_wstring(GetCurrentProcessId()) +
          L".log";
    DeleteFileW(log.c_str());
  }
  void TearDown() override { DeleteFileW(log.c_str()); }

  Texts Logged() const {
    Texts lines;
    std::ifstream in(log.c_str());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  join::JoinOutcome Join(const Texts& paths) {
    join::WordSession session;
    const Status started = session.Start(CreateWordApplication);
    EXPECT_TRUE(started) << (started ? "" : started.error().message);
    walk::TextCollection items;
    for (const std::string& path : paths) items.Add(path);
    join::OutputFile output = join::OutputFile::Fixed("C:\\out\\all.doc");
    join::JoinOutcome outcome = join::JoinDocuments(session, items, output, {});
    session.Release();
    return outcome;
  }

  std::wstring log;
};

TEST_F(OutOfProcessWordTest, WordInAProcessOfItsOwnJoinsAndIsQuit) {
  ServerRegistration registration(L"--log \"" + log + L"\"");
  if (!registration.skip().empty()) GTEST_SKIP() << registration.skip();
  const join::JoinOutcome outcome = Join({"C:\\in\\a.docx", "C:\\in\\b.doc"});
  EXPECT_EQ(outcome.joined, 2);
  EXPECT_TRUE(outcome.notJoined.empty());
  EXPECT_EQ(outcome.savesFailed, 0);
  EXPECT_EQ(
      Logged(),
      (Texts{"Application.DisplayAlerts(i4:0)", "Application.Documents()", "Documents.Add()",
             "Document.Range()", "Range.Collapse(i2:0)", "Range.InsertFile(\"C:\\in\\a.docx\")",
             "Document.SaveAs2(FileName=\"C:\\out\\all.doc\", FileFormat=i4:0)", "Document.Range()",
             "Range.Collapse(i2:0)", "Range.InsertFile(\"C:\\in\\b.doc\")",
             "Document.SaveAs2(FileName=\"C:\\out\\all.doc\", FileFormat=i4:0)",
             "Application.Quit(SaveChanges=i4:0)"}));
}

TEST_F(OutOfProcessWordTest, WordThatCrashesMidRunIsReportedAsGone) {
  ServerRegistration registration(L"--log \"" + log + L"\" --crash-on InsertFile:2");
  if (!registration.skip().empty()) GTEST_SKIP() << registration.skip();
  const join::JoinOutcome outcome = Join({"C:\\in\\a.docx", "C:\\in\\b.docx", "C:\\in\\c.docx"});
  EXPECT_EQ(outcome.joined, 1);
  ASSERT_EQ(outcome.notJoined.size(), 2u);
  for (const join::NotJoined& failure : outcome.notJoined) {
    EXPECT_EQ(failure.reason, MakeError(wordc::kEngineStopped, std::string(kWordGoneReason)));
  }
  EXPECT_EQ(join::RunEndMessage(outcome, "C:\\in\\", {}).text,
            "Completed !\n\n2 documents could not be joined:\n"
            "C:\\in\\b.docx: Word is no longer running: it was closed, or it crashed\n"
            "C:\\in\\c.docx: Word is no longer running: it was closed, or it crashed");
  const Texts logged = Logged();
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.back(), "Range.InsertFile(\"C:\\in\\b.docx\")") << "nothing after the crash";
}

}  // namespace
}  // namespace plenwick::word::automation
