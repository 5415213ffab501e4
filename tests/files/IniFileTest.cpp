#include <gtest/gtest.h>

#include "support/TempDir.h"

#include <random>
#include <string>

#include "files/IniFile.h"

using namespace zentra;

namespace {

using testsupport::ReadAll;
using testsupport::TempDir;
using testsupport::WriteAll;

}  // namespace

TEST(IniFile, WritesWindowsStyleTextInFirstWrittenOrder) {
  IniFile ini;
  ini.WriteString("DATA", "ID", "ZQL21  \xE9\xFF");
  ini.WriteInteger("DATA", "Channels", 16);
  ini.WriteInteger("GROUP00", "CH00", 512125);
  ini.WriteString("CONFIG", "Limiter", "0");
  ini.WriteString("CONFIG", "MicMode", "2");
  ini.WriteString("config", "LIMITER", "1");  // again: keeps its first place
  ini.WriteString("data", "channels", "8");
  EXPECT_EQ(ini.ToText(),
            "[DATA]\r\nID=ZQL21  \xE9\xFF\r\nChannels=8\r\n\r\n"
            "[GROUP00]\r\nCH00=512125\r\n\r\n"
            "[CONFIG]\r\nLimiter=1\r\nMicMode=2\r\n");
}

TEST(IniFile, LineBreaksInValuesCannotStartNewLines) {
  IniFile ini;
  ini.WriteString("S", "NAME", "AB\r\n[X]\nk=v");
  EXPECT_EQ(ini.ToText(), "[S]\r\nNAME=AB  [X] k=v\r\n");
  IniFile back;
  ASSERT_EQ(back.LoadText(ini.ToText()), IniFile::Status::Ok);
  EXPECT_FALSE(back.SectionExists("X"));
}

TEST(IniFile, ReadsWhatWindowsAndHandEditorsWrite) {
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"crlf", "[Group01]\r\nch00=512125\r\nName=VOCALS\r\n"},
      {"lf", "[Group01]\nch00=512125\nName=VOCALS\n"},
      {"bom", "\xEF\xBB\xBF[Group01]\r\nch00=512125\r\nName=VOCALS"},
      {"blanks", "  [ Group01 ]  \r\n   ch00 =  512125  \r\n\tName\t=\tVOCALS \r\n"},
      {"comments", "; saved by hand\r\n[group01]\r\n;CH00=1\r\nCH00=512125\r\n\r\nNAME=VOCALS\r\n"},
      {"repeated key keeps first", "[GROUP01]\r\nCH00=512125\r\nNAME=VOCALS\r\nCH00=999\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    IniFile ini;
    ASSERT_EQ(ini.LoadText(c.text), IniFile::Status::Ok);
    EXPECT_TRUE(ini.SectionExists("GROUP01"));
    EXPECT_EQ(ini.ReadInteger("GROUP01", "CH00", -1), 512125);
    EXPECT_EQ(ini.ReadString("group01", "name", ""), "VOCALS");
    EXPECT_EQ(ini.ReadString("GROUP01", "CH01", "dflt"), "dflt");
    EXPECT_EQ(ini.ReadInteger("GROUP02", "CH00", -7), -7);
    EXPECT_FALSE(ini.KeyExists("GROUP01", "CH01"));
  }
}

TEST(IniFile, IntegerConversionFollowsWindowsRules) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"0", 0},        {"-128", -128},      {"+7", 7},           {"$1F", 31},
      {"0x10", 16},    {"  12", 12},        {"", -1},            {"-", -1},
      {"12a", -1},     {"512.125", -1},     {"1 2", -1},         {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},     {"2147483648", -1},  {"99999999999999999999", -1},
      {"0x", -1},      {"$", -1},           {"\xE9", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ToIntDef(c.text, -1), c.expected) << c.text;
}

TEST(IniFile, HostileTextNeverCrashes) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 50; ++round) {
    std::string junk(1 + rng() % 20000, '\0');
    for (char& c : junk) c = static_cast<char>(rng() % 256);
    IniFile ini;
    EXPECT_EQ(ini.LoadText(junk), IniFile::Status::Ok);
    for (const auto& s : ini.SectionNames()) {
      for (const auto& k : ini.KeyNames(s)) (void)ini.ReadInteger(s, k, 0);
    }
    IniFile again;
    EXPECT_EQ(again.LoadText(ini.ToText()), IniFile::Status::Ok);
  }
  // A NUL byte does not hide the rest of the file.
  IniFile nul;
  ASSERT_EQ(nul.LoadText(std::string("[A]\r\nx=1\0\r\n[B]\r\ny=2\r\n", 22)), IniFile::Status::Ok);
  EXPECT_EQ(nul.ReadInteger("B", "y", 0), 2);
  // A megabyte line: one key with a huge value, the keys after it still read.
  std::string longLine = "[G]\r\nNAME=" + std::string(1 << 20, 'x') + "\r\nCH00=5\r\n";
  IniFile big;
  ASSERT_EQ(big.LoadText(longLine), IniFile::Status::Ok);
  EXPECT_EQ(big.ReadString("G", "NAME", "").size(), size_t(1) << 20);
  EXPECT_EQ(big.ReadInteger("G", "CH00", 0), 5);
}

TEST(IniFile, OversizedFileIsRefusedClearly) {
  TempDir dir;
  const std::string path = dir.filePath("huge.qdf");
  ASSERT_TRUE(WriteAll(path, std::string(IniFile::kMaxFileBytes + 1, 'a')));
  IniFile ini;
  EXPECT_EQ(ini.Load(path), IniFile::Status::TooLarge);
  EXPECT_NE(ini.errorText().find("too large"), std::string::npos);
  EXPECT_TRUE(ini.SectionNames().empty());

  EXPECT_EQ(ini.Load(dir.filePath("absent.qdf")), IniFile::Status::NotFound);
  EXPECT_EQ(ini.Load(dir.path()), IniFile::Status::Unreadable);
}

TEST(IniFile, SaveReplacesTheFileWholeAndUpdatesKeepOtherContent) {
  TempDir dir;
  const std::string path = dir.filePath("user.qcf");
  ASSERT_TRUE(WriteAll(path, "; kept comment\r\n\r\n[CONFIG]\r\nTxName=OLD\r\nGain=3\r\n[EXTRA]\r\nk=v\r\n"));
  IniFile ini;
  ASSERT_EQ(ini.Load(path), IniFile::Status::Ok);
  ini.WriteInteger("CONFIG", "Gain", -6);
  ini.WriteInteger("CONFIG", "Channel", 4);
  ASSERT_EQ(ini.Save(path), IniFile::Status::Ok);
  EXPECT_EQ(ReadAll(path),
            "; kept comment\r\n\r\n[CONFIG]\r\nTxName=OLD\r\nGain=-6\r\nChannel=4\r\n\r\n"
            "[EXTRA]\r\nk=v\r\n");
  // Nothing but the target is left in the folder (the temporary file was renamed).
  EXPECT_EQ(dir.FileNames(), std::vector<std::string>{"user.qcf"});

  // A target that cannot be replaced leaves what stood there.
  const std::string blocked = dir.filePath("sub");
  ASSERT_TRUE(std::filesystem::create_directory(blocked));
  EXPECT_EQ(ini.Save(blocked), IniFile::Status::WriteFailed);
  EXPECT_TRUE(std::filesystem::is_directory(blocked));
  EXPECT_EQ(dir.FileNames(), std::vector<std::string>{"user.qcf"});
  EXPECT_FALSE(ini.errorText().empty());
}
