#include "support/FakeSystem.h"

#include <chrono>
#include <thread>

namespace dw::test {

void FakeSystem::Sleep(uint32_t ms) {
  if (virtualSleep) {
    tick.fetch_add(ms);
    // Let other threads run as a real sleep would.
    std::this_thread::yield();
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  tick.fetch_add(ms);
}

std::optional<std::wstring> FakeSystem::EnvironmentVariable(const std::wstring& name) {
  return NativePlatform().system->EnvironmentVariable(name);
}

}  // namespace dw::test
