// Test entry point of the core's test programs: plain GoogleTest, no Qt. A link wait
// there sleeps, as it does in zentra-cli.
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
