#include "word/automation/ComHolders.h"

#include <climits>
#include <cstring>

namespace plenwick::word::automation {

BStr::BStr(std::wstring_view text) {
  if (text.size() <= static_cast<std::size_t>(UINT_MAX)) {
    text_ = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  }
}

BStr& BStr::operator=(BStr&& other) noexcept {
  if (this != &other) {
    SysFreeString(text_);
    text_ = other.text_;
    other.text_ = nullptr;
  }
  return *this;
}

BSTR* BStr::receive() {
  SysFreeString(text_);
  text_ = nullptr;
  return &text_;
}

Variant::Variant(Variant&& other) noexcept {
  // A VARIANT is plain data: moving it is copying its bytes and emptying the source.
  std::memcpy(&value_, &other.value_, sizeof value_);
  VariantInit(&other.value_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&value_);
    std::memcpy(&value_, &other.value_, sizeof value_);
    VariantInit(&other.value_);
  }
  return *this;
}

Variant Variant::Int16(std::int16_t value) {
  Variant v;
  v.value_.vt = VT_I2;
  v.value_.iVal = value;
  return v;
}

Variant Variant::Int32(std::int32_t value) {
  Variant v;
  v.value_.vt = VT_I4;
  v.value_.lVal = value;
  return v;
}

Variant Variant::Bool(bool value) {
  Variant v;
  v.value_.vt = VT_BOOL;
  v.value_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

Variant Variant::Text(std::wstring_view text) {
  Variant v;
  BStr owned(text);
  v.value_.vt = VT_BSTR;
  v.value_.bstrVal = owned.release();
  return v;
}

Variant Variant::Missing() {
  Variant v;
  v.value_.vt = VT_ERROR;
  v.value_.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

VARIANT* Variant::receive() {
  VariantClear(&value_);
  return &value_;
}

ComPtr<IDispatch> Variant::Object() const {
  ComPtr<IDispatch> object;
  if (value_.vt == VT_DISPATCH && value_.pdispVal != nullptr) {
    object = ComPtr<IDispatch>(value_.pdispVal);
  } else if (value_.vt == VT_UNKNOWN && value_.punkVal != nullptr) {
    value_.punkVal->QueryInterface(IID_PPV_ARGS(object.ReleaseAndGetAddressOf()));
  }
  return object;
}

ComApartment::ComApartment() {
  const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  mustUninitialize_ = SUCCEEDED(hr);
  result_ = hr == RPC_E_CHANGED_MODE || SUCCEEDED(hr) ? S_OK : hr;
}

ComApartment::~ComApartment() {
  if (mustUninitialize_) CoUninitialize();
}

}  // namespace plenwick::word::automation
