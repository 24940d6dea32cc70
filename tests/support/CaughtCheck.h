// Every test must stay silent: an exception that the program caught and recorded
// where nothing may unwind fails the test it happened in, unless the test expected
// it and took it with TakeCaught.
#pragma once

#include <string>
#include <vector>

namespace testing {
class TestEventListener;
}

namespace dw::test {

// What the program recorded since the test began (or since the last call), taken
// away so that the end-of-test check does not count it.
std::vector<std::string> TakeCaught();

// The listener that test_main installs.
testing::TestEventListener* NewCaughtCheck();
// True when some test ended with exceptions it did not take.
bool CaughtCheckFailed();

}  // namespace dw::test
