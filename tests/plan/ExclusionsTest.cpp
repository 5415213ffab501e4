#include <gtest/gtest.h>

#include "plan/Exclusions.h"
#include "plan/Spectrum.h"

using namespace zentra::plan;

namespace {

TEST(ExclusionsTest, TvChannelsOfBothRasters) {
  struct Case {
    int channel;
    TvRaster raster;
    int32_t low, high;
  } cases[] = {
      {21, TvRaster::Europe8MHz, 470000, 478000}, {22, TvRaster::Europe8MHz, 478000, 486000},
      {69, TvRaster::Europe8MHz, 854000, 862000}, {14, TvRaster::America6MHz, 470000, 476000},
      {15, TvRaster::America6MHz, 476000, 482000}, {36, TvRaster::America6MHz, 602000, 608000},
  };
  for (const Case& c : cases) {
    const auto r = TvChannelRange(c.channel, c.raster);
    ASSERT_TRUE(r) << c.channel;
    EXPECT_EQ(std::pair(r->lowKHz, r->highKHz), std::pair(c.low, c.high)) << c.channel;
  }
  EXPECT_FALSE(TvChannelRange(20, TvRaster::Europe8MHz));
  EXPECT_FALSE(TvChannelRange(70, TvRaster::Europe8MHz));
  EXPECT_FALSE(TvChannelRange(13, TvRaster::America6MHz));

  std::vector<FreqRange> out;
  std::string error;
  ASSERT_TRUE(ParseTvChannels(" 21, 23-24 ", TvRaster::Europe8MHz, out, error)) << error;
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[2].lowKHz, 494000);
  EXPECT_EQ(out[2].source, "TV 24");
  for (const char* bad : {"20", "24-23", "x", "21-", "30-75"}) {
    EXPECT_FALSE(ParseTvChannels(bad, TvRaster::Europe8MHz, out, error)) << bad;
  }
  EXPECT_NE(error.find("channels 21 to 69"), std::string::npos) << error;
}

TEST(ExclusionsTest, TypedRangesAndFiltering) {
  EXPECT_EQ(ParseRangeMHz("606-614"), (FreqRange{606000, 614000, "typed"}));
  EXPECT_EQ(ParseRangeMHz(" 630.5 - 631.125 "), (FreqRange{630500, 631125, "typed"}));
  for (const char* bad : {"614-606", "606", "606-606", "a-b", "606.0001-607", "-1-5"}) {
    EXPECT_FALSE(ParseRangeMHz(bad)) << bad;
  }
  const std::vector<FreqRange> excluded = {{470100, 470200, "typed"}, {470150, 470300, "TV 21"}, {470500, 470500, "scan"}};
  const auto merged = MergeRanges(excluded);
  ASSERT_EQ(merged.size(), 2u);
  EXPECT_EQ(merged[0], (FreqRange{470100, 470300, "typed, TV 21"}));
  const std::vector<int32_t> grid = {470075, 470100, 470200, 470300, 470325, 470500, 470525};
  EXPECT_EQ(WithoutExcluded(grid, excluded), (std::vector<int32_t>{470075, 470325, 470525}));
  EXPECT_EQ(ExcludedBy(470300, merged)->source, "typed, TV 21");
  EXPECT_EQ(ExcludedBy(470301, merged), nullptr);
}

