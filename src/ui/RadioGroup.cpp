#include "ui/RadioGroup.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>
#include <memory>

namespace corvenna {

TRadioGroup::TRadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
  buttons_->setExclusive(false);
  connect(buttons_, &QButtonGroup::idClicked, this, [this](int id) {
    CheckOnly(id);
    if (id == itemIndex_) return;
    itemIndex_ = id;
    emit itemChosen();
  });
}

void TRadioGroup::ClearItems() {
  for (QAbstractButton* button : buttons_->buttons()) {
    buttons_->removeButton(button);
    const std::unique_ptr<QAbstractButton> removed(button);
  }
  itemIndex_ = -1;
}

void TRadioGroup::AddItem(const QString& text) {
  auto* button = new QRadioButton(text, this);
  button->setObjectName(QStringLiteral("%1Item%2").arg(objectName()).arg(ItemCount()));
  buttons_->addButton(button, ItemCount());
  layout_->addWidget(button);
  PlaceInTabOrder(ItemCount() - 1);
}

int TRadioGroup::ItemCount() const { return static_cast<int>(buttons_->buttons().size()); }

QString TRadioGroup::Item(int index) const {
  QAbstractButton* button = buttons_->button(index);
  return button != nullptr ? button->text() : QString();
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= ItemCount()) index = -1;
  CheckOnly(index);
  if (index == itemIndex_) return;
  itemIndex_ = index;
  emit itemChosen();
}

void TRadioGroup::SetTabPredecessor(QWidget* predecessor) {
  tabPredecessor_ = predecessor;
  for (int index = 0; index < ItemCount(); ++index) PlaceInTabOrder(index);
}

void TRadioGroup::PlaceInTabOrder(int index) {
  QWidget* previous = index == 0 ? tabPredecessor_.data() : buttons_->button(index - 1);
  if (previous != nullptr) QWidget::setTabOrder(previous, buttons_->button(index));
}

void TRadioGroup::CheckOnly(int index) {
  for (QAbstractButton* button : buttons_->buttons()) button->setChecked(buttons_->id(button) == index);
}

}  // namespace corvenna
