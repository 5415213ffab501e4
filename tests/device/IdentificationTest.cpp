#include <gtest/gtest.h>

#include <string>

#include "device/Identification.h"
#include "device/ModelTable.h"

namespace zentra {
namespace {

// A 16-character identity: model name padded to 6 (7 for the handhelds), variant letter
// at position 6 where it belongs, version digits at 10..12.
std::string Identity(const std::string& head, const char* version) {
  std::string id = head;
  id.resize(16, ' ');
  id.replace(10, 3, version);
  return id;
}

// The capability flags as one comparable string, in a fixed order.
std::string Flags(const TDeviceData& d) {
  std::string s;
  auto add = [&](const char* n, int v) {
    if (v) s += std::string(n) + (v == 1 ? "" : "=" + std::to_string(v)) + " ";
  };
  add("ptt", d.pttSupported);
  add("ptt3", d.pttMode3Supported);
  add("mic", d.micInputSupported);
  add("glock", d.groupLockSupported);
  add("ghid", d.groupHiddenSupported);
  add("chflags", d.channelFlagsSupported);
  add("sync", d.syncSupported);
  add("gnames", d.groupNamesSupported);
  add("variant", d.micVariant);
  add("presets", d.presetsSupported);
  add("audioex", d.audioExtended);
  add("limiter", d.limiterSupported);
  add("band", d.bandPlanSupported);
  add("options", d.optionsSupported);
  add("txname", d.txNameSupported);
  add("namelen", d.txNameLength);
  add("extlock", d.extendedLockSupported);
  add("boot", d.bootVersionSupported);
  add("hidmenu", d.hiddenMenuSupported);
  add("batt3", d.batteryType3Supported);
  add("menuinfo", d.menuInfoHiddenSupported);
  add("modlpf", d.audioModLpfSupported);
  add("levels", d.rfLevelsRead);
  return s;
}

const std::string kBase = "glock ghid chflags sync gnames presets audioex ";

struct IdCase {
  std::string identity;
  int model;
  std::string flags;
};

TEST(Identification, CapabilitiesOfEveryModelAndVersion) {
  const IdCase cases[] = {
      // ZQK120 (model code comes from the quick identification)
      {Identity("ZQK120 ", "101"), 1, ""},
      {Identity("ZQK120 ", "102"), 1, "ptt "},
      {Identity("ZQK120 ", "103"), 1, "ptt ptt3 glock "},
      {Identity("ZQK120 ", "110"), 1, "ptt ptt3 glock ghid chflags sync gnames "},
      // ZQL11 / ZQL12
      {Identity("ZQL11 ", "101"), 2, "ptt mic "},
      {Identity("ZQL12 ", "102"), 2, "ptt ptt3 mic glock "},
      {Identity("ZQL11 ", "110"), 2, "ptt ptt3 mic glock ghid chflags sync gnames "},
      {Identity("ZQL11 ", "111"), 2, "ptt ptt3 mic glock ghid chflags sync gnames presets "},
      {Identity("ZQL12 R", "112"), 2,
       "ptt3 mic glock ghid chflags sync gnames variant=2 presets audioex "},
      {Identity("ZQL11 P", "100"), 2, "mic variant "},
      {Identity("ZQL11 U", "100"), 2, "ptt mic "},
      // ZQL21: variant letters count from 1.11 on
      {Identity("ZQL21 U", "110"), 3, "ptt mic " + kBase},
      {Identity("ZQL21 U", "111"), 3,
       "ptt mic glock ghid chflags sync gnames variant=2 presets audioex "},
      {Identity("ZQL21 P", "111"), 3,
       "ptt mic glock ghid chflags sync gnames variant presets audioex "},
      {Identity("ZQL21 P", "123"), 3,
       "ptt mic glock ghid chflags sync gnames variant presets audioex band options txname "
       "namelen=12 extlock boot hidmenu "},
      {Identity("ZQL21 P", "129"), 3,
       "ptt mic glock ghid chflags sync gnames variant presets audioex band options txname "
       "namelen=8 extlock boot hidmenu batt3 menuinfo "},
      // version steps on the plug-on without PTT
      {Identity("ZQN21 ", "120"), 6, "mic " + kBase},
      {Identity("ZQN21 ", "121"), 6, "mic " + kBase + "band "},
      {Identity("ZQN21 ", "122"), 6, "mic " + kBase + "band options "},
      {Identity("ZQL22 ", "100"), 5,
       "ptt mic glock ghid chflags sync gnames variant presets audioex "},
      {Identity("ZQK220 ", "128"), 4,
       "ptt " + kBase + "band options txname namelen=12 extlock boot hidmenu "},
      {Identity("ZQK230 ", "100"), 10, "ptt " + kBase + "modlpf "},
      // suffix models: limiter, variant 1 whatever the letter
      {Identity("ZQL21X", "100"), 7,
       "ptt mic glock ghid chflags sync gnames variant presets audioex limiter "},
      {Identity("ZQN21X", "100"), 8,
       "ptt mic glock ghid chflags sync gnames variant presets audioex limiter "},
      {Identity("ZQL22XU", "111"), 9,
       "ptt mic glock ghid chflags sync gnames variant presets audioex limiter "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.identity);
    ASSERT_EQ(c.identity.size(), 16u);
    TDeviceData d;
    ASSERT_TRUE(IdentifyModel(d, c.identity));
    EXPECT_EQ(d.modelType, c.model);
    ASSERT_TRUE(IdentifyCapabilities(d, c.identity));
    EXPECT_EQ(d.modelType, c.model);
    EXPECT_EQ(Flags(d), c.flags);
  }
}

TEST(Identification, VersionNumberReadsDigitsAsHex) {
  EXPECT_EQ(VersionNumber(Identity("ZQL21 ", "123")), 0x123);
  EXPECT_EQ(VersionNumber(Identity("ZQL21 ", "099")), 0x099);
  // Letters and bytes above 0x7F follow the signed-byte formula.
  std::string id = Identity("ZQL21 ", "1A0");
  EXPECT_EQ(VersionNumber(id), 256 + 17 * 16);
  id[12] = static_cast<char>(0xB0);
  EXPECT_EQ(VersionNumber(id), 256 + 17 * 16 + (-80 - 48));
  EXPECT_EQ(VersionNumber("short"), 0);
}

TEST(Identification, OnlySixteenCharacterTextsCount) {
  TDeviceData d;
  std::string cut = Identity("ZQL21 P", "123");
  cut[9] = '\0';  // nine characters once cut
  EXPECT_FALSE(IdentifyModel(d, cut));
  EXPECT_EQ(d.modelType, 0);

  d.modelType = 4;
  d.pttSupported = 1;
  d.audioModLpfSupported = 1;
  EXPECT_FALSE(IdentifyCapabilities(d, cut));
  EXPECT_EQ(d.modelType, 4);
  EXPECT_EQ(d.pttSupported, 1);  // a bad length changes nothing at all
  EXPECT_FALSE(IdentifyCapabilities(d, Identity("ZQK230 ", "129") + "x"));
  EXPECT_EQ(d.audioModLpfSupported, 1);

  // A 16-character text that names no model clears the flags and keeps the code.
  EXPECT_FALSE(IdentifyModel(d, Identity("ZQX99 ", "123")));
  EXPECT_FALSE(IdentifyCapabilities(d, Identity("ZQX99 ", "123")));
  EXPECT_EQ(d.modelType, 4);
  EXPECT_EQ(Flags(d), "");
}

TEST(Identification, NothingOfTheEarlierTransmitterSurvives) {
  TDeviceData d;
  ASSERT_TRUE(IdentifyCapabilities(d, Identity("ZQK230 ", "129")));
  d.rfLevelsRead = 1;
  ASSERT_TRUE(IdentifyCapabilities(d, Identity("ZQL21 ", "110")));
  EXPECT_EQ(d.modelType, 3);
  EXPECT_EQ(d.audioModLpfSupported, 0);
  EXPECT_EQ(d.rfLevelsRead, 0);
  EXPECT_EQ(d.txNameLength, 0);
  EXPECT_EQ(d.batteryType3Supported, 0);

  // A handheld whose identity is rewritten to the oldest model takes that model's code.
  ASSERT_TRUE(IdentifyCapabilities(d, Identity("ZQK220 ", "129")));
  ASSERT_TRUE(IdentifyCapabilities(d, Identity("ZQK120 ", "110")));
  EXPECT_EQ(d.modelType, 1);
  EXPECT_EQ(d.presetsSupported, 0);
}

TEST(Identification, IdentityFromTheDataRecord) {
  TDeviceData d;
  std::string id = Identity("ZQN21X", "123");
  std::copy(id.begin(), id.end(), d.idText.begin());
  EXPECT_TRUE(IdentifyModel(d));
  EXPECT_EQ(d.modelType, 8);
  EXPECT_TRUE(IdentifyCapabilities(d));
  EXPECT_EQ(d.txNameLength, 12);
}

TEST(ModelTable, EveryCodeHasOneRowAndItsFamily) {
  ASSERT_EQ(Models().size(), 10u);
  for (const auto& m : Models()) {
    SCOPED_TRACE(m.name);
    EXPECT_EQ(FindModel(m.code), &m);
    EXPECT_EQ(std::string(ModelPicture(m.code)).rfind("PICTURE_ZQ", 0), 0u);
    // Identity texts built from the match strings identify this very model.
    for (const char* match : m.match) {
      if (!match) continue;
      TDeviceData d;
      EXPECT_TRUE(IdentifyModel(d, Identity(match, "123")));
      EXPECT_EQ(d.modelType, m.code);
    }
    const bool handheld = m.code == 1 || m.code == 4 || m.code == 10;
    EXPECT_EQ(m.family == ProbeFamily::Handheld, handheld);
    EXPECT_EQ(FamilyProbed(ProbeFamily::Handheld, m.code), handheld);
    EXPECT_EQ(FamilyProbed(ProbeFamily::Bodypack, m.code), !handheld);
  }
  EXPECT_EQ(FindModel(0), nullptr);
  EXPECT_EQ(FindModel(11), nullptr);
  EXPECT_TRUE(FamilyProbed(ProbeFamily::Handheld, 0));
  EXPECT_TRUE(FamilyProbed(ProbeFamily::Bodypack, 0));
  EXPECT_STREQ(ModelPicture(2), "PICTURE_ZQL11");
}

}  // namespace
}  // namespace zentra
