#include "platform/Colors.h"

#include <array>
#include <string_view>

#include "platform/Text.h"

namespace corvenna {
namespace {

struct ColorName {
  TColor color;
  std::string_view name;
};

constexpr std::array<ColorName, 52> ColorNames{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

// The system colours' values on a machine with the default theme, by index.
constexpr std::array<TColor, 31> SystemColorValues{
    RgbColor(0xC8, 0xC8, 0xC8),  // scroll bar
    RgbColor(0x00, 0x00, 0x00),  // background
    RgbColor(0x99, 0xB4, 0xD1),  // active caption
    RgbColor(0xBF, 0xCD, 0xDB),  // inactive caption
    RgbColor(0xF0, 0xF0, 0xF0),  // menu
    RgbColor(0xFF, 0xFF, 0xFF),  // window
    RgbColor(0x64, 0x64, 0x64),  // window frame
    RgbColor(0x00, 0x00, 0x00),  // menu text
    RgbColor(0x00, 0x00, 0x00),  // window text
    RgbColor(0x00, 0x00, 0x00),  // caption text
    RgbColor(0xB4, 0xB4, 0xB4),  // active border
    RgbColor(0xF4, 0xF7, 0xFC),  // inactive border
    RgbColor(0xAB, 0xAB, 0xAB),  // application work space
    RgbColor(0x00, 0x78, 0xD7),  // highlight
    RgbColor(0xFF, 0xFF, 0xFF),  // highlight text
    RgbColor(0xF0, 0xF0, 0xF0),  // button face
    RgbColor(0xA0, 0xA0, 0xA0),  // button shadow
    RgbColor(0x6D, 0x6D, 0x6D),  // grey text
    RgbColor(0x00, 0x00, 0x00),  // button text
    RgbColor(0x00, 0x00, 0x00),  // inactive caption text
    RgbColor(0xFF, 0xFF, 0xFF),  // button highlight
    RgbColor(0x69, 0x69, 0x69),  // 3-D dark shadow
    RgbColor(0xE3, 0xE3, 0xE3),  // 3-D light
    RgbColor(0x00, 0x00, 0x00),  // info text
    RgbColor(0xFF, 0xFF, 0xE1),  // info background
    RgbColor(0xB5, 0xB5, 0xB5),  // (unused index 25)
    RgbColor(0x00, 0x66, 0xCC),  // hot light
    RgbColor(0xB9, 0xD1, 0xEA),  // gradient active caption
    RgbColor(0xD7, 0xE4, 0xF2),  // gradient inactive caption
    RgbColor(0x33, 0x99, 0xFF),  // menu highlight
    RgbColor(0xF0, 0xF0, 0xF0),  // menu bar
};

}  // namespace

TColor StringToColor(const std::string& text) {
  for (const auto& entry : ColorNames)
    if (SameTextAscii(entry.name, text)) return entry.color;
  return StrToInt(text);
}

std::optional<std::string> ColorToName(TColor color) {
  for (const auto& entry : ColorNames)
    if (entry.color == color) return std::string(entry.name);
  return std::nullopt;
}

TColor ColorToRGB(TColor color) {
  const auto bits = static_cast<uint32_t>(color);
  if ((bits & 0xFF000000u) == 0xFF000000u) {
    const uint32_t index = bits & 0xFFu;
    return index < SystemColorValues.size() ? SystemColorValues[index] : clBlack;
  }
  return color;
}

}  // namespace corvenna
