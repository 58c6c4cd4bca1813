// plenwick-fake-word.exe: the stand-in Word in a process of its own, started by COM through its
// LocalServer32 entry as Word is, so calls cross processes and a crash is a real one.
//   plenwick-fake-word.exe --log FILE [--crash-on MEMBER:N] [-Embedding]
// Every call is appended to FILE as it arrives; the Nth call of MEMBER ends the process on the
// spot; Quit ends it after answering. It ends by itself after two minutes at most.
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/win/WideText.h"
#include "tests/automation/FakeWord.h"
#include "word/automation/ComHolders.h"

namespace {

using plenwick::test::FakeCall;
using plenwick::test::FakeWord;

constexpr UINT kLifetimeLimitMs = 120000;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring logPath;
  std::string crashMember;
  int crashCall = 0;
  for (int i = 1; i + 1 < argc; ++i) {
    const std::wstring option = argv[i];
    if (option == L"--log") {
      logPath = argv[++i];
    } else if (option == L"--crash-on") {
      const std::string value = plenwick::platform::win::Narrow(argv[++i]).value_or("");
      const std::size_t colon = value.find(':');
      crashMember = value.substr(0, colon);
      crashCall = colon == std::string::npos ? 1 : std::stoi(value.substr(colon + 1));
    }
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
  {
    FakeWord word;
    int crashCount = 0;
    word.onCall = [&](const FakeCall& call) {
      if (!logPath.empty()) {
        if (std::FILE* log = _wfopen(logPath.c_str(), L"ab")) {
          std::fprintf(log, "%s\n", call.Text().c_str());
          std::fclose(log);
        }
      }
      if (call.member == crashMember && ++crashCount == crashCall) ExitProcess(3);
      if (call.member == "Quit") PostQuitMessage(0);
    };
    plenwick::word::automation::ComPtr<IClassFactory> factory = word.NewFactory();
    CLSID clsid{};
    CLSIDFromString(plenwick::test::kFakeWordServerClsid, &clsid);
    DWORD cookie = 0;
    if (FAILED(CoRegisterClassObject(clsid, factory.Get(), CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                     &cookie))) {
      return 2;
    }
    SetTimer(nullptr, 0, kLifetimeLimitMs, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_TIMER && message.hwnd == nullptr) break;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookie);
  }
  CoUninitialize();
  return 0;
}
