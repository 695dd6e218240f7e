#include "platform/Messages.h"

#include <iostream>

namespace corvenna {
namespace {

// Where nobody can click: the message is printed and the call goes on.
class StderrSink final : public MessageSink {
 public:
  void ShowTaskMessage(const TaskMessage& m) override {
    std::cerr << (m.icon == TaskIcon::Error ? "[error] " : "[info] ");
    if (!m.title.empty()) std::cerr << m.title << ": ";
    std::cerr << m.instruction;
    if (!m.content.empty()) std::cerr << " - " << m.content;
    if (!m.expanded.empty()) std::cerr << "\n" << m.expanded;
    std::cerr << std::endl;
  }
  void ShowErrorBox(const std::string& message) override { std::cerr << "[error] " << message << std::endl; }
};

StderrSink stderrSink;
MessageSink* currentSink = &stderrSink;

}  // namespace

void ShowTaskMessage(const TaskMessage& message) { currentSink->ShowTaskMessage(message); }

void ShowErrorBox(const std::string& message) { currentSink->ShowErrorBox(message); }

MessageSink* SetMessageSink(MessageSink* sink) {
  MessageSink* previous = currentSink == &stderrSink ? nullptr : currentSink;
  currentSink = sink ? sink : &stderrSink;
  return previous;
}

}  // namespace corvenna
