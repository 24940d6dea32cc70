#include "platform/posix/PosixPolicies.h"

namespace dw {

namespace {

class NoPolicies : public PolicyStore {
 public:
  std::optional<PolicyValue> Value(PolicyScope, const std::wstring&, size_t) override { return std::nullopt; }
};

}  // namespace

PolicyStore* PosixPolicies() {
  static NoPolicies none;
  return &none;
}

}  // namespace dw
