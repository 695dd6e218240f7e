#pragma once
// A drop-down list that tells when its list closes, whether or not the choice
// changed, once a choice made in the list (by click or Enter) has been applied.
#include <QComboBox>

namespace corvenna {

class TComboBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;

  // The open list is made at least as wide as its widest item, however narrow
  // the box; some styles cut the items at the box's width.
  void SetListFitsItems(bool fits) { listFitsItems_ = fits; }

  void showPopup() override;
  void hidePopup() override;

 signals:
  void closedUp();

 private:
  int ListWidthForItems() const;

  bool listFitsItems_ = false;
};

}  // namespace corvenna
