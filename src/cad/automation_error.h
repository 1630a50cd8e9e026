#pragma once
// The one error type that crosses the automation boundary.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace qarn::cad {

// Status codes, chosen to match the COM codes a real CAD returns so that messages and tests read
// the same on every platform.
namespace status {
constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005);
constexpr std::int32_t kMemberNotFound = static_cast<std::int32_t>(0x80020003);
constexpr std::int32_t kTypeMismatch = static_cast<std::int32_t>(0x80020005);
constexpr std::int32_t kException = static_cast<std::int32_t>(0x80020009);
constexpr std::int32_t kBadParamCount = static_cast<std::int32_t>(0x8002000E);
constexpr std::int32_t kParamNotOptional = static_cast<std::int32_t>(0x8002000F);
constexpr std::int32_t kInvalidArg = static_cast<std::int32_t>(0x80070057);
constexpr std::int32_t kInvalidClassString = static_cast<std::int32_t>(0x800401F3);
constexpr std::int32_t kUnavailable = static_cast<std::int32_t>(0x800401E3);  // MK_E_UNAVAILABLE
constexpr std::int32_t kCallRejected = static_cast<std::int32_t>(0x80010001);
// A user-input request (GetPoint, GetDistance, ...) answered with Enter or a keyword instead of a
// value: "User input is a keyword".
constexpr std::int32_t kUserInputKeyword = static_cast<std::int32_t>(0x80200020);
}  // namespace status

class AutomationError : public std::runtime_error {
 public:
  AutomationError(std::int32_t code, const std::string& message)
      : std::runtime_error(message), code_(code) {}
  std::int32_t code() const noexcept { return code_; }

 private:
  std::int32_t code_;
};

}  // namespace qarn::cad
