#include "word/automation/MessageFilter.h"

namespace plenwick::word::automation {
namespace {

constexpr DWORD kRetryForMs = 30000;  // Word's slowest starts and loads
constexpr DWORD kRetryAfterMs = 250;

// COM objects end in their own Release, never through a pointer to their interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class Filter final : public IMessageFilter {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IMessageFilter) {
      *object = static_cast<IMessageFilter*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  // Calls coming in to this thread are taken as they would be without a filter.
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return SERVERCALL_ISHANDLED;
  }
  // "Busy, try later" is retried until the time is up; a flat refusal is final.
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsedMs, DWORD rejectType) override {
    if (rejectType == SERVERCALL_RETRYLATER && elapsedMs < kRetryForMs) return kRetryAfterMs;
    return static_cast<DWORD>(-1);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return PENDINGMSG_WAITDEFPROCESS;
  }

 private:
  ~Filter() = default;

  LONG references_ = 1;
};
#pragma GCC diagnostic pop

}  // namespace

RetryingMessageFilter::RetryingMessageFilter() : installed_(new Filter) {
  // Refused outside a single-threaded apartment: calls then simply are not retried.
  if (FAILED(CoRegisterMessageFilter(installed_, &previous_))) {
    installed_->Release();
    installed_ = nullptr;
    previous_ = nullptr;
  }
}

RetryingMessageFilter::~RetryingMessageFilter() {
  if (installed_ == nullptr) return;
  IMessageFilter* ours = nullptr;
  CoRegisterMessageFilter(previous_, &ours);
  if (ours != nullptr) ours->Release();
  if (previous_ != nullptr) previous_->Release();
  installed_->Release();
}

}  // namespace plenwick::word::automation
