#pragma once
// The one road by which the exchange and the dialogs show a message to the
// user: a task message (title, icon, instruction, content, expanded text, one
// button) or the platform's standard error box. The UI installs a Qt sink;
// tests install a recording one; without either, messages go to stderr so
// that nothing ever waits for a click nobody can give.
#include <string>

namespace corvenna {

enum class TaskIcon { Error, Information };

struct TaskMessage {
  std::string title;
  TaskIcon icon = TaskIcon::Information;
  std::string instruction;
  std::string content;
  std::string expanded;
  std::string button;
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void ShowTaskMessage(const TaskMessage& message) = 0;
  virtual void ShowErrorBox(const std::string& message) = 0;
};

// Shows a task message modally (or records / prints it, by the sink).
void ShowTaskMessage(const TaskMessage& message);
// The platform's standard error box for an exception that reached an event handler.
void ShowErrorBox(const std::string& message);

// Installs a sink (not owned) and returns the previous one; nullptr restores stderr.
MessageSink* SetMessageSink(MessageSink* sink);

}  // namespace corvenna
