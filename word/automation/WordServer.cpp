#include "word/automation/WordServer.h"

#include <utility>

#include "platform/win/WideText.h"
#include "word/WordApi.h"

namespace plenwick::word::automation {
namespace {

constexpr std::int32_t kDoNotSaveChanges = 0;  // wdDoNotSaveChanges

Error GoneError() {
  return MakeError(wordc::kEngineStopped, std::string(kWordGoneReason));
}

}  // namespace

WordServer::WordServer(std::unique_ptr<ComApartment> apartment,
                       std::unique_ptr<RetryingMessageFilter> filter, ComPtr<IDispatch> application,
                       bool quitAtEnd)
    : apartment_(std::move(apartment)),
      filter_(std::move(filter)),
      application_(std::move(application)),
      quitAtEnd_(quitAtEnd) {}

Result<std::shared_ptr<WordServer>> WordServer::Start(std::string_view progId) {
  auto apartment = std::make_unique<ComApartment>();
  if (FAILED(apartment->result())) {
    return MakeError(errc::kUnavailable,
                     "COM could not be started: " + DescribeHresult(apartment->result()));
  }
  auto filter = std::make_unique<RetryingMessageFilter>();
  CLSID clsid{};
  HRESULT hr = CLSIDFromProgID(platform::win::Wide(progId).value_or(L"").c_str(), &clsid);
  if (FAILED(hr)) return StartError(hr, progId);
  ComPtr<IDispatch> application;
  hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER,
                        IID_PPV_ARGS(application.ReleaseAndGetAddressOf()));
  if (FAILED(hr)) return StartError(hr, progId);
  if (!application) return StartError(E_NOINTERFACE, progId);
  return std::shared_ptr<WordServer>(
      new WordServer(std::move(apartment), std::move(filter), std::move(application), true));
}

std::shared_ptr<WordServer> WordServer::Adopt(ComPtr<IDispatch> application, bool quitAtEnd) {
  return std::shared_ptr<WordServer>(
      new WordServer(nullptr, nullptr, std::move(application), quitAtEnd));
}

WordServer::~WordServer() {
  // A Word started for us and left running would stay hidden, holding memory and the output
  // file, until the person ends it in the task manager.
  if (quitAtEnd_ && !gone_ && application_) {
    const Variant doNotSave = Variant::Int32(kDoNotSaveChanges);
    (void)Invoke(*application_.Get(), L"Quit", CallKind::kMethod, {{L"SaveChanges", doNotSave}},
                 {wordc::kEngineStopped, "Word could not be closed"});
  }
  application_.Reset();
}

template <typename T>
Result<T> WordServer::Noting(Result<T> result) {
  if (!result && result.error().code == wordc::kEngineStopped) gone_ = true;
  return result;
}

Result<Variant> WordServer::Call(IDispatch& object, std::wstring_view member, CallKind kind,
                                 std::initializer_list<Argument> arguments,
                                 const CallFailure& failure) {
  if (gone_) return GoneError();
  return Noting(Invoke(object, member, kind, arguments, failure));
}

Result<ComPtr<IDispatch>> WordServer::CallForObject(IDispatch& object, std::wstring_view member,
                                                    CallKind kind,
                                                    std::initializer_list<Argument> arguments,
                                                    const CallFailure& failure) {
  if (gone_) return GoneError();
  return Noting(InvokeForObject(object, member, kind, arguments, failure));
}

}  // namespace plenwick::word::automation
