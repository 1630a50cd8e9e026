#include "cad/com/com_dispatch.h"

#include <vector>

#include "cad/automation_error.h"
#include "cad/com/com_variant.h"

namespace qarn::cad::com {

ComCounters& comCounters() {
  static ComCounters counters;
  return counters;
}

namespace {

// DISPIDs by interface and lower-case member name. An interface is known by the name the caller
// gave it (within one CAD), or else by the GUID of its type description, the same for every object
// of it however the CAD hands the description out; the cache is bounded, so that a CAD naming its
// interfaces without end cannot grow it for good.
using InterfaceKey = std::pair<std::string, std::string>;  // 'N' scope and name or 'G' GUID, member
std::map<InterfaceKey, DISPID>& dispidCache() {
  static std::map<InterfaceKey, DISPID> cache;
  return cache;
}
constexpr std::size_t kCacheLimit = 8192;

// The GUIDs of the type descriptions seen, so that an object whose CAD hands out the same
// description as before costs no second round trip for its attributes. The descriptions are held
// while they are in the table, so that an address never comes to stand for another one; the
// table is bounded like the cache.
std::map<ITypeInfo*, GUID>& knownTypes() {
  static std::map<ITypeInfo*, GUID> types;
  return types;
}
constexpr std::size_t kTypeLimit = 1024;

std::string guidBytes(const GUID& g) {
  return std::string(reinterpret_cast<const char*>(&g), sizeof g);
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

IDispatch* dispatchOf(const DispatchPtr& d) {
  auto* com = dynamic_cast<ComDispatch*>(d.get());
  if (!com) throw AutomationError(E_INVALIDARG, "Only objects of this CAD can be passed to it");
  com->get()->AddRef();
  return com->get();
}

// Turns a failed Invoke into the error the user sees, freeing what the callee allocated.
[[noreturn]] void raise(HRESULT hr, EXCEPINFO& info, const std::string& member) {
  if (hr == DISP_E_EXCEPTION) {
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    std::string text = info.bstrDescription
                           ? narrow(info.bstrDescription, SysStringLen(info.bstrDescription))
                           : "";
    HRESULT code = info.scode ? info.scode : (info.wCode ? 0x80040000 + info.wCode : hr);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrHelpFile);
    throw AutomationError(code, text.empty() ? member + ": " + systemMessage(code) : text);
  }
  throw AutomationError(hr, member + ": " + systemMessage(hr));
}

// An object whose kind is not known yet is named for the interface every object of its sort has
// (every drawing object, every entity); only the members of that interface take their ids from
// it, since each kind numbers its other members its own way.
bool onEveryObject(const std::string& m) {
  static const std::string_view members[] = {"handle",  "objectname",  "objectid", "ownerid",
                                             "document", "application", "delete",   "erase"};
  for (std::string_view x : members)
    if (x == m) return true;
  return false;
}
bool onEveryEntity(const std::string& m) {
  static const std::string_view members[] = {
      "entityname", "layer",     "color",      "linetype",       "copy",
      "move",       "rotate",    "mirror",     "update",         "visible",
      "highlight",  "lineweight", "truecolor", "getboundingbox", "arrayrectangular",
      "linetypescale"};
  for (std::string_view x : members)
    if (x == m) return true;
  return onEveryObject(m);
}
// Whether the member's id may be taken from what was learnt on other objects named `iface`.
bool sharedByName(std::string_view iface, const std::string& m) {
  if (iface == "IAcadObject") return onEveryObject(m);
  if (iface == "IAcadEntity") return onEveryEntity(m);
  return !iface.empty();
}

}  // namespace

ComDispatch::ComDispatch(IDispatch* p, std::string scope) : p_(p), scope_(std::move(scope)) {
  p_->AddRef();
}

ComDispatch::~ComDispatch() {
  p_->Release();
}

const GUID* ComDispatch::interfaceId() {
  if (!typeAsked_) {
    typeAsked_ = true;
    // Once per object: an object without type information simply fails it.
    ITypeInfo* info = nullptr;
    ++comCounters().typeInfos;
    if (SUCCEEDED(p_->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info)) && info) {
      auto& types = knownTypes();
      auto known = types.find(info);
      if (known != types.end()) {
        iid_ = known->second;
      } else {
        TYPEATTR* attr = nullptr;
        ++comCounters().typeInfos;
        iid_ = GUID_NULL;
        if (SUCCEEDED(info->GetTypeAttr(&attr)) && attr) {
          iid_ = attr->guid;
          info->ReleaseTypeAttr(attr);
        }
        if (types.size() >= kTypeLimit) {
          for (auto& [held, guid] : types)
            held->Release();
          types.clear();
        }
        info->AddRef();
        types.emplace(info, iid_);
      }
      hasIid_ = !IsEqualGUID(iid_, GUID_NULL);
      info->Release();
    }
  }
  return hasIid_ ? &iid_ : nullptr;
}

