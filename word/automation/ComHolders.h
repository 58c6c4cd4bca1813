// Owners for the COM resources the automation client touches, so that every exit path gives
// them back: interface pointers, BSTRs, VARIANTs and the thread's COM initialisation. Windows
// only.
#pragma once

// windows.h comes first: the COM headers rely on its types.
#include <windows.h>

#include <objbase.h>
#include <oleauto.h>

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

namespace plenwick::word::automation {

// One reference to a COM interface. (Our own rather than MinGW's wrl/client.h, whose Attach
// adds a reference where Microsoft's takes one over: every object attached would leak.)
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}  // NOLINT(google-explicit-constructor)
  // Shares the object: adds a reference.
  explicit ComPtr(T* object) : object_(object) {
    if (object_ != nullptr) object_->AddRef();
  }
  ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over the reference the caller holds.
  static ComPtr Attach(T* object) {
    ComPtr owner;
    owner.object_ = object;
    return owner;
  }

  T* Get() const { return object_; }
  T* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  void Reset() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }
  // For an out parameter: lets go of what is held and hands out the slot.
  T** ReleaseAndGetAddressOf() {
    Reset();
    return &object_;
  }

 private:
  T* object_ = nullptr;
};

class BStr {
 public:
  BStr() = default;
  explicit BStr(std::wstring_view text);
  BStr(const BStr&) = delete;
  BStr& operator=(const BStr&) = delete;
  BStr(BStr&& other) noexcept : text_(other.text_) { other.text_ = nullptr; }
  BStr& operator=(BStr&& other) noexcept;
  ~BStr() { SysFreeString(text_); }

  BSTR get() const { return text_; }
  // For an out parameter: frees what is held and hands out the slot.
  BSTR* receive();
  // Gives up ownership, to a VARIANT that will free it.
  BSTR release() {
    BSTR text = text_;
    text_ = nullptr;
    return text;
  }
  std::wstring_view view() const { return {text_, SysStringLen(text_)}; }

 private:
  BSTR text_ = nullptr;
};

class Variant {
 public:
  Variant() { VariantInit(&value_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() { VariantClear(&value_); }

  static Variant Int16(std::int16_t value);
  static Variant Int32(std::int32_t value);
  static Variant Bool(bool value);
  static Variant Text(std::wstring_view text);
  // An optional argument left out, as Automation spells it.
  static Variant Missing();

  const VARIANT& get() const { return value_; }
  // For an out parameter: clears what is held and hands out the slot.
  VARIANT* receive();
  // The object a call returned; null when the value is not a (non-null) object.
  ComPtr<IDispatch> Object() const;

 private:
  VARIANT value_;
};

// COM initialised for the calling thread, as a single-threaded apartment, for as long as the
// holder lives. A thread already in the multithreaded apartment is left as it is and still works.
class ComApartment {
 public:
  ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment();

  // S_OK when COM can be used on this thread, otherwise why not.
  HRESULT result() const { return result_; }

 private:
  HRESULT result_;
  bool mustUninitialize_;
};

}  // namespace plenwick::word::automation
