// Support for tests of the Qt window: one QApplication for the whole test
// program on the offscreen platform, so no display is needed.
#pragma once

#include <QApplication>
#include <QTimer>

namespace qttest {

// The test program's QApplication, created on first use with
// QT_QPA_PLATFORM=offscreen and the window's font substitutions.
QApplication& App();

// Runs `action` once the event loop runs again, e.g. inside the loop of a
// modal dialog that the code under test is about to open.
template <typename Action>
void WhenModal(Action action) {
  QTimer::singleShot(0, &App(), action);
}

}  // namespace qttest
