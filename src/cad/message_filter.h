#pragma once
// The message filter that keeps synchronous calls to a busy CAD alive: incoming calls are taken,
// pending window messages wait, and a "call me later" is retried every second.
#include <memory>

namespace qarn::cad {

namespace message_filter {
constexpr unsigned kRejectRetryLater = 2;  // SERVERCALL_RETRYLATER
inline unsigned long handleInComingCall() {
  return 0;
}  // SERVERCALL_ISHANDLED
// Milliseconds until the call is tried again, or -1 to cancel it. The elapsed time is not
// looked at: a CAD that keeps asking to be called later is retried every second.
inline unsigned long retryRejectedCall(unsigned long /*tickCount*/, unsigned long rejectType) {
  return rejectType == kRejectRetryLater ? 1000UL : static_cast<unsigned long>(-1);
}
inline unsigned long messagePending() {
  return 1;
}  // PENDINGMSG_WAITNOPROCESS
}  // namespace message_filter

class TMessageFilter {
 public:
  virtual ~TMessageFilter() = default;
  // Becomes the thread's filter; the one registered before is kept.
  virtual void RegisterFilter() = 0;
  // Puts the filter that was registered before back.
  virtual void RevokeFilter() = 0;
  virtual bool registered() const = 0;

  // The platform's filter: COM's on Windows, one that only keeps the state elsewhere.
  static std::unique_ptr<TMessageFilter> create();
};

}  // namespace qarn::cad
