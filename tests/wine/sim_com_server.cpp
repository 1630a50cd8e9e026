// A test automation server for the Windows link: the simulated CAD behind IDispatch objects,
// registered under a ProgID in the running-object table, on a single-threaded apartment that
// pumps messages. It coerces arguments as a real CAD does and refuses what a real CAD refuses,
// and it counts GetIDsOfNames and Invoke. Members named QarnTest... steer it from the tests.
//
// usage: qarn-sim-server PROGID READYFILE
#include <objbase.h>
#include <oleauto.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <typeinfo>

#include "cad/automation_error.h"
#include "cad/com/com_variant.h"
#include "cad/sim/sim_cad.h"
#include "cad/text.h"

using namespace qarn::cad;

namespace {

// {6E3B2C61-9A0D-4C3E-8E51-2B7A4F0C9D11}: lets the server find its own objects among arguments.
const IID IID_ISimObject = {
    0x6e3b2c61, 0x9a0d, 0x4c3e, {0x8e, 0x51, 0x2b, 0x7a, 0x4f, 0x0c, 0x9d, 0x11}};

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

struct Server {
  std::unique_ptr<sim::SimCad> cad;
  std::map<std::string, int> classIndex;                       // by C++ type of the sim object
  std::map<std::string, std::map<std::string, DISPID>> ids;    // class -> member -> DISPID
  std::map<std::string, std::map<DISPID, std::string>> names;  // class -> DISPID -> member
  std::map<std::string, std::map<std::string, long>> lookups;  // class -> member -> count
  std::map<std::string, long> invokes;  // member -> count (test members apart)
  std::map<std::string, ITypeInfo*> typeInfos;
  std::string reject;  // a member answered with RPC_E_CALL_REJECTED
};
Server server;

class SimComObject final : public IDispatch {
 public:
  explicit SimComObject(DispatchPtr target, bool application = false)
      : target_(std::move(target)), application_(application), cls_(typeid(*target_).name()) {
    server.classIndex.emplace(cls_, static_cast<int>(server.classIndex.size()) + 1);
  }
  virtual ~SimComObject() = default;
  void retarget(DispatchPtr t) { target_ = std::move(t); }
  const DispatchPtr& target() const { return target_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_ISimObject) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
    *n = 1;
    return S_OK;
  }
  // One type description per interface, with a GUID of its own as a real CAD's type library
  // gives each interface (no members: names go through GetIDsOfNames).
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
    ITypeInfo*& info = server.typeInfos[cls_];
    if (!info) {
      ICreateTypeLib2* lib = nullptr;
      HRESULT hr = CreateTypeLib2(SYS_WIN64, L"qarn-sim.tlb", &lib);
      if (FAILED(hr)) return hr;
      ICreateTypeInfo* make = nullptr;
      std::wstring name = L"ISim" + std::to_wstring(server.classIndex[cls_]);
      hr = lib->CreateTypeInfo(name.data(), TKIND_DISPATCH, &make);
      if (SUCCEEDED(hr)) {
        GUID guid = {0x5141524E, 0x5349, 0x4D00, {0, 0, 0, 0, 0, 0, 0, 0}};
        guid.Data4[7] = static_cast<unsigned char>(server.classIndex[cls_]);
        make->SetGuid(guid);
        make->LayOut();
        hr = make->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&info));
        make->Release();
      }
      lib->Release();
      if (FAILED(hr) || !info) return FAILED(hr) ? hr : E_FAIL;
    }
    info->AddRef();
    *out = info;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* out) override {
    for (UINT i = 0; i < count; ++i) {
      std::string name = lower(com::narrow(names[i]));
      ++server.lookups[cls_][name];
      auto& table = server.ids[cls_];
      auto it = table.find(name);
      if (it == table.end()) {
        // Each interface numbers its members in a range of its own, so that a DISPID used on the
        // wrong interface is caught.
        DISPID id = server.classIndex[cls_] * 1000 + static_cast<DISPID>(table.size()) + 1;
        it = table.emplace(name, id).first;
        server.names[cls_][id] = name;
      }
      out[i] = it->second;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* info, UINT*) override {
    auto n = server.names[cls_].find(id);
    if (n == server.names[cls_].end()) return DISP_E_MEMBERNOTFOUND;
    const std::string& member = n->second;
    bool test = member.rfind("qarntest", 0) == 0;
    if (!test) ++server.invokes[member];
    if (!server.reject.empty() && member == server.reject) return RPC_E_CALL_REJECTED;
    try {
      std::vector<Value> args;
      UINT positional = params->cArgs - params->cNamedArgs;
      for (UINT i = 0; i < positional; ++i)
        args.push_back(fromArg(&params->rgvarg[params->cArgs - 1 - i]));
      CallKind kind = CallKind::Method;
      if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
          return DISP_E_PARAMNOTFOUND;
        args.push_back(fromArg(&params->rgvarg[0]));
        kind = CallKind::Put;
      }
      Value r = test && application_ ? control(member, args) : target_->invoke(member, kind, args);
      // Out-parameters come back into the caller's variants.
      for (UINT i = 0; i < positional; ++i) {
        VARIANT& slot = params->rgvarg[params->cArgs - 1 - i];
        if (slot.vt == (VT_BYREF | VT_VARIANT)) {
          VariantClear(slot.pvarVal);
          com::toVariant(args[i], slot.pvarVal, toDispatch);
        }
      }
      if (result) com::toVariant(r, result, toDispatch);
      return S_OK;
    } catch (const AutomationError& e) {
      if (info) {
        *info = EXCEPINFO{};
        info->scode = e.code();
        std::wstring text = com::widen(e.what());
        info->bstrDescription = SysAllocString(text.c_str());
        info->bstrSource = SysAllocString(L"QarnSim");
      }
      return DISP_E_EXCEPTION;
    }
  }

  static IDispatch* toDispatch(const DispatchPtr& d) { return new SimComObject(d); }

 private:
  // A value as a real CAD takes it: the variant's own type, objects of this server unwrapped.
  static Value fromArg(const VARIANT* v) {
    return com::fromVariant(v, [](IDispatch* d) -> DispatchPtr {
      void* self = nullptr;
      if (FAILED(d->QueryInterface(IID_ISimObject, &self)) || !self)
        throw AutomationError(E_INVALIDARG, "an object of another program");
      auto* obj = static_cast<SimComObject*>(static_cast<IDispatch*>(self));
      DispatchPtr t = obj->target();
      obj->Release();
      return t;
    });
  }

  Value control(const std::string& member, std::vector<Value>& a);

  std::atomic<ULONG> refs_{1};
  DispatchPtr target_;
  bool application_;
  std::string cls_;
};

