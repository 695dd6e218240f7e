#include "data/OtaGfgIni.h"
#include "platform/Guid.h"

namespace corvenna {

std::string NewGuidString() { return NewGuidText(); }

bool IsLightColor(TColor color) {
  const auto rgb = static_cast<uint32_t>(ColorToRGB(color));
  const uint32_t red = rgb & 0xFFu, green = (rgb >> 8) & 0xFFu, blue = (rgb >> 16) & 0xFFu;
  return (77 * red + 151 * green + 28 * blue) / 256 > 128;
}

}  // namespace corvenna
