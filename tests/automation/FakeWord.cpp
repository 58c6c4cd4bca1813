#include "tests/automation/FakeWord.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "platform/Utf16.h"

// COM objects end in their own Release, never through a pointer to their interface.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

namespace plenwick::test {
namespace {

std::string ToUtf8(std::wstring_view text) {
  return platform::Utf8FromUtf16Lossy(std::u16string(text.begin(), text.end()));
}

enum class Kind { kProperty, kMethod };

struct Member {
  const char* object;
  const wchar_t* name;
  Kind kind;
  const char* returns;  // the kind of object the call gives back, or nullptr
};

constexpr Member kMembers[] = {
    {"Application", L"Documents", Kind::kProperty, "Documents"},
    {"Application", L"DisplayAlerts", Kind::kProperty, nullptr},
    {"Application", L"AutomationSecurity", Kind::kProperty, nullptr},
    {"Application", L"Quit", Kind::kMethod, nullptr},
    {"Documents", L"Add", Kind::kMethod, "Document"},
    {"Documents", L"Open", Kind::kMethod, "Document"},
    {"Document", L"Range", Kind::kMethod, "Range"},
    {"Document", L"SaveAs", Kind::kMethod, nullptr},
    {"Document", L"SaveAs2", Kind::kMethod, nullptr},
    {"Document", L"Close", Kind::kMethod, nullptr},
    {"Range", L"Collapse", Kind::kMethod, nullptr},
    {"Range", L"InsertFile", Kind::kMethod, nullptr},
};

// Argument names the stand-in knows, with the ids GetIDsOfNames gives them.
constexpr const wchar_t* kArgumentNames[] = {
    L"FileName",         L"FileFormat",       L"SaveChanges", L"ConfirmConversions", L"ReadOnly",
    L"AddToRecentFiles", L"PasswordDocument", L"Visible",     L"NoEncodingDialog",   L"Direction"};
constexpr DISPID kFirstArgumentId = 1000;

bool SameName(const wchar_t* a, const wchar_t* b) {
  return _wcsicmp(a, b) == 0;
}

std::string ValueText(const VARIANT& value) {
  switch (value.vt) {
    case VT_I2:
      return "i2:" + std::to_string(value.iVal);
    case VT_I4:
      return "i4:" + std::to_string(value.lVal);
    case VT_BOOL:
      return value.boolVal == VARIANT_FALSE ? "false" : "true";
    case VT_BSTR:
      return "\"" + ToUtf8(std::wstring_view(value.bstrVal, SysStringLen(value.bstrVal))) + "\"";
    case VT_ERROR:
      return value.scode == DISP_E_PARAMNOTFOUND ? "missing" : "error";
    default:
      return "vt" + std::to_string(value.vt);
  }
}

class FakeObject final : public IDispatch {
 public:
  FakeObject(FakeWord& word, std::string kind) : word_(word), kind_(std::move(kind)) {
    ++word_.live;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      word_.released.push_back(kind_);
      --word_.live;
      delete this;
    }
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (word_.gone) return RPC_E_DISCONNECTED;
    HRESULT result = S_OK;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (count == 0) return DISP_E_UNKNOWNNAME;
    const Member* member = Find(names[0]);
    if (member == nullptr) {
      result = DISP_E_UNKNOWNNAME;
    } else {
      ids[0] = static_cast<DISPID>(member - kMembers) + 1;
    }
    for (UINT i = 1; i < count; ++i) {
      const auto* known =
          std::find_if(std::begin(kArgumentNames), std::end(kArgumentNames),
                       [&](const wchar_t* name) { return SameName(name, names[i]); });
      if (known == std::end(kArgumentNames)) {
        result = DISP_E_UNKNOWNNAME;
      } else {
        ids[i] = kFirstArgumentId + static_cast<DISPID>(known - std::begin(kArgumentNames));
      }
    }
    return result;
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    if (word_.gone) return HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
    if (id < 1 || id > static_cast<DISPID>(std::size(kMembers))) return DISP_E_MEMBERNOTFOUND;
    const Member& member = kMembers[id - 1];
    if (member.object != kind_ || !Offered(member)) return DISP_E_MEMBERNOTFOUND;
    // As Word's own dispatch: a property is read or set, a method is called.
    const WORD wanted = member.kind == Kind::kMethod
                            ? DISPATCH_METHOD
                            : static_cast<WORD>(DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT);
    if ((flags & wanted) == 0) return DISP_E_MEMBERNOTFOUND;
    if ((flags & DISPATCH_PROPERTYPUT) != 0 &&
        (parameters->cArgs != 1 || parameters->cNamedArgs != 1 ||
         parameters->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
      return DISP_E_PARAMNOTFOUND;
    }

    FakeCall call{kind_, ToUtf8(member.name), flags, {}};
    const UINT named = (flags & DISPATCH_PROPERTYPUT) != 0 ? 0 : parameters->cNamedArgs;
    for (UINT i = parameters->cArgs; i > named; --i) {
      call.arguments.push_back(ValueText(parameters->rgvarg[i - 1]));
    }
    for (UINT i = 0; i < named; ++i) {
      const DISPID argument = parameters->rgdispidNamedArgs[i] - kFirstArgumentId;
      if (argument < 0 || argument >= static_cast<DISPID>(std::size(kArgumentNames))) {
        if (argumentError != nullptr) *argumentError = i;
        return DISP_E_PARAMNOTFOUND;
      }
      call.arguments.push_back(ToUtf8(kArgumentNames[argument]) + "=" +
                               ValueText(parameters->rgvarg[i]));
    }
    word_.calls.push_back(call);
    if (word_.onCall) word_.onCall(call);
    if (call.member == "InsertFile" &&
        (parameters->cArgs != 1 || parameters->rgvarg[0].vt != VT_BSTR)) {
      if (argumentError != nullptr) *argumentError = 0;
      return DISP_E_TYPEMISMATCH;
    }

    const int number = static_cast<int>(word_.CallsOf(call.member).size());
    for (const FakeFailure& failure : word_.failures) {
      if (failure.member != call.member || (failure.call != 0 && failure.call != number)) continue;
      if (failure.disconnects) word_.gone = true;
      if (failure.hr == DISP_E_EXCEPTION && exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(L"Microsoft Word");
        exception->bstrDescription = SysAllocString(failure.description.c_str());
        exception->scode = failure.scode;
      }
      return failure.hr;
    }
    if (call.member == "Quit") word_.gone = true;
    if (member.returns != nullptr && result != nullptr) {
      VariantInit(result);
      result->vt = VT_DISPATCH;
      result->pdispVal = new FakeObject(word_, member.returns);
    }
    return S_OK;
  }

