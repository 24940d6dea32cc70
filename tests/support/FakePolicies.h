// Policy values held in memory, in the scopes a test puts them, looked up without
// regard to case as the registry does; a text over the caller's bound comes back
// as Other, as the registry backend gives it.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>

#include "common/Text.h"
#include "platform/Platform.h"

namespace dw::test {

class FakePolicies : public PolicyStore {
 public:
  void SetNumber(PolicyScope scope, const std::wstring& name, uint32_t number) {
    Put(scope, name, PolicyValue::Number(number));
  }
  void SetText(PolicyScope scope, const std::wstring& name, std::wstring text) {
    Put(scope, name, PolicyValue::Text(std::move(text)));
  }
  // A value of a type the program does not read (REG_BINARY, REG_MULTI_SZ...).
  void SetOther(PolicyScope scope, const std::wstring& name) { Put(scope, name, PolicyValue{}); }
  void Put(PolicyScope scope, const std::wstring& name, PolicyValue value) {
    values_[{scope, ToLower(name)}] = std::move(value);
  }
  void Remove(PolicyScope scope, const std::wstring& name) { values_.erase({scope, ToLower(name)}); }
  void Clear() { values_.clear(); }

  std::optional<PolicyValue> Value(PolicyScope scope, const std::wstring& name, size_t maxChars) override {
    auto found = values_.find({scope, ToLower(name)});
    if (found == values_.end()) return std::nullopt;
    PolicyValue value = found->second;
    if (value.type == PolicyValue::Type::Text && value.text.size() > maxChars) return PolicyValue{};
    return value;
  }

 private:
  std::map<std::pair<PolicyScope, std::wstring>, PolicyValue> values_;
};

}  // namespace dw::test
