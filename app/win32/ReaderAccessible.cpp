#include "app/win32/ReaderAccessible.h"

// Windows first: the common controls and accessibility build on its types.
#include <commctrl.h>
#include <oleacc.h>

#include <memory>
#include <new>
#include <utility>

namespace plenwick::win32app {
namespace {

constexpr UINT_PTR kSubclassId = 1;

bool IsSelf(const VARIANT& child) {
  return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// COM objects end in their own Release, never through a pointer to their interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// The system's object for the window, asked for everything but what the text stands for. Its
// own interfaces only: a reader that asks for another gets none rather than the inner object's,
// which would lose the role and the action.
class WrappedAccessible final : public IAccessible, public IOleWindow {
 public:
  // Takes over the caller's reference to `inner`.
  WrappedAccessible(HWND window, IAccessible* inner, const ReaderInfo& info)
      : window_(window), inner_(inner), info_(info) {}
  WrappedAccessible(const WrappedAccessible&) = delete;
  WrappedAccessible& operator=(const WrappedAccessible&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
    } else if (iid == __uuidof(IOleWindow)) {
      *out = static_cast<IOleWindow*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IOleWindow: readers find the window an object belongs to through it.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (window == nullptr) return E_POINTER;
    *window = window_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return inner_->GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return inner_->GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return inner_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argument) override {
    return inner_->Invoke(id, iid, locale, flags, params, result, exception, argument);
  }

  // IAccessible: what the text stands for.
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!IsSelf(child)) return inner_->get_accRole(child, role);
    if (role == nullptr) return E_POINTER;
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = info_.role;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
    if (!IsSelf(child) || info_.description.empty()) {
      return inner_->get_accDescription(child, description);
    }
    return Give(info_.description, description);
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    const HRESULT got = inner_->get_accState(child, state);
    if (SUCCEEDED(got) && IsSelf(child) && state->vt == VT_I4 && info_.role == ROLE_SYSTEM_LINK) {
      state->lVal |= STATE_SYSTEM_LINKED;
    }
    return got;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!IsSelf(child) || info_.action.empty()) return inner_->get_accDefaultAction(child, action);
    return Give(info_.action, action);
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!IsSelf(child) || info_.action.empty()) return inner_->accDoDefaultAction(child);
    return PostMessageW(info_.owner, info_.message, info_.wParam, 0) ? S_OK : E_FAIL;
  }

  // IAccessible: the rest is the window's.
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    return inner_->get_accParent(parent);
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    return inner_->get_accChildCount(count);
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    return inner_->get_accChild(child, object);
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return inner_->get_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return inner_->get_accValue(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return inner_->get_accHelp(child, help);
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return inner_->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return inner_->get_accKeyboardShortcut(child, shortcut);
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    return inner_->get_accFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    return inner_->get_accSelection(selection);
  }
  HRESULT STDMETHODCALLTYPE accSelect(long how, VARIANT child) override {
    return inner_->accSelect(how, child);
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) override {
    return inner_->accLocation(left, top, width, height, child);
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    return inner_->accNavigate(direction, start, end);
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long left, long top, VARIANT* child) override {
    return inner_->accHitTest(left, top, child);
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
    return inner_->put_accName(child, name);
  }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
    return inner_->put_accValue(child, value);
  }

 private:
  ~WrappedAccessible() { inner_->Release(); }

  static HRESULT Give(const std::wstring& text, BSTR* out) {
    if (out == nullptr) return E_POINTER;
    *out = SysAllocString(text.c_str());
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
  }

  HWND window_;
  IAccessible* inner_;
  ReaderInfo info_;
  ULONG references_ = 1;  // COM calls arrive on the window's thread only
};
#pragma GCC diagnostic pop

LRESULT CALLBACK ReaderProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                            DWORD_PTR data) {
  auto* info = reinterpret_cast<ReaderInfo*>(data);
  if (message == WM_GETOBJECT && static_cast<DWORD>(lParam) == static_cast<DWORD>(OBJID_CLIENT)) {
    IAccessible* inner = nullptr;
    if (SUCCEEDED(CreateStdAccessibleObject(window, OBJID_CLIENT, __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&inner)))) {
      auto* wrapped = new (std::nothrow) WrappedAccessible(window, inner, *info);
      if (wrapped == nullptr) {
        inner->Release();
      } else {
        // The reader's reference is made for it; ours goes.
        const LRESULT answer =
            LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(wrapped));
        wrapped->Release();
        return answer;
      }
    }
  }
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &ReaderProc, id);
    delete info;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

bool AnswerReaders(HWND window, ReaderInfo info) {
  auto owned = std::make_unique<ReaderInfo>(std::move(info));
  if (!SetWindowSubclass(window, &ReaderProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(owned.get()))) {
    return false;
  }
  owned.release();  // the window's now, freed as it goes
  return true;
}

}  // namespace plenwick::win32app
