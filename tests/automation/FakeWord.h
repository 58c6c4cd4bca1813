// A stand-in for Microsoft Word's automation objects: Application, Documents, Document and Range
// as IDispatch objects that record every call with its arguments, fail where a test says, go away
// like a crashed Word, and count their references so a test can see that nothing is kept.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <functional>
#include <string>
#include <vector>

#include "word/automation/ComHolders.h"

namespace plenwick::test {

using word::automation::ComPtr;

struct FakeCall {
  std::string object;  // "Application", "Documents", "Document", "Range"
  std::string member;
  WORD flags = 0;
  // Positional arguments in the order written, then named ones as Name=value. Values read
  // i2:0, i4:12, true, false, "text" or missing.
  std::vector<std::string> arguments;

  std::string Text() const;  // "Range.InsertFile(\"C:\\a.docx\")", for messages
};

struct FakeFailure {
  std::string member;  // e.g. "InsertFile"
  int call = 1;        // the call of member that fails (1: the first); 0: every call
  HRESULT hr = DISP_E_EXCEPTION;
  std::wstring description;  // Word's words, when hr is DISP_E_EXCEPTION
  SCODE scode = 0;
  bool disconnects = false;  // Word is gone from this call on
};

class FakeWord {
 public:
  FakeWord() = default;
  FakeWord(const FakeWord&) = delete;
  FakeWord& operator=(const FakeWord&) = delete;

  // A new application object; the caller holds its one reference.
  ComPtr<IDispatch> NewApplication();
  // A class factory making application objects, for CoRegisterClassObject.
  ComPtr<IClassFactory> NewFactory();

  std::vector<FakeCall> calls;
  std::vector<std::string> released;  // each object's kind as its last reference goes
  std::vector<FakeFailure> failures;
  int live = 0;            // objects (factories included) not yet released
  bool hasSaveAs2 = true;  // Word 2010 and later
  bool gone = false;       // quit or crashed: every call fails as with a real Word
  // Called with every call as it is recorded, before it is answered.
  std::function<void(const FakeCall&)> onCall;

  // The references object has now (what a leak would raise).
  static ULONG References(IUnknown* object);

  std::vector<std::string> CallTexts() const;
  // The calls of member, in order.
  std::vector<FakeCall> CallsOf(const std::string& member) const;
};

// The class the stand-in registers when it runs in a process of its own (plenwick-fake-word.exe),
// started by COM as Word is.
inline constexpr wchar_t kFakeWordServerClsid[] = L"{2E4D9A60-7C1B-4B8E-A5F3-91D06C2B7E48}";

}  // namespace plenwick::test
