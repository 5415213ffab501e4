// Help → Index looks for the user guide beside the program first, then where an
// installation keeps it, relative to the program, so an unpacked package finds it too.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "buildinfo/BuildInfo.h"
#include "ui/HelpLocation.h"

namespace zentra {
namespace {

void WriteGuide(const QString& folder) {
  ASSERT_TRUE(QDir().mkpath(folder));
  QFile f(QDir(folder).filePath("Index.mht"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("MIME-Version: 1.0\r\n");
}

TEST(HelpLocationTest, BesideTheProgramFirstThenTheInstalledFolder) {
  QTemporaryDir root;
  const QString bin = root.filePath("usr/bin");
  ASSERT_TRUE(QDir().mkpath(bin));
  const QString installed = QDir::cleanPath(QDir(bin).filePath(kInstalledHelpRelative));
  ASSERT_TRUE(installed.startsWith(root.path()));

  EXPECT_TRUE(FindHelpFile(HelpFolders(bin)).isEmpty());
  WriteGuide(installed);
  EXPECT_EQ(FindHelpFile(HelpFolders(bin)), QDir(installed).filePath("Index.mht"));
  WriteGuide(bin + "/help");
  EXPECT_EQ(FindHelpFile(HelpFolders(bin)), bin + "/help/Index.mht");
  // A folder named Index.mht is no guide.
  QTemporaryDir other;
  ASSERT_TRUE(QDir().mkpath(other.filePath("help/Index.mht")));
  EXPECT_EQ(FindHelpFile({other.filePath("help"), bin + "/help"}), bin + "/help/Index.mht");
  EXPECT_TRUE(FindHelpFile({other.filePath("help")}).isEmpty());
}

}  // namespace
}  // namespace zentra
