#pragma once
// Values to and from COM VARIANTs, in the forms real CADs demand: a point is VT_ARRAY|VT_R8,
// filter codes VT_ARRAY|VT_I2, filter data VT_ARRAY|VT_VARIANT, a missing optional argument
// VT_ERROR with DISP_E_PARAMNOTFOUND, booleans VT_BOOL -1/0, currency VT_CY.
#include <oaidl.h>
#include <windows.h>

#include <functional>
#include <string>

#include "cad/value.h"

namespace qarn::cad::com {

std::wstring widen(const std::string& utf8);
std::string narrow(const wchar_t* utf16, int length = -1);

// A VARIANT that clears itself on every way out.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  ~Variant() { VariantClear(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }

 private:
  VARIANT v_;
};

// Object values become IDispatch pointers through `toDispatch` (AddRef'ed); an object this side
// cannot pass is an AutomationError.
using DispatchOf = std::function<IDispatch*(const DispatchPtr&)>;
// Wraps an incoming IDispatch (the callee AddRefs what it keeps).
using WrapDispatch = std::function<DispatchPtr(IDispatch*)>;

void toVariant(const Value& value, VARIANT* out, const DispatchOf& toDispatch);
Value fromVariant(const VARIANT* in, const WrapDispatch& wrap);

// The system's text for a status code, or the code in hexadecimal when it has none.
std::string systemMessage(HRESULT hr);

}  // namespace qarn::cad::com
