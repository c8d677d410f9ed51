#include <gtest/gtest.h>
#include <unistd.h>

#include <random>
#include <string>

#include "platform/NamedMutex.h"

int main(int argc, char** argv) {
  // A namespace of this process's own: parallel test processes never meet on
  // a lock, and a later process that happens to get the same pid never finds
  // segments an earlier one left behind.
  std::random_device random;
  const std::string ns = "torvik-test-" + std::to_string(getpid()) + "-" + std::to_string(random() % 1000000);
  plat::SetLockNamespace(ns);
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  plat::RemoveLockSegments(ns);
  return rc;
}
