#include "ui/QtMessages.h"

#include <QApplication>
#include <QPushButton>
#include <iostream>

#include "ui/Application.h"

namespace corvenna {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QString ApplicationTitle() {
  const QString name = QCoreApplication::applicationName();
  return name.isEmpty() ? QStringLiteral("Corvenna") : name;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeTaskMessageBox(const TaskMessage& message) {
  auto box = std::make_unique<QMessageBox>();
  box->setWindowTitle(Q(message.title));
  box->setIcon(message.icon == TaskIcon::Error ? QMessageBox::Critical : QMessageBox::Information);
  box->setText(Q(message.instruction));
  box->setInformativeText(Q(message.content));
  if (!message.expanded.empty()) box->setDetailedText(Q(message.expanded));
  QPushButton* button = box->addButton(Q(message.button), QMessageBox::AcceptRole);
  box->setDefaultButton(button);
  box->setEscapeButton(button);
  return box;
}

std::unique_ptr<QMessageBox> MakeErrorBox(const std::string& message) {
  auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, ApplicationTitle(), Q(message), QMessageBox::Ok);
  return box;
}

std::string TaskMessageText(const TaskMessage& m) {
  std::string text = m.icon == TaskIcon::Error ? "[error] " : "[info] ";
  if (!m.title.empty()) text += m.title + ": ";
  text += m.instruction;
  if (!m.content.empty()) text += " - " + m.content;
  if (!m.expanded.empty()) text += "\n" + m.expanded;
  return text;
}

void QtMessages::ShowTaskMessage(const TaskMessage& message) {
  if (!DisplayReachable()) {
    std::cerr << TaskMessageText(message) << std::endl;
    return;
  }
  MakeTaskMessageBox(message)->exec();
}

void QtMessages::ShowErrorBox(const std::string& message) {
  if (!DisplayReachable()) {
    std::cerr << "[error] " << message << std::endl;
    return;
  }
  MakeErrorBox(message)->exec();
}

ScopedQtMessages::ScopedQtMessages() { previous_ = SetMessageSink(&sink_); }

ScopedQtMessages::~ScopedQtMessages() { SetMessageSink(previous_); }

}  // namespace corvenna
