#include "cad/com/com_link.h"

#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include "cad/automation_error.h"
#include "cad/com/com_dispatch.h"
#include "cad/com/com_variant.h"
#include "cad/running_objects.h"

namespace qarn::cad::com {

namespace {

CLSID classOf(const std::string& progId) {
  CLSID clsid;
  std::wstring w = widen(progId);
  HRESULT hr = CLSIDFromProgID(w.c_str(), &clsid);
  if (FAILED(hr)) throw AutomationError(hr, progId + ": " + systemMessage(hr));
  return clsid;
}

bool isRunning(const std::string& progId) {
  CLSID clsid = classOf(progId);
  IUnknown* unknown = nullptr;
  HRESULT hr = GetActiveObject(clsid, nullptr, &unknown);
  if (unknown) unknown->Release();
  return SUCCEEDED(hr);
}

Object attach(const std::string& progId) {
  CLSID clsid = classOf(progId);
  IUnknown* unknown = nullptr;
  HRESULT hr = GetActiveObject(clsid, nullptr, &unknown);
  if (FAILED(hr) || !unknown) throw AutomationError(hr, progId + ": " + systemMessage(hr));
  IDispatch* d = nullptr;
  hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
  unknown->Release();
  if (FAILED(hr) || !d) throw AutomationError(hr, progId + ": " + systemMessage(hr));
  Object app(ComDispatch::wrap(d, progId));
  d->Release();
  return app;
}

}  // namespace

void installComRunningObjects() {
  RunningObjects::instance().setSystemTable(RunningObjects::SystemTable{isRunning, attach});
}

}  // namespace qarn::cad::com
