#include "ui/ApplicationNames.h"

#include <QGuiApplication>

#include "buildinfo/BuildInfo.h"

namespace zentra {

void NameApplication() {
  QCoreApplication::setApplicationName("Quorvex Zentra");
  QCoreApplication::setApplicationVersion(kZentraVersion);
  // The menu entry and the icon the desktop shows for the running window.
  QGuiApplication::setDesktopFileName("com.quorvex.Zentra");
}

}  // namespace zentra
