// Substitutes for the form's fonts (app/form_layout.h). The window asks for
// "Tahoma" and the code field for "Arial", as on Windows; where those are
// missing (most Linux desktops) Qt takes the substitutes installed here.
#pragma once

namespace app::qt {

// Substitutes, first choice first:
//   Tahoma -> "DejaVu Sans" (fonts-dejavu-core: has the Persian letters),
//             "Noto Sans Arabic", "Noto Sans"
//   Arial  -> "Liberation Sans" (fonts-liberation / fonts-liberation2: the
//             metrics of Arial), "Arimo", "DejaVu Sans"
// A real Tahoma or Arial, when installed, is still preferred.
void InstallFontSubstitutions();

}  // namespace app::qt
