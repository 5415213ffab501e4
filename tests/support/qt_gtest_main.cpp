// Test entry point of the test programs that use Qt: those that start whole programs
// (QProcess needs a QCoreApplication) and the window tests, which need a QApplication
// (offscreen platform) and the window's part in the link waits.
#ifdef ZENTRA_GUI_TEST_MAIN
#include <QApplication>
#include "ui/WindowWaitHook.h"
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif
#include <gtest/gtest.h>

int main(int argc, char** argv) {
#ifdef ZENTRA_GUI_TEST_MAIN
  // Window tests always run on the offscreen platform, also when the test list is
  // gathered at build time (no display there) and when a display happens to be set.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
  TestApplication app(argc, argv);
#ifdef ZENTRA_GUI_TEST_MAIN
  zentra::InstallWindowWaitHook();
#endif
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