DISPID ComDispatch::dispid(const std::string& member, bool fresh) {
  std::string name = lower(member);
  auto& cache = dispidCache();
  InterfaceKey key;
  bool shared = true;
  if (sharedByName(interface_, name)) {
    key = {'N' + scope_ + '\0' + interface_, name};
  } else if (const GUID* iid = interfaceId()) {
    key = {'G' + guidBytes(*iid), name};
  } else {
    shared = false;
  }
  if (!fresh) {
    if (shared) {
      auto it = cache.find(key);
      if (it != cache.end()) return it->second;
    } else if (auto it = own_.find(name); it != own_.end()) {
      return it->second;
    }
  }
  std::wstring wide = widen(member);
  LPOLESTR names[1] = {wide.data()};
  DISPID id = DISPID_UNKNOWN;
  ++comCounters().lookups;
  HRESULT hr = p_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr))
    throw AutomationError(hr == DISP_E_UNKNOWNNAME ? DISP_E_MEMBERNOTFOUND : hr,
                          "Unknown name: " + member + " (" + systemMessage(hr) + ")");
  if (shared) {
    if (cache.size() >= kCacheLimit) cache.clear();
    cache[key] = id;
  } else {
    own_[name] = id;
  }
  return id;
}

Value ComDispatch::invoke(std::string_view memberView, CallKind kind, std::span<Value> args) {
  std::string member(memberView);
  bool out = kind == CallKind::MethodOut;
  ++comCounters().calls;
  std::string scope = scope_;
  auto wrap = [&scope](IDispatch* d) { return ComDispatch::wrap(d, scope); };
  for (bool fresh : {false, true}) {
    DISPID id = dispid(member, fresh);
    // Arguments go in reverse order; out-parameters by reference to a VARIANT of our own.
    std::vector<VARIANT> argv(args.size());
    std::vector<VARIANT> outs(args.size());
    for (auto& v : outs)
      VariantInit(&v);
    struct Cleanup {
      std::vector<VARIANT>& a;
      std::vector<VARIANT>& o;
      ~Cleanup() {
        for (auto& v : a)
          VariantClear(&v);
        for (auto& v : o)
          VariantClear(&v);
      }
    } cleanup{argv, outs};
    for (auto& v : argv)
      VariantInit(&v);
    for (std::size_t i = 0; i < args.size(); ++i) {
      VARIANT& slot = argv[args.size() - 1 - i];
      if (out && args[i].isEmpty()) {
        slot.vt = VT_BYREF | VT_VARIANT;
        slot.pvarVal = &outs[i];
      } else {
        toVariant(args[i], &slot, dispatchOf);
      }
    }
    DISPPARAMS params{argv.data(), nullptr, static_cast<UINT>(argv.size()), 0};
    DISPID putId = DISPID_PROPERTYPUT;
    WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
    if (kind == CallKind::Put) {
      flags = DISPATCH_PROPERTYPUT;
      params.rgdispidNamedArgs = &putId;
      params.cNamedArgs = 1;
    }
    Variant result;
    EXCEPINFO info{};
    UINT badArg = 0;
    ++comCounters().invokes;
    HRESULT hr =
        p_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(), &info, &badArg);
    if (hr == DISP_E_MEMBERNOTFOUND && !fresh)
      continue;  // the cached DISPID went stale: look again
    if (FAILED(hr)) raise(hr, info, member);
    if (out)
      for (std::size_t i = 0; i < args.size(); ++i)
        if (args[i].isEmpty()) args[i] = fromVariant(&outs[i], wrap);
    return fromVariant(result.get(), wrap);
  }
  throw AutomationError(DISP_E_MEMBERNOTFOUND, "Unknown name: " + member);
}

}  // namespace qarn::cad::com
