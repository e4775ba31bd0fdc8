#include "app/qt/save_dialog.h"

#include <QDir>
#include <QStringList>

#include "app/main_form.h"

namespace app::qt {

namespace {

QString ToQString(const syscode::Text& text) { return QString::fromStdU16String(text); }

}  // namespace

QString QtNameFilter(const syscode::Text& filter) {
  const QStringList parts = ToQString(filter).split(u'|');
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    filters.append(parts[i] + QStringLiteral(" (") + parts[i + 1] + u')');
  }
  return filters.join(QStringLiteral(";;"));
}

std::unique_ptr<QFileDialog> CreateSaveDialog(QWidget* parent, const QString& file_name) {
  auto dialog = std::make_unique<QFileDialog>(parent, ToQString(kSaveDialogTitle));
  dialog->setAcceptMode(QFileDialog::AcceptSave);
  dialog->setFileMode(QFileDialog::AnyFile);
  dialog->setNameFilter(QtNameFilter(kSaveDialogFilter));
  // Qt drops the leading "." itself.
  dialog->setDefaultSuffix(ToQString(kSaveDialogDefaultExt));
  // Qt asks before replacing a file unless DontConfirmOverwrite is set.
  dialog->setOption(QFileDialog::DontConfirmOverwrite, false);
  dialog->selectFile(file_name);
  return dialog;
}

std::optional<QString> RunSaveDialog(QWidget* parent, const QString& file_name) {
  std::unique_ptr<QFileDialog> dialog = CreateSaveDialog(parent, file_name);
  if (dialog->exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog->selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen.first());
}

}  // namespace app::qt
