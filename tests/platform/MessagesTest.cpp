#include <gtest/gtest.h>

#include "platform/Errors.h"
#include "support/RecordingMessages.h"

namespace corvenna {
namespace {

TEST(MessagesTest, RecordingSinkCatchesMessagesAndRestoresThePreviousOne) {
  {
    test::RecordingMessages outer;
    {
      test::RecordingMessages inner;
      ShowErrorBox("inner");
      EXPECT_EQ(inner.errorBoxes.size(), 1u);
    }
    ShowTaskMessage({.title = "t", .icon = TaskIcon::Error, .instruction = "i"});
    ASSERT_EQ(outer.tasks.size(), 1u);
    EXPECT_EQ(outer.tasks[0].instruction, "i");
    EXPECT_TRUE(outer.errorBoxes.empty());
  }
}

TEST(MessagesTest, FormatHandlesLongTexts) {
  const std::string longText(5000, 'x');
  EXPECT_EQ(Format("'%s' is not a valid integer value", "12a"), "'12a' is not a valid integer value");
  EXPECT_EQ(Format("%s!", longText.c_str()).size(), 5001u);
}

}  // namespace
}  // namespace corvenna
