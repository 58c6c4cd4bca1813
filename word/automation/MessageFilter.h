// Word turns calls away while it is busy (starting, loading a large file, showing a dialog):
// COM then asks the calling thread's message filter whether to try again. This one retries for
// a while before letting the call fail, so a busy Word is waited for, not reported as broken.
// Windows only; works in a single-threaded apartment.
#pragma once

#include <windows.h>

#include <objidl.h>

namespace plenwick::word::automation {

// Installs a retrying filter on this thread for as long as it lives, then puts back the one
// that was there before.
class RetryingMessageFilter {
 public:
  RetryingMessageFilter();
  RetryingMessageFilter(const RetryingMessageFilter&) = delete;
  RetryingMessageFilter& operator=(const RetryingMessageFilter&) = delete;
  ~RetryingMessageFilter();

 private:
  IMessageFilter* installed_ = nullptr;
  IMessageFilter* previous_ = nullptr;
};

}  // namespace plenwick::word::automation
