// One running Word, shared by every object taken from it: the application object, COM kept
// initialised for the thread, and whether Word is still there. When the last object lets go,
// a Word we started is told to quit (without saving) and released. Windows only; use it on the
// thread that made it.
#pragma once

#include <initializer_list>
#include <memory>
#include <string_view>

#include "base/Result.h"
#include "word/automation/Dispatch.h"
#include "word/automation/MessageFilter.h"

namespace plenwick::word::automation {

class WordServer {
 public:
  // Starts the automation object progId on this machine (CLSIDFromProgID, then CoCreateInstance
  // as a local server): a new Word, which is ours to quit.
  static Result<std::shared_ptr<WordServer>> Start(std::string_view progId);
  // An application object from elsewhere; quitAtEnd says whether it is ours to quit.
  static std::shared_ptr<WordServer> Adopt(ComPtr<IDispatch> application, bool quitAtEnd);

  WordServer(const WordServer&) = delete;
  WordServer& operator=(const WordServer&) = delete;
  ~WordServer();

  IDispatch& Application() { return *application_.Get(); }

  // A call on one of this Word's objects. Once Word is gone no further call is made: each fails at
  // once with the reason it went.
  Result<Variant> Call(IDispatch& object, std::wstring_view member, CallKind kind,
                       std::initializer_list<Argument> arguments, const CallFailure& failure);
  Result<ComPtr<IDispatch>> CallForObject(IDispatch& object, std::wstring_view member,
                                          CallKind kind, std::initializer_list<Argument> arguments,
                                          const CallFailure& failure);
  bool Gone() const { return gone_; }

 private:
  WordServer(std::unique_ptr<ComApartment> apartment, std::unique_ptr<RetryingMessageFilter> filter,
             ComPtr<IDispatch> application, bool quitAtEnd);
  template <typename T>
  Result<T> Noting(Result<T> result);

  // Declared first so that it ends last, after every COM object is released.
  std::unique_ptr<ComApartment> apartment_;
  // Retries the calls a busy Word turns away, the last one (Quit) included.
  std::unique_ptr<RetryingMessageFilter> filter_;
  ComPtr<IDispatch> application_;
  bool quitAtEnd_;
  bool gone_ = false;
};

}  // namespace plenwick::word::automation
