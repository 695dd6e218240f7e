#pragma once
// The close-up list with an editable text part, whose selected item is the one
// whose text the edit part shows.
#include "ui/ComboBox.h"

namespace corvenna {

class TCloseUpComboBox : public TComboBox {
  Q_OBJECT

 public:
  explicit TCloseUpComboBox(QWidget* parent = nullptr);

  // The item whose text equals the edit text, or -1 when the user typed
  // something that is no item.
  int SelectedIndex() const;
  // Selects the item and shows its text, also when it was the current one.
  void SelectItem(int index);
};

}  // namespace corvenna
