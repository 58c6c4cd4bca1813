// A kernel handle (a file, a folder) closed when its owner goes.
#pragma once

#include <windows.h>

#include <utility>

namespace plenwick::platform::win {

class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
  OwnedHandle(OwnedHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  OwnedHandle& operator=(OwnedHandle&&) = delete;
  ~OwnedHandle() {
    if (valid()) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

}  // namespace plenwick::platform::win
