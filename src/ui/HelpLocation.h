// Where Help → Index finds the user guide "Index.mht": in the folder "help" beside the
// program first (a build folder or a copy carried around), then in the folder an
// installation keeps it in.
#pragma once

#include <QString>
#include <QStringList>

namespace zentra {

// The folders looked in, in order, for a program in programDir.
QStringList HelpFolders(const QString& programDir);

// Path of "Index.mht" in the first folder that holds it; empty when none does.
QString FindHelpFile(const QStringList& folders);

}  // namespace zentra
