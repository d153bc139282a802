#pragma once
// Colours as the layouts store them (0x00BBGGRR) and the fixed system
// colours the painted controls use.

#include <QColor>
#include <cstdint>

using TColorValue = std::uint32_t;

namespace controls {

inline QColor toQColor(TColorValue c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}
inline TColorValue fromQColor(const QColor& c)
{
    return static_cast<TColorValue>(c.red()) | (static_cast<TColorValue>(c.green()) << 8)
        | (static_cast<TColorValue>(c.blue()) << 16);
}

inline constexpr TColorValue clBlack = 0x000000;
inline constexpr TColorValue clWhite = 0xFFFFFF;
inline constexpr TColorValue clRed = 0x0000FF;
inline constexpr TColorValue clBlue = 0xFF0000;
inline constexpr TColorValue clNavy = 0x800000;
inline constexpr TColorValue clPurple = 0x800080;
inline constexpr TColorValue clGray = 0x808080;
inline constexpr TColorValue clSilver = 0xC0C0C0;
// System colours, fixed to the classic desktop scheme.
inline constexpr TColorValue clBtnFace = 0xF0F0F0;
inline constexpr TColorValue clWindowText = 0x000000;
inline constexpr TColorValue clGrayText = 0x6D6D6D;
inline constexpr TColorValue clBtnShadow = 0xA0A0A0;
inline constexpr TColorValue clBtnHighlight = 0xFFFFFF;
inline constexpr TColorValue cl3DLight = 0xE3E3E3;
inline constexpr TColorValue cl3DDkShadow = 0x696969;

} // namespace controls
