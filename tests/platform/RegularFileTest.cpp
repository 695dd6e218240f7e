#include "platform/RegularFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>

#include "platform/Errors.h"
#include "support/ErrorOf.h"
#include "support/NotAFile.h"
#include "support/ScratchHome.h"

namespace corvenna::test {
namespace {
namespace fs = std::filesystem;

// Without O_NONBLOCK a FIFO with no writer holds open() for reading, and one
// with no reader holds it for writing; a device would be read for ever.
TEST(RegularFile, WhatIsNoRegularFileIsRefusedAtOnceAndSaidWhatItIs) {
  ScratchHome home;
  const fs::path path = home.Root() / "day.log";
  const struct {
    const char* what;
    int flags;
  } opens[] = {
      {"reading", O_RDONLY},
      {"appending, created when missing", O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW},
      {"locking, created when missing", O_RDONLY | O_CREAT | O_NOFOLLOW},
  };
  for (const NotAFileKind kind : AllNotAFileKinds()) {
    const NotAFile there(kind, path);
    if (!there.Made()) continue;
    for (const auto& open : opens) {
      SCOPED_TRACE(std::string(KindName(kind)) + ", " + open.what);
      const HangGuard guard(20, std::string("opening a ") + KindName(kind));
      errno = 0;
      const int fd = OpenRegularFile(path.string(), open.flags, 0600);
      const int error = errno;
      EXPECT_EQ(fd, -1);
      if (fd >= 0) ::close(fd);
      EXPECT_EQ(OpenFailureText(path.string(), error), KindText(kind));
    }
    const HangGuard guard(20, std::string("reading a ") + KindName(kind));
    EXPECT_EQ(ErrorOf<EOSError>([&] { ReadRegularFileStart(path.string(), 100, "the copy"); }),
              "Cannot open the copy \"" + path.string() + "\": " + KindText(kind));
  }
}

TEST(RegularFile, ARegularFileOpensBlockingAndTheStartOfItIsRead) {
  ScratchHome home;
  const fs::path path = home.Root() / "copy.xml";
  WriteFileText(path, "0123456789");

  const int fd = OpenRegularFile(path.string(), O_RDONLY);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
  ::close(fd);

  const TFileStart start = ReadRegularFileStart(path.string(), 4);
  EXPECT_EQ(start.Text, "0123");
  EXPECT_EQ(start.Size, 10u);
  EXPECT_EQ(ReadRegularFileStart(path.string(), 100).Text, "0123456789");
}

TEST(RegularFile, AMissingFileOrALinkNotFollowedKeepsItsOwnReason) {
  ScratchHome home;
  const fs::path missing = home.Root() / "missing.xml";
  EXPECT_EQ(OpenRegularFile(missing.string(), O_RDONLY), -1);
  EXPECT_EQ(OpenFailureText(missing.string(), errno), "No such file or directory");

  const fs::path link = home.Root() / "link.xml";
  fs::create_symlink("/dev/null", link);
  EXPECT_EQ(OpenRegularFile(link.string(), O_RDONLY | O_NOFOLLOW), -1);
  EXPECT_EQ(OpenFailureText(link.string(), errno), "it is a symbolic link, which is not followed");
  // Followed, the link says what it leads to.
  EXPECT_EQ(OpenRegularFile(link.string(), O_RDONLY), -1);
  EXPECT_EQ(OpenFailureText(link.string(), errno), KindText(NotAFileKind::Device));
}

}  // namespace
}  // namespace corvenna::test
