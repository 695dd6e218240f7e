#include "ui/EntrySelectionKeeper.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace corvenna {

void TEntrySelectionKeeper::Watch(QLineEdit* field) { field->installEventFilter(this); }

bool TEntrySelectionKeeper::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::FocusIn:
      enteredByClick_ = static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason ? watched : nullptr;
      break;
    case QEvent::FocusOut:
      enteredByClick_ = nullptr;
      break;
    case QEvent::MouseButtonPress: {
      const bool entering = watched == enteredByClick_;
      enteredByClick_ = nullptr;
      const auto* field = qobject_cast<QLineEdit*>(watched);
      // Swallowing the press leaves the cursor, and so the selection, alone.
      return entering && field != nullptr && field->hasSelectedText() &&
             static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace corvenna
