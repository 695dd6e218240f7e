#pragma once
// A group box of radio buttons addressed by item index; choosing an item, by
// the user or by code, emits itemChosen.
#include <QGroupBox>
#include <QPointer>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

namespace corvenna {

class TRadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit TRadioGroup(const QString& caption, QWidget* parent = nullptr);

  void ClearItems();
  void AddItem(const QString& text);
  int ItemCount() const;
  QString Item(int index) const;
  // -1 when no item is chosen.
  int ItemIndex() const { return itemIndex_; }
  // Checks the item and emits itemChosen when the index changes; an index
  // outside the items chooses none.
  void SetItemIndex(int index);
  // The items follow predecessor in the tab order, also those added later;
  // Qt would put an item made after the form's tab order at the chain's end.
  void SetTabPredecessor(QWidget* predecessor);

 signals:
  void itemChosen();

 private:
  void CheckOnly(int index);
  void PlaceInTabOrder(int index);

  QButtonGroup* buttons_;
  QVBoxLayout* layout_;
  int itemIndex_ = -1;
  QPointer<QWidget> tabPredecessor_;
};

}  // namespace corvenna
