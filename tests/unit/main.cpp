// Runs the unit tests and says first where they run.
#include "whereami.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  SayPlatform();
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
