#include "ui/HelpLocation.h"

#include <QDir>
#include <QFileInfo>

#include "buildinfo/BuildInfo.h"

namespace zentra {

QStringList HelpFolders(const QString& programDir) {
  const QDir dir(programDir);
  return {dir.filePath("help"), QDir::cleanPath(dir.filePath(kInstalledHelpRelative))};
}

QString FindHelpFile(const QStringList& folders) {
  for (const QString& folder : folders) {
    const QString path = QDir(folder).filePath("Index.mht");
    if (QFileInfo(path).isFile()) return path;
  }
  return {};
}

}  // namespace zentra
