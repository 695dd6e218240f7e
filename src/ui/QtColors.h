#pragma once
// Platform colour values as Qt colours.
#include <QColor>

#include "platform/Colors.h"

namespace corvenna {

// System colours resolved to their fixed values first.
inline QColor ToQColor(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

}  // namespace corvenna
