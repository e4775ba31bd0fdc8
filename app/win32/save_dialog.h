// SaveDialog1: the platform's save-file dialog with the window's fixed
// settings.
#pragma once

#include <windows.h>

#include "base/text.h"

namespace app::win32 {

// Shows the dialog modal over `owner`, offering `file_name`. Returns true
// with the full chosen path in *chosen_path when the user confirms, false
// when the user cancels. Throws syscode::Exception when the dialog itself
// fails (for instance a chosen path longer than the 259-character file name).
bool ExecuteSaveDialog(HWND owner, const syscode::Text& file_name, syscode::Text* chosen_path);

// "Label|pattern" as the dialog wants it: "Label\0pattern\0\0".
syscode::Text DialogFilter(const syscode::Text& filter);

}  // namespace app::win32
