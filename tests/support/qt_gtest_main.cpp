// Test entry point shared by every layer's test program. A QCoreApplication must exist
// before any link wait runs a local event loop; the window tests need a QApplication
// (offscreen platform) instead.
#ifdef ZENTRA_GUI_TEST_MAIN
#include <QApplication>
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
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
