#include "ui/ComboBox.h"

#include <QAbstractItemView>
#include <QTimer>

namespace corvenna {

void TComboBox::hidePopup() {
  const bool wasOpen = view() != nullptr && view()->isVisible();
  QComboBox::hidePopup();
  // The list applies a click or Enter only after hiding itself; report the
  // close once that choice has landed.
  if (wasOpen) QTimer::singleShot(0, this, [this] { emit closedUp(); });
}

}  // namespace corvenna
