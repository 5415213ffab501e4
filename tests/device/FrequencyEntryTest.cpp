#include <gtest/gtest.h>

#include "device/FrequencyPlan.h"
#include "device/TDeviceData.h"

using namespace zentra;

namespace {

TDeviceData Range470to542(int stepHz) {
  TDeviceData d;
  d.freqMinMHz = 470;
  d.freqMaxMHz = 542;
  d.stepHz = stepHz;
  return d;
}

}  // namespace

TEST(FrequencyEntry, Parser) {
  struct Case { const char* text; bool valid; int64_t kHz; };
  const Case cases[] = {
      {"512", true, 512000},       {"512.5", true, 512500},     {"512.05", true, 512050},
      {"512,125", true, 512125},   {"512.", true, 512000},      {"512.010", true, 512010},
      {"512,0125", false, 0},      {"512.1234", false, 0},      {"", false, 0},
      {"abc", true, 0},            {"512.abc", true, 512000},   {"x.5", true, 500},
      {"1.2.3", true, 300}, {" 512 . 5 ", true, 512500}, {"99999999999", true, 0},
      {"512.-5", true, 512000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    int64_t kHz = -1;
    EXPECT_EQ(ParseFrequencyEntry(c.text, kHz), c.valid);
    if (c.valid) {
      EXPECT_EQ(kHz, c.kHz);
    }
  }
}

TEST(FrequencyEntry, OkButtonChecksInOrder) {
  struct Case { const char* text; int stepHz; FrequencyEntryStatus status; const char* message; };
  using S = FrequencyEntryStatus;
  const Case cases[] = {
      {"512", 25000, S::Ok, ""},
      {"512,0125", 25000, S::NotValid, "Inserted value is not a valid frequency!"},
      {"512.010", 25000, S::NotMultiple, "Inserted value isn't multiple of 25.0 kHz!"},
      {"512.0125", 12500, S::NotValid, "Inserted value is not a valid frequency!"},
      {"512.025", 12500, S::Ok, ""},
      {"512.010", 12500, S::NotMultiple, "Inserted value isn't multiple of 12.5 kHz!"},
      {"543", 25000, S::OutsideRange, "Inserted value is outside frequency range!"},
      {"542.025", 25000, S::OutsideRange, "Inserted value is outside frequency range!"},
      {"542", 25000, S::Ok, ""},
      {"470", 25000, S::Ok, ""},
      {"469.975", 25000, S::OutsideRange, "Inserted value is outside frequency range!"},
      {"512", 0, S::StepUnknown, "Tuning step unknown: read the transmitter again!"},
      {"9999999", 25000, S::OutsideRange, "Inserted value is outside frequency range!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " step " << c.stepHz);
    const FrequencyEntryCheck check = CheckFrequencyEntry(c.text, Range470to542(c.stepHz));
    EXPECT_EQ(check.status, c.status);
    EXPECT_EQ(check.message, c.message);
    if (c.status == S::Ok) {
      int64_t kHz = 0;
      ParseFrequencyEntry(c.text, kHz);
      EXPECT_EQ(check.freqKHz, kHz);
    }
  }
}

TEST(FrequencyEntry, SubBandTableRefusesForbiddenSegment) {
  TDeviceData d = Range470to542(500);
  d.bandCount = 2;
  d.bandEdgeMHz[0] = 500;
  d.bandEdgeKHz[0] = 0;
  d.bandAllowed[0] = 0;
  d.bandEdgeMHz[1] = 520;
  d.bandEdgeKHz[1] = 500;
  d.bandAllowed[1] = 50;
  EXPECT_EQ(CheckFrequencyEntry("499.5", d).status, FrequencyEntryStatus::OutsideRange);
  EXPECT_EQ(CheckFrequencyEntry("500", d).status, FrequencyEntryStatus::OutsideRange);
  EXPECT_EQ(CheckFrequencyEntry("500.5", d).status, FrequencyEntryStatus::Ok);
  EXPECT_EQ(CheckFrequencyEntry("530", d).status, FrequencyEntryStatus::Ok);
}

TEST(FrequencyEntry, DialogTexts) {
  const TDeviceData d = Range470to542(12500);
  EXPECT_EQ(FrequencyDialogMessage(d), "Insert frequency value (range 470-542 MHz)");
  EXPECT_EQ(FrequencyDialogStep(d), "Step 12.500 kHz");
  EXPECT_EQ(FormatMHz(512125), "512.125");
  EXPECT_EQ(FormatMHz(470000), "470.000");
}

TEST(GroupNameText, Cleaning) {
  struct Case { std::string text; size_t length; std::string out; };
  const Case cases[] = {
      {"", 8, "        "},
      {"", 12, "            "},
      {"Stage A", 8, "Stage A"},
      {"Stage A too long", 8, "Stage A "},
      {std::string("a\tb\x7f\xc3"), 8, "a b  "},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanGroupNameText(c.text, c.length), c.out);
}
