// Late-bound calls: every member is looked up by name when it is called (GetIDsOfNames), then
// invoked with its arguments. The one place where Invoke is called, and where its failures become
// the Word layer's errors. Windows only.
#pragma once

#include <initializer_list>
#include <string_view>

#include "base/Result.h"
#include "word/automation/ComErrors.h"
#include "word/automation/ComHolders.h"

namespace plenwick::word::automation {

enum class CallKind {
  kMethod,  // DISPATCH_METHOD
  kGet,     // DISPATCH_PROPERTYGET
  kPut,     // DISPATCH_PROPERTYPUT, with exactly one argument: the new value
};

// One argument. Positional ones are given first, in the member's own order; named ones (name not
// empty) after them, in any order. The value must outlive the call.
struct Argument {
  std::wstring_view name;
  const Variant& value;
};

Result<Variant> Invoke(IDispatch& object, std::wstring_view member, CallKind kind,
                       std::initializer_list<Argument> arguments, const CallFailure& failure);

// The object a call gives back; a call that gives none fails with failure's action.
Result<ComPtr<IDispatch>> InvokeForObject(IDispatch& object, std::wstring_view member,
                                          CallKind kind, std::initializer_list<Argument> arguments,
                                          const CallFailure& failure);

// Whether object knows member (newer Word versions have members older ones lack).
bool HasMember(IDispatch& object, std::wstring_view member);

}  // namespace plenwick::word::automation