 private:
  ~FakeObject() = default;

  const Member* Find(const wchar_t* name) const {
    for (const Member& member : kMembers) {
      if (member.object == kind_ && SameName(member.name, name) && Offered(member)) return &member;
    }
    return nullptr;
  }
  bool Offered(const Member& member) const {
    return word_.hasSaveAs2 || std::wstring_view(member.name) != L"SaveAs2";
  }

  FakeWord& word_;
  std::string kind_;
  ULONG references_ = 1;
};

class FakeFactory final : public IClassFactory {
 public:
  explicit FakeFactory(FakeWord& word) : word_(word) { ++word_.live; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *object = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      --word_.live;
      delete this;
    }
    return left;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    ComPtr<IDispatch> application = word_.NewApplication();
    return application->QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  ~FakeFactory() = default;

  FakeWord& word_;
  ULONG references_ = 1;
};

}  // namespace

std::string FakeCall::Text() const {
  std::string text = object + "." + member + "(";
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    text += (i > 0 ? ", " : "") + arguments[i];
  }
  return text + ")";
}

ComPtr<IDispatch> FakeWord::NewApplication() {
  return ComPtr<IDispatch>::Attach(new FakeObject(*this, "Application"));
}

ComPtr<IClassFactory> FakeWord::NewFactory() {
  return ComPtr<IClassFactory>::Attach(new FakeFactory(*this));
}

ULONG FakeWord::References(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

std::vector<std::string> FakeWord::CallTexts() const {
  std::vector<std::string> texts;
  for (const FakeCall& call : calls) texts.push_back(call.Text());
  return texts;
}

std::vector<FakeCall> FakeWord::CallsOf(const std::string& member) const {
  std::vector<FakeCall> found;
  for (const FakeCall& call : calls) {
    if (call.member == member) found.push_back(call);
  }
  return found;
}

}  // namespace plenwick::test
