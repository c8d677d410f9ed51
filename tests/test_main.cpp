#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/NamedMutex.h"

int main(int argc, char** argv) {
  const std::string ns = "torvik-test-" + std::to_string(getpid());
  plat::SetLockNamespace(ns);
  ::testing::InitGoogleTest(&argc, argv);
  int rc = RUN_ALL_TESTS();
  plat::RemoveLockSegments(ns);
  return rc;
}
