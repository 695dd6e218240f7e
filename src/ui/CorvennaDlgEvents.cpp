// Binds the controls' events to the dialog's handlers. A failure inside a
// handler is shown in the platform's error box and goes no further, so no
// exception ever crosses Qt's event dispatch. Each handler is a call of its
// own for the settings store (platform/RegistryCall.h).
#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>

#include "platform/Messages.h"
#include "platform/RegistryCall.h"
#include "ui/ComboBox.h"
#include "ui/CorvennaDlg.h"
#include "ui/EntrySelectionKeeper.h"
#include "ui/RadioGroup.h"

namespace corvenna {
namespace {

template <typename Handler>
void Guarded(const char* handlerName, Handler&& handler) {
  // The dialog stays open for long: a settings store held during one action
  // is tried anew at the next.
  const TRegistryCallScope action;
  try {
    handler();
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  } catch (...) {
    ShowErrorBox(std::string(handlerName) + " failed");
  }
}

// The character a key press delivers to a key-press handler, as the platform
// does: Ctrl+letter gives its control code; keys that type nothing (arrows,
// Delete, Tab) give none.
bool TypedCharacter(const QKeyEvent& event, char16_t& key) {
  const int code = event.key();
  if (code == Qt::Key_Tab || code == Qt::Key_Backtab || code == Qt::Key_Delete) return false;
  if ((event.modifiers() & Qt::ControlModifier) && code >= Qt::Key_A && code <= Qt::Key_Z) {
    key = static_cast<char16_t>(code - Qt::Key_A + 1);
    return true;
  }
  if (code == Qt::Key_Backspace) {
    key = 8;
    return true;
  }
  if (code == Qt::Key_Return || code == Qt::Key_Enter) {
    key = 13;
    return true;
  }
  if (code == Qt::Key_Escape) {
    key = 27;
    return true;
  }
  const QString text = event.text();
  if (text.isEmpty()) return false;
  key = text.at(0).unicode();
  return true;
}

// Entering and leaving a field: the focus moving between controls, not the
// window losing activation or a context menu opening over the field.
bool FieldFocusChange(const QEvent& event, QEvent::Type type) {
  if (event.type() != type) return false;
  const Qt::FocusReason reason = static_cast<const QFocusEvent&>(event).reason();
  return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

}  // namespace

void TdlgCorvenna::ConnectHandlers() {
  connect(btnSend, &QPushButton::clicked, this, [this] { Guarded("btnSendClick", [this] { btnSendClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(btnFromDate, &QToolButton::clicked, this,
          [this] { Guarded("btnFromDateClick", [this] { btnFromDateClick(); }); });
  connect(btnToDate, &QToolButton::clicked, this, [this] { Guarded("btnToDateClick", [this] { btnToDateClick(); }); });
  connect(btnSelectXml, &QPushButton::clicked, this,
          [this] { Guarded("btnSelectXmlClick", [this] { btnSelectXmlClick(); }); });
  connect(rgAction, &TRadioGroup::itemChosen, this, [this] { Guarded("rgActionClick", [this] { rgActionClick(); }); });
  connect(PageControl, &QTabWidget::currentChanged, this,
          [this] { Guarded("PageControlChange", [this] { PageControlChange(); }); });
  connect(cbNumberDays, &TComboBox::closedUp, this,
          [this] { Guarded("cbNumberDaysCloseUp", [this] { cbNumberDaysCloseUp(); }); });
  connect(pmuCopy, &QAction::triggered, this, [this] { Guarded("pmuCopyClick", [this] { pmuCopyClick(); }); });
  connect(pmuSelectAll, &QAction::triggered, this,
          [this] { Guarded("pmuSelectAllClick", [this] { pmuSelectAllClick(); }); });
  connect(Memo1, &QPlainTextEdit::customContextMenuRequested, this,
          [this](const QPoint& at) { PopupMenu1->popup(Memo1->mapToGlobal(at)); });
  siLang1_.SetOnChangeLanguage([this] { Guarded("siLang1ChangeLanguage", [this] { siLang1ChangeLanguage(); }); });

  // Entered by a click too, a rate field keeps the whole amount selected.
  auto* rateSelection = new TEntrySelectionKeeper(this);
  for (const TRoomTypeRow& row : rows_) {
    row.edtRate->installEventFilter(this);
    row.edtStop->installEventFilter(this);
    rateSelection->Watch(row.edtRate);
  }
  edtMaxAllocation->installEventFilter(this);
}

bool TdlgCorvenna::eventFilter(QObject* watched, QEvent* event) {
  const bool isRate = watched->objectName().startsWith(QLatin1String("edtRate"));
  if (event->type() == QEvent::KeyPress) {
    char16_t key = 0;
    if (!TypedCharacter(*static_cast<QKeyEvent*>(event), key)) return QDialog::eventFilter(watched, event);
    if (isRate) {
      Guarded("edtRate1KeyPress", [&] { edtRate1KeyPress(watched, key); });
    } else if (watched == edtMaxAllocation) {
      Guarded("edtMaxAllocationKeyPress", [&] { edtMaxAllocationKeyPress(watched, key); });
    } else {
      Guarded("edtStop1KeyPress", [&] { edtStop1KeyPress(watched, key); });
    }
    return key == 0;
  }
  if (isRate && FieldFocusChange(*event, QEvent::FocusIn)) Guarded("edtRate1Enter", [&] { edtRate1Enter(watched); });
  if (isRate && FieldFocusChange(*event, QEvent::FocusOut)) Guarded("edtRate1Exit", [&] { edtRate1Exit(watched); });
  return QDialog::eventFilter(watched, event);
}

}  // namespace corvenna
