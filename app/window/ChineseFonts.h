#pragma once
// The window asks for "宋体" (SimSun). Where that face is not installed, as on most Linux desktops, both of its
// names are mapped to an installed Simplified Chinese face. Call after the application object exists and before
// the window is made.

#include <QString>

void installChineseFontSubstitutes();

// The window's font: "宋体", 12 pixels high, regular.
inline constexpr char16_t kWindowFontFamily[] = u"宋体";
inline constexpr int kWindowFontPixels = 12;
