#include "ui/CloseUpComboBox.h"

namespace corvenna {

TCloseUpComboBox::TCloseUpComboBox(QWidget* parent) : TComboBox(parent) {
  setEditable(true);
  // Typed texts must never become items of the list.
  setInsertPolicy(QComboBox::NoInsert);
}

int TCloseUpComboBox::SelectedIndex() const { return findText(currentText(), Qt::MatchExactly); }

void TCloseUpComboBox::SelectItem(int index) {
  setCurrentIndex(index);
  setEditText(itemText(index));
}

}  // namespace corvenna
