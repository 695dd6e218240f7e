#include "ui/ComboBox.h"

#include <QAbstractItemView>
#include <QStyle>
#include <QTimer>

namespace corvenna {

void TComboBox::showPopup() {
  if (listFitsItems_) view()->setMinimumWidth(ListWidthForItems());
  QComboBox::showPopup();
}

void TComboBox::hidePopup() {
  const bool wasOpen = view() != nullptr && view()->isVisible();
  QComboBox::hidePopup();
  // The list applies a click or Enter only after hiding itself; report the
  // close once that choice has landed.
  if (wasOpen) QTimer::singleShot(0, this, [this] { emit closedUp(); });
}

// The widest item as the list draws it, the list's frame, and its scroll bar
// where not all items show at once.
int TComboBox::ListWidthForItems() const {
  const QAbstractItemView* list = view();
  const int scrollBar =
      count() > maxVisibleItems() ? list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list) : 0;
  return list->sizeHintForColumn(modelColumn()) + 2 * list->frameWidth() + scrollBar;
}

}  // namespace corvenna
