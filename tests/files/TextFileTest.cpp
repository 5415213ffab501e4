// The whole-file read and the safe write on this system's file API: names in UTF-8 (wide
// on Windows), replacement of an existing file, and failures that leave nothing behind.
#include <gtest/gtest.h>

#include "files/TextFile.h"
#include "support/TempDir.h"

using namespace zentra;
using testsupport::TempDir;

TEST(TextFile, WritesReplacesAndReadsBackUnderAnyName) {
  TempDir dir;
  ASSERT_TRUE(dir.isValid());
  std::string error;
  // Non-ASCII names reach the file system as the user typed them.
  for (const std::string name : {"plain.qdf", "B\xC3\xBChne \xE2\x80\x93 Saal 2.qcf"}) {
    const std::string path = dir.path() + "/" + name;
    ASSERT_TRUE(WriteWholeFile(path, "first\r\n", error)) << error;
    ASSERT_TRUE(WriteWholeFile(path, std::string("second\0\r\n", 9), error)) << error;
    std::string bytes;
    EXPECT_EQ(ReadWholeFile(path, 1024, bytes, error), TextFileStatus::Ok) << error;
    EXPECT_EQ(bytes, std::string("second\0\r\n", 9));
    EXPECT_TRUE(ReadFileStart(path, 3, bytes));
    EXPECT_EQ(bytes, "sec");
  }
  // Only the two targets: every temporary file was renamed into place.
  EXPECT_EQ(dir.FileNames().size(), 2u);
}

TEST(TextFile, FailuresAreNamedAndLeaveNothingBehind) {
  TempDir dir;
  std::string error;
  const std::string missingFolder = dir.filePath("absent") + "/t.qdf";
  EXPECT_FALSE(WriteWholeFile(missingFolder, "x", error));
  EXPECT_EQ(error, "File not writable: " + missingFolder);
  EXPECT_FALSE(WriteWholeFile("", "x", error));
  EXPECT_EQ(error, "File not writable: (no name)");

  std::string bytes;
  EXPECT_EQ(ReadWholeFile(missingFolder, 10, bytes, error), TextFileStatus::NotFound);
  EXPECT_EQ(ReadWholeFile(dir.path(), 10, bytes, error), TextFileStatus::Unreadable);
  EXPECT_FALSE(ReadFileStart(dir.path(), 10, bytes));
  ASSERT_TRUE(WriteWholeFile(dir.filePath("big"), std::string(11, 'a'), error));
  EXPECT_EQ(ReadWholeFile(dir.filePath("big"), 10, bytes, error), TextFileStatus::TooLarge);
  EXPECT_TRUE(bytes.empty());
  EXPECT_EQ(dir.FileNames(), std::vector<std::string>{"big"});
}
