// 32-bit colours: 0xAARRGGBB, not premultiplied. Alpha is data (the feature
// map keeps directions in it), so nothing here touches it unless told to.
#pragma once

#include <cstdint>

using TColor32 = uint32_t;

constexpr TColor32 clBlack32 = 0xFF000000u;
constexpr TColor32 clWhite32 = 0xFFFFFFFFu;
constexpr TColor32 clGray32 = 0xFF7F7F7Fu;
constexpr TColor32 clRed32 = 0xFFFF0000u;
constexpr TColor32 clGreen32 = 0xFF00FF00u;
constexpr TColor32 clBlue32 = 0xFF0000FFu;
constexpr TColor32 clTransparent32 = 0x00000000u;

constexpr TColor32 Color32(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    return (static_cast<TColor32>(a) << 24) | (static_cast<TColor32>(r) << 16) |
           (static_cast<TColor32>(g) << 8) | b;
}

constexpr uint8_t AlphaComponent(TColor32 c) { return static_cast<uint8_t>(c >> 24); }
constexpr uint8_t RedComponent(TColor32 c) { return static_cast<uint8_t>(c >> 16); }
constexpr uint8_t GreenComponent(TColor32 c) { return static_cast<uint8_t>(c >> 8); }
constexpr uint8_t BlueComponent(TColor32 c) { return static_cast<uint8_t>(c); }

constexpr TColor32 SetAlpha(TColor32 c, uint8_t a) { return (c & 0x00FFFFFFu) | (static_cast<TColor32>(a) << 24); }

// Round(a * b / 255) without floating point; a * b / 255 never ends in .5.
constexpr uint8_t MulDiv255(unsigned a, unsigned b) { return static_cast<uint8_t>((a * b * 2 + 255) / 510); }

// Blends F over B by F's alpha scaled by MasterAlpha; each colour channel is
// Round(a * f / 255) + Round((255 - a) * b / 255). The result keeps B's alpha.
constexpr TColor32 BlendColor(TColor32 f, TColor32 b, uint8_t masterAlpha = 255)
{
    const unsigned a = MulDiv255(AlphaComponent(f), masterAlpha);
    if (a == 0) return b;
    if (a == 255) return (f & 0x00FFFFFFu) | (b & 0xFF000000u);
    const unsigned na = 255 - a;
    const unsigned r = MulDiv255(a, RedComponent(f)) + MulDiv255(na, RedComponent(b));
    const unsigned g = MulDiv255(a, GreenComponent(f)) + MulDiv255(na, GreenComponent(b));
    const unsigned bl = MulDiv255(a, BlueComponent(f)) + MulDiv255(na, BlueComponent(b));
    return (b & 0xFF000000u) | (r << 16) | (g << 8) | bl;
}
