#include "state/SharedState.h"

#include "state/logfile.h"

namespace dw {

namespace {
std::unique_ptr<TSharedState>& Holder() {
  static std::unique_ptr<TSharedState> state = std::make_unique<TSharedState>();
  return state;
}
}  // namespace

TSharedState::~TSharedState() = default;

TSharedState& State() { return *Holder(); }

void ResetState() { Holder() = std::make_unique<TSharedState>(); }

void LogItem(const std::wstring& action, const std::wstring& arg) {
  if (TLogFile* log = State().Log.get()) log->addItem(action, arg);
}

}  // namespace dw
