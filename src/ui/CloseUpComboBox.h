#pragma once
// A combo box with an editable text part that reports when its list closes,
// after the choice made in the list (if any) has been applied, and whose
// selected item is the one whose text the edit part shows.
#include <QComboBox>

namespace corvenna {

class TCloseUpComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TCloseUpComboBox(QWidget* parent = nullptr);

  void hidePopup() override;

  // The item whose text equals the edit text, or -1 when the user typed
  // something that is no item.
  int SelectedIndex() const;
  // Selects the item and shows its text, also when it was the current one.
  void SelectItem(int index);

 signals:
  void closedUp();
};

}  // namespace corvenna
