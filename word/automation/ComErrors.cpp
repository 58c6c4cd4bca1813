#include "word/automation/ComErrors.h"

#include <cstdio>

#include "platform/Utf16.h"
#include "word/WordApi.h"
#include "word/automation/ComHolders.h"

namespace plenwick::word::automation {
namespace {

// Word's and the system's words, for a message: a stray surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view text) {
  return platform::Utf8FromUtf16Lossy(std::u16string(text.begin(), text.end()));
}

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

// One line, without the trailing full stop's spaces and line breaks that Word and the system add.
std::string Tidy(std::wstring_view text) {
  std::string line;
  bool space = false;
  for (const char c : Narrow(text)) {
    if (c == '\r' || c == '\n' || c == '\t' || c == ' ') {
      space = !line.empty();
      continue;
    }
    if (space) line += ' ';
    space = false;
    line += c;
  }
  return line;
}

std::string SystemText(HRESULT hr) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text = length > 0 ? Tidy(std::wstring_view(buffer, length)) : std::string();
  if (buffer != nullptr) LocalFree(buffer);
  return text;
}

bool Busy(HRESULT hr) {
  return hr == RPC_E_CALL_REJECTED || hr == RPC_E_SERVERCALL_RETRYLATER ||
         hr == RPC_E_SERVERCALL_REJECTED;
}

// Word's exception: its description and its own error number (Word reports them in the
// FACILITY_CONTROL range: 0x800A1436 is Word error 5174).
std::string ExceptionText(const EXCEPINFO& info) {
  std::string description =
      info.bstrDescription != nullptr
          ? Tidy(std::wstring_view(info.bstrDescription, SysStringLen(info.bstrDescription)))
          : std::string();
  std::string number;
  if (info.scode != 0 && HRESULT_FACILITY(info.scode) == FACILITY_CONTROL) {
    number = "Word error " + std::to_string(HRESULT_CODE(info.scode));
  } else if (info.scode != 0) {
    number = Hex(info.scode);
  } else if (info.wCode != 0) {
    number = "Word error " + std::to_string(info.wCode);
  }
  if (description.empty()) {
    if (info.scode != 0 && !SystemText(info.scode).empty()) return DescribeHresult(info.scode);
    return number.empty() ? std::string("Word reported an error without saying which") : number;
  }
  return number.empty() ? description : description + " (" + number + ")";
}

}  // namespace

bool ServerGone(HRESULT hr) {
  return hr == RPC_E_DISCONNECTED || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
         hr == RPC_E_SERVER_DIED || hr == RPC_E_SERVER_DIED_DNE || hr == CO_E_OBJNOTCONNECTED ||
         hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) ||
         hr == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED_DNE);
}

std::string DescribeHresult(HRESULT hr) {
  const std::string text = SystemText(hr);
  return text.empty() ? "error " + Hex(hr) : text + " (" + Hex(hr) + ")";
}

Error CallError(HRESULT hr, const EXCEPINFO* info, unsigned argumentError, std::wstring_view member,
                const CallFailure& failure) {
  if (hr == DISP_E_EXCEPTION && info != nullptr && ServerGone(info->scode)) hr = info->scode;
  if (ServerGone(hr)) return MakeError(wordc::kEngineStopped, std::string(kWordGoneReason));
  const std::string action(failure.action);
  const std::string name = "\"" + Narrow(member) + "\"";
  if (Busy(hr)) {
    return MakeError(failure.code, action +
                                       ": Word is busy and did not answer (a dialog box may "
                                       "be open in Word)");
  }
  switch (hr) {
    case DISP_E_EXCEPTION:
      return MakeError(failure.code,
                       action + ": " + (info ? ExceptionText(*info) : DescribeHresult(hr)));
    case DISP_E_UNKNOWNNAME:
    case DISP_E_MEMBERNOTFOUND:
      return MakeError(failure.code, action + ": Word has no " + name +
                                         " (is \"Word.Application\" really Microsoft Word?)");
    case DISP_E_TYPEMISMATCH:
    case DISP_E_PARAMNOTFOUND:
      return MakeError(failure.code, action + ": Word did not accept argument " +
                                         std::to_string(argumentError + 1) + " of " + name);
    case DISP_E_BADPARAMCOUNT:
    case DISP_E_NONAMEDARGS:
      return MakeError(failure.code, action + ": Word did not accept the arguments of " + name);
    default:
      return MakeError(failure.code, action + ": " + DescribeHresult(hr));
  }
}

Error StartError(HRESULT hr, std::string_view progId) {
  const std::string name = "\"" + std::string(progId) + "\"";
  if (hr == CO_E_CLASSSTRING || hr == REGDB_E_CLASSNOTREG || hr == REGDB_E_READREGDB ||
      hr == CO_E_APPNOTFOUND) {
    return MakeError(errc::kUnavailable,
                     std::string(kWordNotInstalled) + " (" + name + " is not registered)");
  }
  if (hr == E_NOINTERFACE) {
    return MakeError(errc::kUnavailable, name + " offers no automation interface");
  }
  return MakeError(errc::kUnavailable, "Word could not be started: " + DescribeHresult(hr));
}

}  // namespace plenwick::word::automation