// Scanner exports as they come: headers in either unit, no header, semicolons with
// decimal commas, preamble lines; the unit found from the header or from the values.
TEST(ExclusionsTest, ScanExportsOfEveryCommonShape) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<int32_t> kHz;
    std::vector<double> dbm;
  } cases[] = {
      {"MHz header", "Frequency (MHz),Level (dBm)\r\n470.000,-95\r\n470.025,-60.5\r\n", {470000, 470025}, {-95, -60.5}},
      {"kHz header, columns swapped", "dBm,Freq [kHz]\n-90,470000\n-70,470025\n", {470000, 470025}, {-90, -70}},
      {"no header, MHz values", "470.1,-80\n470.2,-81\n", {470100, 470200}, {-80, -81}},
      {"no header, kHz values", "470100,-80\n470200,-81\n", {470100, 470200}, {-80, -81}},
      {"semicolons and decimal commas", "Scanner X\nDate;2026\nMHz;dBm\n470,125;-71,5\n470,150;-99\n",
       {470125, 470150}, {-71.5, -99}},
      {"tabs, extra column, unsorted", "freq\tlevel\tnote\n470.2\t-50\tx\n470.1\t-60\ty\n", {470100, 470200}, {-60, -50}},
  };
  for (const Case& c : cases) {
    const ScanImport scan = ParseScanCsv(c.text);
    ASSERT_TRUE(scan.ok) << c.name << ": " << scan.error;
    ASSERT_EQ(scan.points.size(), c.kHz.size()) << c.name;
    for (size_t i = 0; i < c.kHz.size(); ++i) {
      EXPECT_EQ(scan.points[i].freqKHz, c.kHz[i]) << c.name;
      EXPECT_DOUBLE_EQ(scan.points[i].levelDbm, c.dbm[i]) << c.name;
    }
  }
  struct Bad {
    const char* text;
    const char* error;
  } bad[] = {
      {"", "no scan points"},
      {"Frequency,Level\nnothing here\n", "no scan points"},
      {"470.0,-80\n470.1,loud\n", "line 2: expected a frequency and a level"},
      {"470.0,-80\n-470.1,-80\n", "line 2: the frequency must be above 0"},
  };
  for (const Bad& b : bad) {
    const ScanImport scan = ParseScanCsv(b.text);
    EXPECT_FALSE(scan.ok) << b.text;
    EXPECT_NE(scan.error.find(b.error), std::string::npos) << scan.error;
  }
}

TEST(ExclusionsTest, OccupiedStretchesAboveTheThreshold) {
  const std::vector<ScanPoint> scan = {{470000, -70}, {470100, -95}, {470200, -60}, {470300, -65},
                                       {470400, -90}, {470500, -85}, {470600, -50}};
  const std::vector<FreqRange> occupied = OccupiedRanges(scan, -80);
  // Each stretch reaches half-way to the points below the threshold around it.
  ASSERT_EQ(occupied.size(), 3u);
  EXPECT_EQ(std::pair(occupied[0].lowKHz, occupied[0].highKHz), std::pair(469950, 470050));
  EXPECT_EQ(std::pair(occupied[1].lowKHz, occupied[1].highKHz), std::pair(470150, 470350));
  EXPECT_EQ(std::pair(occupied[2].lowKHz, occupied[2].highKHz), std::pair(470550, 470650));
  EXPECT_TRUE(OccupiedRanges(scan, -40).empty());
  EXPECT_EQ(OccupiedRanges(scan, -100).size(), 1u);
}

TEST(SpectrumTest, ProductsOfEachOrderOnceInsideTheRange) {
  const std::vector<Product> p = IntermodProducts({470000, 470100, 470300}, 469000, 471000);
  auto has = [&](ConflictKind k, int64_t f) { return std::find(p.begin(), p.end(), Product{k, f}) != p.end(); };
  EXPECT_TRUE(has(ConflictKind::TwoTx3rd, 469900));    // 2*470.0 - 470.1
  EXPECT_TRUE(has(ConflictKind::TwoTx3rd, 470500));    // 2*470.3 - 470.1
  EXPECT_TRUE(has(ConflictKind::TwoTx5th, 469800));    // 3*470.0 - 2*470.1
  EXPECT_TRUE(has(ConflictKind::ThreeTx3rd, 470200));  // 470.0 + 470.3 - 470.1
  EXPECT_TRUE(std::is_sorted(p.begin(), p.end(), [](const Product& a, const Product& b) { return a.kHz < b.kHz; }));
  EXPECT_TRUE(IntermodProducts({470000, 470100, 470300}, 480000, 490000).empty());
  EXPECT_EQ(IntermodProducts({470000, 470000}, 0, 1'000'000).size(), 0u);  // one frequency makes nothing
}

}  // namespace
