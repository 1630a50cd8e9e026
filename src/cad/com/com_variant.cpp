#include "cad/com/com_variant.h"

#include <cstdio>

#include "cad/automation_error.h"

namespace qarn::cad::com {

std::wstring widen(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), n);
  return w;
}

std::string narrow(const wchar_t* utf16, int length) {
  if (!utf16) return {};
  if (length < 0) length = static_cast<int>(wcslen(utf16));
  if (length == 0) return {};
  int n = WideCharToMultiByte(CP_UTF8, 0, utf16, length, nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, utf16, length, s.data(), n, nullptr, nullptr);
  return s;
}

std::string systemMessage(HRESULT hr) {
  wchar_t* text = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message;
  if (n > 0 && text) {
    message = narrow(text, static_cast<int>(n));
    while (!message.empty() &&
           (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
      message.pop_back();
  }
  if (text) LocalFree(text);
  char code[32];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return message.empty() ? std::string("error ") + code : message + " (" + code + ")";
}

namespace {

template <class T>
SAFEARRAY* makeArray(VARTYPE type, const std::vector<T>& items) {
  SAFEARRAY* sa = SafeArrayCreateVector(type, 0, static_cast<ULONG>(items.size()));
  if (!sa) throw AutomationError(E_OUTOFMEMORY, "out of memory for an array");
  if (!items.empty()) {
    void* data = nullptr;
    SafeArrayAccessData(sa, &data);
    std::copy(items.begin(), items.end(), static_cast<T*>(data));
    SafeArrayUnaccessData(sa);
  }
  return sa;
}

}  // namespace

void toVariant(const Value& value, VARIANT* out, const DispatchOf& toDispatch) {
  VariantInit(out);
  switch (value.kind()) {
    case Value::Kind::Empty:
      return;
    case Value::Kind::Missing:
      out->vt = VT_ERROR;
      out->scode = DISP_E_PARAMNOTFOUND;
      return;
    case Value::Kind::Bool:
      out->vt = VT_BOOL;
      out->boolVal = value.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
      return;
    case Value::Kind::Int:
      out->vt = VT_I4;
      out->lVal = value.toInt();
      return;
    case Value::Kind::Int16:
      out->vt = VT_I2;
      out->iVal = static_cast<SHORT>(value.toInt());
      return;
    case Value::Kind::Double:
      out->vt = VT_R8;
      out->dblVal = value.toDouble();
      return;
    case Value::Kind::Currency:
      out->vt = VT_CY;
      out->cyVal.int64 = Currency::fromDouble(value.toDouble()).raw;
      return;
    case Value::Kind::Text: {
      std::wstring w = widen(value.toText());
      out->vt = VT_BSTR;
      out->bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
      return;
    }
    case Value::Kind::Object:
      out->vt = VT_DISPATCH;
      out->pdispVal = toDispatch(value.toObject());
      return;
    case Value::Kind::DoubleArray:
      out->parray = makeArray<double>(VT_R8, value.doubles());
      out->vt = VT_ARRAY | VT_R8;
      return;
    case Value::Kind::Int16Array:
      out->parray =
          makeArray<SHORT>(VT_I2, std::vector<SHORT>(value.int16s().begin(), value.int16s().end()));
      out->vt = VT_ARRAY | VT_I2;
      return;
    case Value::Kind::ValueArray: {
      const auto& items = value.values();
      SAFEARRAY* sa = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
      VARIANT* data = nullptr;
      SafeArrayAccessData(sa, reinterpret_cast<void**>(&data));
      try {
        for (std::size_t i = 0; i < items.size(); ++i)
          toVariant(items[i], &data[i], toDispatch);
      } catch (...) {
        SafeArrayUnaccessData(sa);
        SafeArrayDestroy(sa);
        throw;
      }
      SafeArrayUnaccessData(sa);
      out->vt = VT_ARRAY | VT_VARIANT;
      out->parray = sa;
      return;
    }
  }
}

namespace {

Value fromArray(SAFEARRAY* sa, VARTYPE element, const WrapDispatch& wrap) {
  if (!sa || SafeArrayGetDim(sa) != 1)
    throw AutomationError(DISP_E_TYPEMISMATCH,
                          "Type mismatch: a one-dimensional array was expected");
  LONG lower = 0, upper = -1;
  SafeArrayGetLBound(sa, 1, &lower);
  SafeArrayGetUBound(sa, 1, &upper);
  std::size_t n = upper >= lower ? static_cast<std::size_t>(upper - lower + 1) : 0;
  void* raw = nullptr;
  SafeArrayAccessData(sa, &raw);
  Value result;
  switch (element) {
    case VT_R8: {
      auto* d = static_cast<double*>(raw);
      result = Value(std::vector<double>(d, d + n));
      break;
    }
    case VT_R4: {
      auto* f = static_cast<float*>(raw);
      result = Value(std::vector<double>(f, f + n));
      break;
    }
    case VT_I2: {
      auto* s = static_cast<SHORT*>(raw);
      result = Value(std::vector<std::int16_t>(s, s + n));
      break;
    }
    case VT_VARIANT: {
      auto* v = static_cast<VARIANT*>(raw);
      std::vector<Value> items;
      items.reserve(n);
      try {
        for (std::size_t i = 0; i < n; ++i)
          items.push_back(fromVariant(&v[i], wrap));
      } catch (...) {
        SafeArrayUnaccessData(sa);
        throw;
      }
      result = Value(std::move(items));
      break;
    }
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      auto* p = static_cast<IUnknown**>(raw);
      std::vector<Value> items;
      for (std::size_t i = 0; i < n; ++i) {
        IDispatch* d = nullptr;
        if (p[i]) p[i]->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
        items.push_back(d ? Value(wrap(d)) : Value());
        if (d) d->Release();
      }
      result = Value(std::move(items));
      break;
    }
    default:
      SafeArrayUnaccessData(sa);
      throw AutomationError(DISP_E_TYPEMISMATCH,
                            "Type mismatch: an array of type " + std::to_string(element));
  }
  SafeArrayUnaccessData(sa);
  return result;
}

}  // namespace

Value fromVariant(const VARIANT* in, const WrapDispatch& wrap) {
  VARTYPE vt = in->vt;
  if (vt == (VT_BYREF | VT_VARIANT)) return fromVariant(in->pvarVal, wrap);
  if (vt & VT_ARRAY)
    return fromArray((vt & VT_BYREF) ? *in->pparray : in->parray, vt & VT_TYPEMASK, wrap);
  switch (vt) {
    case VT_EMPTY:
    case VT_NULL:
      return Value();
    case VT_ERROR:
      return in->scode == DISP_E_PARAMNOTFOUND ? Value::missing()
                                               : Value(static_cast<int>(in->scode));
    case VT_BOOL:
      return Value(in->boolVal != VARIANT_FALSE);
    case VT_I1:
      return Value(static_cast<int>(in->cVal));
    case VT_UI1:
      return Value(static_cast<int>(in->bVal));
    case VT_I2:
      return Value::int16(in->iVal);
    case VT_UI2:
      return Value(static_cast<int>(in->uiVal));
    case VT_I4:
    case VT_INT:
      return Value(static_cast<int>(in->lVal));
    case VT_UI4:
    case VT_UINT:
      return Value(static_cast<double>(in->ulVal));
    case VT_I8:
      return Value(static_cast<double>(in->llVal));  // window handles
    case VT_UI8:
      return Value(static_cast<double>(in->ullVal));
    case VT_R4:
      return Value(static_cast<double>(in->fltVal));
    case VT_R8:
      return Value(in->dblVal);
    case VT_CY:
      return Value(Currency{in->cyVal.int64});
    case VT_BSTR:
      return Value(narrow(in->bstrVal, static_cast<int>(SysStringLen(in->bstrVal))));
    case VT_DISPATCH:
      return in->pdispVal ? Value(wrap(in->pdispVal)) : Value();
    case VT_UNKNOWN: {
      IDispatch* d = nullptr;
      if (in->punkVal) in->punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
      if (!d) return Value();
      Value v(wrap(d));
      d->Release();
      return v;
    }
    default: {
      // Anything else the CAD sends is read as its text, as the variant conversion gives it.
      Variant text;
      if (SUCCEEDED(VariantChangeType(text.get(), const_cast<VARIANT*>(in), 0, VT_BSTR)))
        return Value(
            narrow(text.get()->bstrVal, static_cast<int>(SysStringLen(text.get()->bstrVal))));
      throw AutomationError(DISP_E_TYPEMISMATCH,
                            "Type mismatch: variant type " + std::to_string(vt));
    }
  }
}

}  // namespace qarn::cad::com