SimComObject* application = nullptr;

void writeCounts(const std::string& path) {
  std::ofstream out(path);
  long lookupsTotal = 0, invokesTotal = 0, repeated = 0;
  for (const auto& [cls, members] : server.lookups)
    for (const auto& [m, n] : members) {
      if (m.rfind("qarntest", 0) == 0) continue;
      lookupsTotal += n;
      if (n > 1) {
        ++repeated;
        out << "repeated " << cls << " " << m << " " << n << "\n";
      }
    }
  for (const auto& [m, n] : server.invokes)
    invokesTotal += n;
  out << "lookups " << lookupsTotal << "\ninvokes " << invokesTotal << "\nrepeated " << repeated
      << "\n";
}

Value SimComObject::control(const std::string& member, std::vector<Value>& a) {
  sim::SimCad& cad = *server.cad;
  auto text = [&](std::size_t i) { return a.at(i).toText(); };
  auto number = [&](std::size_t i) { return a.at(i).toDouble(); };
  if (member == "qarntestkeepbusy")
    cad.keepBusy(a.at(0).toInt());
  else if (member == "qarntestpoint")
    cad.operatorPoint(number(0), number(1));
  else if (member == "qarntestpick")
    cad.operatorPick(text(0), {number(1), number(2), 0});
  else if (member == "qarntestwindow") {
    // A real top-level window stands for the CAD's main window, minimised as a user leaves it.
    static HWND window = nullptr;
    if (!window)
      window = CreateWindowExW(0, L"STATIC", L"QARN test CAD", WS_OVERLAPPEDWINDOW, 40, 40, 800,
                               600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) throw AutomationError(HRESULT_FROM_WIN32(GetLastError()), "CreateWindowEx");
    ShowWindow(window, SW_SHOWNORMAL);
    ShowWindow(window, SW_MINIMIZE);
    auto handle = static_cast<WindowHandle>(reinterpret_cast<intptr_t>(window));
    cad.setApplicationWindow(handle);
    return Value(static_cast<int>(handle));
  } else if (member == "qarntestescape")
    cad.operatorEscape();
  else if (member == "qarntestselect")
    cad.operatorSelect(splitCommaText(text(0)));
  else if (member == "qarntestreject")
    server.reject = lower(text(0));
  else if (member == "qarntesttranscript") {
    std::string all;
    for (const auto& s : cad.transcript())
      all += s + "\n";
    return Value(all);
  } else if (member == "qarntestfresh") {
    // A new simulated CAD of the same kind, as if the CAD had been started again.
    server.cad = std::make_unique<sim::SimCad>(sim::CadProfile::forProgId(text(0)));
    server.invokes.clear();
    server.lookups.clear();
    retarget(server.cad->application());
  } else if (member == "qarntestfinish") {
    server.cad->writeDxf(text(0));
    writeCounts(text(1));
    PostQuitMessage(0);
  } else {
    throw AutomationError(DISP_E_MEMBERNOTFOUND, "Unknown name: " + member);
  }
  return Value();
}

