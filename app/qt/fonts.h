// The window's fonts. The window asks for "Tahoma" and the code field for
// "Arial", as on Windows; where those are missing (most Linux desktops) Qt
// takes the substitutes installed here.
#pragma once

namespace app {

inline constexpr char kWindowFontFamily[] = "Tahoma";
inline constexpr int kWindowFontPixels = 11;  // 8 points at 96 dpi
inline constexpr char kCodeFontFamily[] = "Arial";
inline constexpr int kCodeFontPixels = 19;  // 14 points at 96 dpi

// Substitutes, first choice first:
//   Tahoma -> "DejaVu Sans" (fonts-dejavu-core: has the Persian letters),
//             "Noto Sans Arabic", "Noto Sans"
//   Arial  -> "Liberation Sans" (fonts-liberation / fonts-liberation2: the
//             metrics of Arial), "Arimo", "DejaVu Sans"
// A real Tahoma or Arial, when installed, is still preferred.
void InstallFontSubstitutions();

}  // namespace app
