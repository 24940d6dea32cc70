// Records what a form tells its renderer, in order.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "forms/forms.h"

namespace dw::test {

class RecordingObserver : public IFormObserver {
 public:
  void Changed(TComponent& component, TProperty property) override { changes.emplace_back(component.Name(), property); }
  void FormChanged(TForm&, TProperty property) override { formChanges.push_back(property); }
  bool Heard(const std::wstring& name, TProperty property) const {
    for (const auto& change : changes)
      if (change.first == name && change.second == property) return true;
    return false;
  }
  std::vector<std::pair<std::wstring, TProperty>> changes;
  std::vector<TProperty> formChanges;
};

}  // namespace dw::test
