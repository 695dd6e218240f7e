#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QPushButton>
#include <QElapsedTimer>
#include <QMessageBox>
#include <cstdlib>
#include <optional>

#include "platform/Messages.h"
#include "ui/Application.h"
#include "ui/QtMessages.h"

namespace corvenna {
namespace {

TEST(QtMessagesTest, TaskMessageBoxCarriesEveryPartAndOneButton) {
  const TaskMessage message{.title = "Error",
                            .icon = TaskIcon::Error,
                            .instruction = "Wrong dates",
                            .content = "The from date lies after the to date.",
                            .expanded = "details",
                            .button = "Close"};
  const auto box = MakeTaskMessageBox(message);
  EXPECT_EQ(box->windowTitle().toStdString(), "Error");
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->text().toStdString(), "Wrong dates");
  EXPECT_EQ(box->informativeText().toStdString(), "The from date lies after the to date.");
  EXPECT_EQ(box->detailedText().toStdString(), "details");
  const QList<QAbstractButton*> buttons = box->buttons();
  // The detailed text adds its own show-details button; exactly one answers the message.
  int answerButtons = 0;
  for (QAbstractButton* button : buttons) answerButtons += box->buttonRole(button) == QMessageBox::AcceptRole;
  EXPECT_EQ(answerButtons, 1);
  EXPECT_EQ(box->defaultButton()->text().toStdString(), "Close");

  const auto info = MakeTaskMessageBox({.title = "Information", .icon = TaskIcon::Information, .instruction = "i"});
  EXPECT_EQ(info->icon(), QMessageBox::Information);
  EXPECT_TRUE(info->detailedText().isEmpty());

  EXPECT_EQ(MakeErrorBox("'x' is not a valid integer value")->icon(), QMessageBox::Critical);
}

TEST(QtMessagesTest, WithoutADisplayMessagesGoToStandardErrorAtOnce) {
  ASSERT_FALSE(DisplayReachable());  // the tests run offscreen
  ScopedQtMessages sink;
  QElapsedTimer timer;
  timer.start();
  testing::internal::CaptureStderr();
  ShowTaskMessage({.title = "Information", .icon = TaskIcon::Information, .instruction = "No reservations",
                   .content = "There are no new reservations.", .button = "Close"});
  ShowErrorBox("Cannot open database");
  const std::string printed = testing::internal::GetCapturedStderr();
  EXPECT_LT(timer.elapsed(), 5000);
  EXPECT_NE(printed.find("[info] Information: No reservations - There are no new reservations."), std::string::npos);
  EXPECT_NE(printed.find("[error] Cannot open database"), std::string::npos);
}

class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const char* value = std::getenv(name);
      saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(QtMessagesTest, PlatformChoiceNeverLeavesQtWithoutAReachableDisplay) {
  ScopedEnvironment saved({"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"});
  struct Case {
    const char* preset;  // nullptr: unset
    const char* display;
    const char* wayland;
    const char* chosen;  // nullptr: Qt follows the host's QT_QPA_PLATFORM
  };
  for (const Case& c : {Case{nullptr, nullptr, nullptr, "offscreen"}, Case{nullptr, "", nullptr, "offscreen"},
                        Case{nullptr, ":0", nullptr, "xcb;offscreen"}, Case{nullptr, nullptr, "wayland-0", "xcb;offscreen"},
                        Case{"minimal", ":0", nullptr, nullptr}}) {
    auto set = [](const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); };
    set("QT_QPA_PLATFORM", c.preset);
    set("DISPLAY", c.display);
    set("WAYLAND_DISPLAY", c.wayland);
    EXPECT_STREQ(ChooseQtPlatform(), c.chosen);
    EXPECT_STREQ(std::getenv("QT_QPA_PLATFORM"), c.preset);
  }
}

TEST(QtMessagesTest, ApplicationOfTheHostIsKeptAndEventsAreProcessed) {
  QCoreApplication* before = QCoreApplication::instance();
  EnsureApplication();
  EXPECT_EQ(QCoreApplication::instance(), before);
  bool ran = false;
  QMetaObject::invokeMethod(before, [&] { ran = true; }, Qt::QueuedConnection);
  ProcessPendingEvents();
  EXPECT_TRUE(ran);
  DestroyApplication();  // not ours: stays
  EXPECT_EQ(QCoreApplication::instance(), before);
}

}  // namespace
}  // namespace corvenna
