// Support for tests of the Qt window: one QApplication for the whole test
// program on the offscreen platform, so no display is needed.
#pragma once

#include <QApplication>
#include <QRect>
#include <QTimer>

namespace qttest {

// The screens of the offscreen platform in these tests, side by side.
inline const QRect kPrimaryScreen(0, 0, 1280, 800);
inline const QRect kSecondScreen(1280, 0, 1024, 768);

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
