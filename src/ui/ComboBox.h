#pragma once
// A drop-down list that tells when its list closes, whether or not the choice
// changed, once a choice made in the list (by click or Enter) has been applied.
#include <QComboBox>

namespace corvenna {

class TComboBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;

  void hidePopup() override;

 signals:
  void closedUp();
};

}  // namespace corvenna
