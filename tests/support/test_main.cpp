#include <gtest/gtest.h>

#include "support/CaughtCheck.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(dw::test::NewCaughtCheck());
  int result = RUN_ALL_TESTS();
  return result != 0 || dw::test::CaughtCheckFailed() ? 1 : 0;
}
