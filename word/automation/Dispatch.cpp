#include "word/automation/Dispatch.h"

#include <climits>
#include <string>
#include <vector>

namespace plenwick::word::automation {
namespace {

// Frees what Invoke put into an exception record, on every path.
class ExceptionRecord {
 public:
  ExceptionRecord() = default;
  ExceptionRecord(const ExceptionRecord&) = delete;
  ExceptionRecord& operator=(const ExceptionRecord&) = delete;
  ~ExceptionRecord() {
    SysFreeString(info_.bstrSource);
    SysFreeString(info_.bstrDescription);
    SysFreeString(info_.bstrHelpFile);
  }
  EXCEPINFO* get() { return &info_; }
  // Some servers leave the texts to be filled in on demand.
  void Complete() {
    if (info_.pfnDeferredFillIn != nullptr) {
      info_.pfnDeferredFillIn(&info_);
      info_.pfnDeferredFillIn = nullptr;
    }
  }

 private:
  EXCEPINFO info_{};
};

WORD Flags(CallKind kind) {
  switch (kind) {
    case CallKind::kMethod:
      return DISPATCH_METHOD;
    case CallKind::kGet:
      return DISPATCH_PROPERTYGET;
    case CallKind::kPut:
      return DISPATCH_PROPERTYPUT;
  }
  return DISPATCH_METHOD;
}

}  // namespace

Result<Variant> Invoke(IDispatch& object, std::wstring_view member, CallKind kind,
                       std::initializer_list<Argument> arguments, const CallFailure& failure) {
  // The member's name first, then the names of the named arguments: one lookup gives their ids.
  std::vector<std::wstring> names{std::wstring(member)};
  for (const Argument& argument : arguments) {
    if (!argument.name.empty()) names.emplace_back(argument.name);
  }
  std::vector<LPOLESTR> namePointers;
  for (std::wstring& name : names) namePointers.push_back(name.data());
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  HRESULT hr =
      object.GetIDsOfNames(IID_NULL, namePointers.data(), static_cast<UINT>(namePointers.size()),
                           LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr)) return CallError(hr, nullptr, 0, member, failure);

  // Invoke wants the named arguments first, matching their ids, and the positional ones after
  // them in reverse order: the member's first argument is the last element.
  std::vector<VARIANTARG> values;
  std::vector<DISPID> namedIds;
  std::size_t nextName = 1;
  for (const Argument& argument : arguments) {
    if (argument.name.empty()) continue;
    values.push_back(argument.value.get());
    namedIds.push_back(ids[nextName++]);
  }
  std::vector<VARIANTARG> positional;
  for (const Argument& argument : arguments) {
    if (argument.name.empty()) positional.push_back(argument.value.get());
  }
  values.insert(values.end(), positional.rbegin(), positional.rend());
  // A property's new value is the one argument, named by convention.
  if (kind == CallKind::kPut) namedIds.insert(namedIds.begin(), DISPID_PROPERTYPUT);

  DISPPARAMS parameters{};
  parameters.rgvarg = values.empty() ? nullptr : values.data();
  parameters.cArgs = static_cast<UINT>(values.size());
  parameters.rgdispidNamedArgs = namedIds.empty() ? nullptr : namedIds.data();
  parameters.cNamedArgs = static_cast<UINT>(namedIds.size());

  Variant result;
  ExceptionRecord exception;
  UINT argumentError = UINT_MAX;
  hr = object.Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, Flags(kind), &parameters,
                     kind == CallKind::kPut ? nullptr : result.receive(), exception.get(),
                     &argumentError);
  if (FAILED(hr)) {
    if (hr == DISP_E_EXCEPTION) exception.Complete();
    // Invoke numbers arguments as they lie in the array; a person counts them as written:
    // positional ones first, then the named ones.
    const std::size_t named = nextName - 1;
    std::size_t written = 0;
    if (argumentError < values.size()) {
      written = argumentError < named ? positional.size() + argumentError
                                      : values.size() - 1 - argumentError;
    }
    return CallError(hr, exception.get(), static_cast<unsigned>(written), member, failure);
  }
  return result;
}

Result<ComPtr<IDispatch>> InvokeForObject(IDispatch& object, std::wstring_view member,
                                          CallKind kind, std::initializer_list<Argument> arguments,
                                          const CallFailure& failure) {
  Result<Variant> result = Invoke(object, member, kind, arguments, failure);
  if (!result) return result.error();
  ComPtr<IDispatch> given = result->Object();
  if (!given) {
    return MakeError(failure.code, std::string(failure.action) + ": Word gave nothing back");
  }
  return given;
}

bool HasMember(IDispatch& object, std::wstring_view member) {
  std::wstring name(member);
  LPOLESTR names[] = {name.data()};
  DISPID id = DISPID_UNKNOWN;
  return SUCCEEDED(object.GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
}

}  // namespace plenwick::word::automation
