#include "common/HomeLock.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>

namespace tlx::test {
namespace {

TEST(HomeLock, OneHolderAtATimeNamedInTheRefusal) {
  TempDir home;
  HomeLock first;
  ASSERT_EQ(first.Acquire(home.Path()), HomeLock::Result::Locked);
  EXPECT_EQ(first.RefusalText(home.Path()), "");

  HomeLock second;  // a second opening of the lock file, as a second program makes
  ASSERT_EQ(second.Acquire(home.Path()), HomeLock::Result::InUse);
  EXPECT_FALSE(second.Held());
  EXPECT_EQ(second.Holder(), static_cast<long>(::getpid()));
  const std::string refusal = second.RefusalText(home.Path());
  EXPECT_NE(refusal.find(home.Path() + " is already in use by process " +
                         std::to_string(::getpid())), std::string::npos) << refusal;
  EXPECT_NE(refusal.find("--home"), std::string::npos);

  first.Release();
  EXPECT_EQ(second.Acquire(home.Path()), HomeLock::Result::Locked);
}

TEST(HomeLock, AHomeThatIsNotADirectoryIsRefusedWithItsReason) {
  TempDir dir;
  WriteBytes(dir.File("home"), "a file where the home should be");
  HomeLock lock;
  ASSERT_EQ(lock.Acquire(dir.File("home")), HomeLock::Result::Failed);
  EXPECT_EQ(lock.RefusalText(dir.File("home")),
            "The program home " + dir.File("home") + " cannot be locked (Not a directory).");
}

}  // namespace
}  // namespace tlx::test
