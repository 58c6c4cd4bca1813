// Errors as values: every layer boundary returns a Result<T> (or a Status) instead of throwing.
#pragma once

#include <cassert>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace plenwick {

// A failure: a number callers may branch on, and a short reason a person can read.
struct Error {
  int code = 0;
  std::string message;

  friend bool operator==(const Error&, const Error&) = default;
};

// Well-known error numbers. 70 is the number a permission failure has always carried.
namespace errc {
inline constexpr int kGeneric = 1;
inline constexpr int kNotFound = 53;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
inline constexpr int kKeyExists = 457;
inline constexpr int kOverflow = 6;
inline constexpr int kUnavailable = 429;  // no engine can give the requested object
}  // namespace errc

inline Error MakeError(int code, std::string message) { return Error{code, std::move(message)}; }

template <typename T>
class [[nodiscard]] Result {
  static_assert(!std::is_same_v<std::remove_cv_t<T>, Error>, "a Result cannot carry an Error value");

 public:
  Result(const T& value) : state_(value) {}  // NOLINT(google-explicit-constructor)
  Result(T&& value) : state_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  Result(Error error) : state_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return std::holds_alternative<T>(state_); }
  explicit operator bool() const { return ok(); }

  T& value() & {
    assert(ok());
    return std::get<T>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<T>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<T>(std::move(state_));
  }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const Error& error() const {
    assert(!ok());
    return std::get<Error>(state_);
  }

 private:
  std::variant<T, Error> state_;
};

// Success carries nothing; failure carries an Error.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const {
    assert(failed_);
    return error_;
  }

 private:
  Error error_;
  bool failed_ = false;
};

using Status = Result<void>;

inline Status Ok() { return {}; }

}  // namespace plenwick
