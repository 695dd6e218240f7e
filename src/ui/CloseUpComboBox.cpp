#include "ui/CloseUpComboBox.h"

#include <QAbstractItemView>
#include <QTimer>

namespace corvenna {

TCloseUpComboBox::TCloseUpComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  // Typed texts must never become items of the list.
  setInsertPolicy(QComboBox::NoInsert);
}

void TCloseUpComboBox::hidePopup() {
  const bool wasOpen = view() && view()->isVisible();
  QComboBox::hidePopup();
  // The list applies a click or Enter only after hiding itself; report the
  // close once that choice has landed.
  if (wasOpen) QTimer::singleShot(0, this, [this] { emit closedUp(); });
}

int TCloseUpComboBox::SelectedIndex() const { return findText(currentText(), Qt::MatchExactly); }

void TCloseUpComboBox::SelectItem(int index) {
  setCurrentIndex(index);
  setEditText(itemText(index));
}

}  // namespace corvenna
