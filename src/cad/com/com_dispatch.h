#pragma once
// The automation boundary over IDispatch: calls by member name, each DISPID looked up once per
// member and interface and then reused, one Invoke per call.
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
  long lookups = 0;    // GetIDsOfNames
  long invokes = 0;    // Invoke
  long typeInfos = 0;  // GetTypeInfo and GetTypeAttr: once for each object, to know its interface
};
ComCounters& comCounters();

class ComDispatch : public Dispatch {
 public:
  explicit ComDispatch(IDispatch* p);  // AddRefs
  ~ComDispatch() override;
  ComDispatch(const ComDispatch&) = delete;
  ComDispatch& operator=(const ComDispatch&) = delete;

  Value invoke(std::string_view member, CallKind kind, std::span<Value> args) override;
  IDispatch* get() const { return p_; }

  static DispatchPtr wrap(IDispatch* p) { return std::make_shared<ComDispatch>(p); }

 private:
  DISPID dispid(const std::string& member, bool fresh);
  // The interface's identity: the GUID of its type description; nothing when the object has no
  // type description or one without a GUID.
  const GUID* interfaceId();
  IDispatch* p_;
  GUID iid_{};
  bool hasIid_ = false;
  bool typeAsked_ = false;
  std::map<std::string, DISPID> own_;  // for an object that does not tell its interface
};

}  // namespace qarn::cad::com
