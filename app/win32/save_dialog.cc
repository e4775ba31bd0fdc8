#include "app/win32/save_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "app/main_form.h"
#include "base/errors.h"

namespace app::win32 {

namespace {

const wchar_t* Wide(const syscode::Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The working directory follows a confirmed choice to the file's folder.
// Windows' dialog does so itself when not told to keep the directory, but
// not for every way of choosing (a full path typed into the name field
// leaves it where it was under some versions), so it is made certain here.
void MoveWorkingDirectoryTo(const syscode::Text& path) {
  const size_t slash = path.find_last_of(u"\\/");
  if (slash == syscode::Text::npos) return;
  // "C:\file.txt" lives in the drive's root "C:\", not in "C:".
  const size_t length = (slash == 2 && path[1] == u':') ? slash + 1 : slash;
  SetCurrentDirectoryW(Wide(path.substr(0, length)));
}

}  // namespace

syscode::Text DialogFilter(const syscode::Text& filter) {
  syscode::Text result = filter;
  for (char16_t& ch : result) {
    if (ch == u'|') ch = u'\0';
  }
  result.push_back(u'\0');
  result.push_back(u'\0');
  return result;
}

bool ExecuteSaveDialog(HWND owner, const syscode::Text& file_name, syscode::Text* chosen_path) {
  // The file name buffer holds at most 259 characters and the terminator.
  std::vector<wchar_t> buffer(kMaxPathLength + 1, L'\0');
  const size_t offered = std::min(file_name.size(), kMaxPathLength);
  for (size_t i = 0; i < offered; ++i) buffer[i] = static_cast<wchar_t>(file_name[i]);

  const syscode::Text filter = DialogFilter(kSaveDialogFilter);
  // The dialog takes the default extension without its leading ".".
  syscode::Text extension = kSaveDialogDefaultExt;
  if (!extension.empty() && extension.front() == u'.') extension.erase(0, 1);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = Wide(filter);
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = reinterpret_cast<const wchar_t*>(kSaveDialogTitle);
  ofn.lpstrDefExt = Wide(extension);
  // Deliberately without OFN_NOCHANGEDIR: a confirmed choice moves the
  // working directory, and with it the diagnostic log, to that folder.
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER;

  if (GetSaveFileNameW(&ofn)) {
    chosen_path->assign(reinterpret_cast<const char16_t*>(buffer.data()));
    MoveWorkingDirectoryTo(*chosen_path);
    return true;
  }
  const DWORD failure = CommDlgExtendedError();
  if (failure == 0) return false;  // cancelled
  if (failure == FNERR_BUFFERTOOSMALL) {
    throw syscode::Exception(u"The file name is longer than 259 characters");
  }
  throw syscode::Exception(u"The save dialog failed (error " + syscode::DecimalText(static_cast<long long>(failure)) +
                           u")");
}

}  // namespace app::win32
