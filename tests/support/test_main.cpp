// Runs the tests with the recording host registered, so no message box ever blocks.
#include <gtest/gtest.h>

#include "support/test_support.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  PixetRegisterHost(pixet::testing::DefaultHost());
  const int result = RUN_ALL_TESTS();
  PixetRegisterHost(nullptr);
  return result;
}