bool registerProgId(const std::string& progId, const CLSID& clsid) {
  wchar_t guid[64];
  StringFromGUID2(clsid, guid, 64);
  std::wstring key = com::widen(progId) + L"\\CLSID";
  if (RegSetValueW(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, guid, 0) != ERROR_SUCCESS) return false;
  std::wstring back = std::wstring(L"CLSID\\") + guid + L"\\ProgID";
  std::wstring id = com::widen(progId);
  return RegSetValueW(HKEY_CLASSES_ROOT, back.c_str(), REG_SZ, id.c_str(), 0) == ERROR_SUCCESS;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: qarn-sim-server PROGID READYFILE\n");
    return 2;
  }
  std::string progId = argv[1];
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  CLSID clsid;
  CoCreateGuid(&clsid);
  if (!registerProgId(progId, clsid)) {
    std::fprintf(stderr, "qarn-sim-server: cannot register %s\n", progId.c_str());
    return 4;
  }
  server.cad = std::make_unique<sim::SimCad>(sim::CadProfile::forProgId(progId));
  application = new SimComObject(server.cad->application(), true);
  DWORD cookie = 0;
  HRESULT hr = RegisterActiveObject(application, clsid, ACTIVEOBJECT_STRONG, &cookie);
  if (FAILED(hr)) {
    std::fprintf(stderr, "qarn-sim-server: RegisterActiveObject failed: %s\n",
                 com::systemMessage(hr).c_str());
    return 5;
  }
  std::ofstream(argv[2]) << "ready\n";
  // Serve until the tests finish, or give up after two minutes.
  SetTimer(nullptr, 0, 120000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(6); });
  MSG msg;
  int code = 0;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    DispatchMessageW(&msg);
  code = static_cast<int>(msg.wParam);
  RevokeActiveObject(cookie, nullptr);
  application->Release();
  CoUninitialize();
  return code;
}
