#include "cad/message_filter.h"

namespace qarn::cad {

#ifndef _WIN32
namespace {
// Without COM there are no cross-process calls to filter.
class PlainFilter : public TMessageFilter {
 public:
  void RegisterFilter() override { registered_ = true; }
  void RevokeFilter() override { registered_ = false; }
  bool registered() const override { return registered_; }

 private:
  bool registered_ = false;
};
}  // namespace

std::unique_ptr<TMessageFilter> TMessageFilter::create() {
  return std::make_unique<PlainFilter>();
}
#endif

}  // namespace qarn::cad
