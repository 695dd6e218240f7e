#pragma once
// Task messages and the error box as Qt message boxes; where nobody can see a
// window, the message goes to standard error and nothing waits.
#include <QMessageBox>
#include <memory>

#include "platform/Messages.h"

namespace corvenna {

class QtMessages final : public MessageSink {
 public:
  void ShowTaskMessage(const TaskMessage& message) override;
  void ShowErrorBox(const std::string& message) override;
};

// Installs QtMessages as the message sink for its lifetime.
class ScopedQtMessages {
 public:
  ScopedQtMessages();
  ~ScopedQtMessages();
  ScopedQtMessages(const ScopedQtMessages&) = delete;
  ScopedQtMessages& operator=(const ScopedQtMessages&) = delete;

 private:
  QtMessages sink_;
  MessageSink* previous_ = nullptr;
};

// The boxes as they are shown, built without running them.
std::unique_ptr<QMessageBox> MakeTaskMessageBox(const TaskMessage& message);
std::unique_ptr<QMessageBox> MakeErrorBox(const std::string& message);

// The text written to standard error in place of a box.
std::string TaskMessageText(const TaskMessage& message);

}  // namespace corvenna
