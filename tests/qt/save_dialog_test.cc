// The save dialog's fixed settings, and the real dialog driven by a script.
#include "app/qt/save_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>

#include "qt/qt_test_support.h"

namespace {

TEST(QtNameFilter, TurnsLabelBarPatternPairsIntoQtFilters) {
  struct Case {
    const char16_t* windows;
    const char* qt;
  };
  const Case cases[] = {
      {u"Text Files|*.txt", "Text Files (*.txt)"},
      {u"Text Files|*.txt|All Files|*.*", "Text Files (*.txt);;All Files (*.*)"},
      {u"Text Files|*.txt;*.log", "Text Files (*.txt;*.log)"},
      {u"", ""},
      {u"Label without pattern", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::qt::QtNameFilter(c.windows), QString::fromLatin1(c.qt))
        << QString::fromStdU16String(c.windows).toStdString();
  }
}

TEST(SaveDialog, HasTheFixedSettings) {
  qttest::App();
  const auto dialog = app::qt::CreateSaveDialog(nullptr, QStringLiteral("HardwareInfo.txt"));
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save System Hardware Properties"));
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("Text Files (*.txt)")});
  EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("Text Files (*.txt)"));
  EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("txt"));
  EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
  EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly));
  EXPECT_NE(dialog->minimumSize(), dialog->maximumSize());
}

TEST(SaveDialog, OffersARememberedPathInItsFolder) {
  qttest::App();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("codes.txt"));
  const auto dialog = app::qt::CreateSaveDialog(nullptr, path);
  EXPECT_EQ(QDir(dialog->directory()).canonicalPath(), QDir(folder.path()).canonicalPath());
  ASSERT_EQ(dialog->selectedFiles().size(), 1);
  EXPECT_EQ(QFileInfo(dialog->selectedFiles().first()).fileName(), QStringLiteral("codes.txt"));
}

// Drives the real dialog: the script types a name and confirms, or cancels.
TEST(SaveDialog, ReturnsTheConfirmedPathWithTheDefaultSuffixOrNothing) {
  qttest::App();
  QTemporaryDir folder;
  const QString typed = folder.filePath(QStringLiteral("report"));
  qttest::WhenModal([&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(typed);
    static_cast<QDialog*>(dialog)->accept();  // public in QDialog
  });
  EXPECT_EQ(app::qt::RunSaveDialog(nullptr, QStringLiteral("HardwareInfo.txt")), typed + ".txt");

  qttest::WhenModal([&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->reject();
  });
  EXPECT_EQ(app::qt::RunSaveDialog(nullptr, QStringLiteral("HardwareInfo.txt")), std::nullopt);
}

TEST(SaveDialog, AsksBeforeReplacingAnExistingFile) {
  qttest::App();
  QTemporaryDir folder;
  const QString existing = folder.filePath(QStringLiteral("HardwareInfo.txt"));
  QFile file(existing);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  bool asked = false;
  qttest::WhenModal([&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    // The question opens inside accept(); answer it from its own loop.
    qttest::WhenModal([&] {
      auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(question, nullptr);
      asked = true;
      question->button(QMessageBox::Yes)->click();
    });
    static_cast<QDialog*>(dialog)->accept();  // public in QDialog
  });
  EXPECT_EQ(app::qt::RunSaveDialog(nullptr, existing), existing);
  EXPECT_TRUE(asked);
}

}  // namespace
