#pragma once
// Records every message the code under test shows, instead of a modal box.
#include <string>
#include <vector>

#include "platform/Messages.h"

namespace corvenna::test {

class RecordingMessages final : public MessageSink {
 public:
  RecordingMessages() { previous_ = SetMessageSink(this); }
  ~RecordingMessages() override { SetMessageSink(previous_); }

  void ShowTaskMessage(const TaskMessage& message) override { tasks.push_back(message); }
  void ShowErrorBox(const std::string& message) override { errorBoxes.push_back(message); }

  std::vector<TaskMessage> tasks;
  std::vector<std::string> errorBoxes;

 private:
  MessageSink* previous_ = nullptr;
};

}  // namespace corvenna::test
