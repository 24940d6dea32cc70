// Every program-wide global a test may change, fresh while the guard lives and
// fresh again when it goes: the shared state, the catalogue, the tray icon and its
// observer, the thousands separator, the notification sink, the scan view and the
// elevation's exit hook. Fixtures hold one instead of resetting each by hand.
#pragma once

namespace dw::test {

class ScopedProgramState {
 public:
  ScopedProgramState() { Reset(); }
  ~ScopedProgramState() { Reset(); }
  ScopedProgramState(const ScopedProgramState&) = delete;
  ScopedProgramState& operator=(const ScopedProgramState&) = delete;

  static void Reset();
};

}  // namespace dw::test
