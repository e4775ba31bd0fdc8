// RAII owners for the COM resources the Windows binding holds: interface
// pointers (ComPtr), BSTRs (Bstr) and VARIANTs (ScopedVariant). Every
// reference, string and value is released by its owner on every path.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <utility>

#include "base/text.h"
#include "base/wide_text.h"
#include "wmi/wbem.h"

namespace wmi::win32 {

using syscode::FromWide;
using syscode::ToWide;

// One reference on a COM interface; Release on destruction.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr& other) : p_(other.p_) { AddRef(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Takes over a reference the caller already owns.
  static ComPtr Adopt(T* p) {
    ComPtr out;
    out.p_ = p;
    return out;
  }
  // Takes a new reference of its own.
  static ComPtr Share(T* p) {
    ComPtr out;
    out.p_ = p;
    out.AddRef();
    return out;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // For out-arguments: releases what is held and gives the slot.
  T** Receive() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }

  // Real QueryInterface for `iid`; on success *out holds the new reference.
  template <typename U>
  HRESULT QueryAs(REFIID iid, ComPtr<U>* out) const {
    if (p_ == nullptr) return E_POINTER;
    return p_->QueryInterface(iid, reinterpret_cast<void**>(out->Receive()));
  }

 private:
  void AddRef() {
    if (p_ != nullptr) p_->AddRef();
  }
  T* p_ = nullptr;
};

// An owned BSTR; SysFreeString on destruction. Empty text is a null BSTR.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const Text& text);
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { SysFreeString(b_); }

  BSTR Get() const { return b_; }
  BSTR* Receive() {
    SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  // The string as UTF-16 text (a null BSTR is empty text).
  Text ToText() const;

 private:
  BSTR b_ = nullptr;
};

// An owned VARIANT; VariantClear on destruction.
class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&v_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  ~ScopedVariant() { VariantClear(&v_); }

  VARIANT* Get() { return &v_; }
  const VARIANT* Get() const { return &v_; }
  // For out-arguments: clears what is held and gives the slot.
  VARIANT* Receive() {
    VariantClear(&v_);
    return &v_;
  }

 private:
  VARIANT v_;
};

// The engine's GUID as the platform's.
GUID ToGuid(const wmi::Guid& guid);

}  // namespace wmi::win32
