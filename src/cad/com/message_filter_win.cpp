// TMessageFilter on Windows: a COM message filter registered for the thread.
#include <objbase.h>
#include <windows.h>

#include <atomic>

#include "cad/message_filter.h"

namespace qarn::cad {

namespace {

class ComMessageFilter : public TMessageFilter, public IMessageFilter {
 public:
  // IUnknown: the program owns the object; COM's references only keep count.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    if (riid == IID_IUnknown || riid == IID_IMessageFilter) {
      *out = static_cast<IMessageFilter*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs_; }

  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override {
    return message_filter::handleInComingCall();
  }
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD tickCount, DWORD rejectType) override {
    return message_filter::retryRejectedCall(tickCount, rejectType);
  }
  DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override {
    return message_filter::messagePending();
  }

  void RegisterFilter() override {
    FOldFilter = nullptr;
    if (SUCCEEDED(CoRegisterMessageFilter(this, &FOldFilter))) registered_ = true;
  }
  void RevokeFilter() override {
    IMessageFilter* mine = nullptr;
    CoRegisterMessageFilter(FOldFilter, &mine);
    if (mine) mine->Release();
    if (FOldFilter) FOldFilter->Release();
    FOldFilter = nullptr;
    registered_ = false;
  }
  bool registered() const override { return registered_; }

  IMessageFilter* FOldFilter = nullptr;

 private:
  std::atomic<ULONG> refs_{1};
  bool registered_ = false;
};

}  // namespace

std::unique_ptr<TMessageFilter> TMessageFilter::create() {
  return std::make_unique<ComMessageFilter>();
}

}  // namespace qarn::cad
