#pragma once
// The automation boundary over IDispatch: calls by member name, each DISPID looked up once per
// member and interface and then reused, one Invoke per call. An object whose interface the
// caller names is trusted to be of it: a DISPID cached for that interface is used straight away
// and looked up again only when the CAD does not know it. Only an object of unknown interface is
// asked for its type description.
#include <oaidl.h>
#include <windows.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "cad/object.h"

namespace qarn::cad::com {

// Round trips made by this process, for the figures.
struct ComCounters {
  long calls = 0;      // automation calls asked of the link
  long lookups = 0;    // GetIDsOfNames
  long invokes = 0;    // Invoke
  long typeInfos = 0;  // GetTypeInfo and GetTypeAttr: once for each object, to know its interface
};
ComCounters& comCounters();

class ComDispatch : public Dispatch {
 public:
  // AddRefs. `scope`: the CAD the object comes from (its ProgID), so that interfaces of the same
  // name in two CADs keep their member ids apart; objects it returns inherit it.
  explicit ComDispatch(IDispatch* p, std::string scope = {});
  ~ComDispatch() override;
  ComDispatch(const ComDispatch&) = delete;
  ComDispatch& operator=(const ComDispatch&) = delete;

  Value invoke(std::string_view member, CallKind kind, std::span<Value> args) override;
  void setInterface(std::string_view name) override { interface_ = name; }
  std::string_view interfaceName() const override { return interface_; }
  IDispatch* get() const { return p_; }

  static DispatchPtr wrap(IDispatch* p, std::string scope = {}) {
    return std::make_shared<ComDispatch>(p, std::move(scope));
  }

 private:
  DISPID dispid(const std::string& member, bool fresh);
  // The interface's identity: the GUID of its type description; nothing when the object has no
  // type description or one without a GUID.
  const GUID* interfaceId();
  IDispatch* p_;
  std::string scope_;
  std::string interface_;  // as the caller named it; empty when unknown
  GUID iid_{};
  bool hasIid_ = false;
  bool typeAsked_ = false;
  std::map<std::string, DISPID> own_;  // for an object that does not tell its interface
};

}  // namespace qarn::cad::com
