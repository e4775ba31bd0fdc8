// The save-file dialog of the save button, with its fixed settings: title
// "Save System Hardware Properties", the one file type "Text Files (*.txt)",
// default suffix "txt", confirmation before replacing a file, resizable.
#pragma once

#include <memory>
#include <optional>

#include <QFileDialog>
#include <QString>

#include "base/text.h"

namespace app {

// The Windows filter text "Label|pattern" as the Qt name filter
// "Label (pattern)"; more pairs ("A|*.a|B|*.b") give one filter per pair,
// separated by ";;".
QString QtNameFilter(const syscode::Text& filter);

// A dialog with the fixed settings, offering `file_name` (a bare name, or
// the full path of the last confirmed choice, which also selects its folder).
std::unique_ptr<QFileDialog> CreateSaveDialog(QWidget* parent, const QString& file_name);

// Runs that dialog modally over `parent`. Returns the full path the user
// confirmed (default suffix applied by the dialog), or nullopt on cancel.
std::optional<QString> RunSaveDialog(QWidget* parent, const QString& file_name);

}  // namespace app
