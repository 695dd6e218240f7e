#include "platform/FileLock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/Errors.h"
#include "support/ScratchHome.h"

namespace corvenna {
namespace {

namespace fs = std::filesystem;

// Two holders in one process exclude each other as two processes do, and the
// lock goes with the holder.
TEST(FileLockTest, OneHolderAtATimeUntilItGoes) {
  test::ScratchHome home;
  const std::string path = (home.Root() / "db.retrieval-lock").string();
  auto first = std::make_unique<TFileLock>(path);
  EXPECT_TRUE(fs::exists(path));
  ASSERT_TRUE(first->TryLockFor(0));

  TFileLock second(path);
  EXPECT_FALSE(second.TryLockFor(0));
  EXPECT_FALSE(second.TryLockFor(30));
  EXPECT_FALSE(second.Locked());

  TFileLock moved(std::move(*first));
  first.reset();
  EXPECT_TRUE(moved.Locked());
  EXPECT_FALSE(second.TryLockFor(0)) << "the lock went with the holder it was moved from";

  { const TFileLock gone(std::move(moved)); }
  EXPECT_TRUE(second.TryLockFor(0));
}

TEST(FileLockTest, ALockFileThatCannotBeMadeRaises) {
  test::ScratchHome home;
  const std::string path = (home.Root() / "missing" / "db.retrieval-lock").string();
  try {
    TFileLock lock(path);
    ADD_FAILURE() << "no error";
  } catch (const EOSError& error) {
    EXPECT_EQ(std::string(error.what()), "Cannot open the lock file \"" + path + "\": No such file or directory");
  }
}

TEST(FileLockTest, ALinkInTheLockFilesPlaceIsRefusedAndCreatesNothing) {
  test::ScratchHome home;
  const fs::path target = home.Root() / "elsewhere";
  const fs::path path = home.Root() / "db.retrieval-lock";
  fs::create_symlink(target, path);
  EXPECT_THROW(TFileLock lock(path.string()), EOSError);
  EXPECT_FALSE(fs::exists(target));
}

}  // namespace
}  // namespace corvenna
