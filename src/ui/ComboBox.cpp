#include "ui/ComboBox.h"

namespace corvenna {

void TComboBox::hidePopup() {
  QComboBox::hidePopup();
  emit closedUp();
}

}  // namespace corvenna
