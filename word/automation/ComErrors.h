// How a failed COM call reads to a person: HRESULTs and Word's exception records become the
// Word layer's errors, with the kind of failure in Error::code. Windows only.
#pragma once

#include <windows.h>

#include <oaidl.h>

#include <string>
#include <string_view>

#include "base/Result.h"

namespace plenwick::word::automation {

// What a call was for, should it fail: the code to report and the action in words, e.g.
// {wordc::kReadFailed, "Word could not insert it"}.
struct CallFailure {
  int code;
  std::string_view action;
};

inline constexpr std::string_view kWordGoneReason =
    "Word is no longer running: it was closed, or it crashed";

inline constexpr std::string_view kWordNotInstalled = "Microsoft Word is not installed";

// Word's process ended or was cut off: every later call fails the same way.
bool ServerGone(HRESULT hr);

// The failure of a call to member. info and argumentError are Invoke's; info may be null.
Error CallError(HRESULT hr, const EXCEPINFO* info, unsigned argumentError, std::wstring_view member,
                const CallFailure& failure);

// Why the automation object progId could not be started.
Error StartError(HRESULT hr, std::string_view progId);

// The system's own words for hr, ending in its number: "Access is denied. (0x80070005)".
std::string DescribeHresult(HRESULT hr);

}  // namespace plenwick::word::automation
