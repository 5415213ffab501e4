#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "plan/Suggest.h"

using namespace zentra::plan;

namespace {

bool Contains(const std::vector<int32_t>& v, int32_t f) { return std::find(v.begin(), v.end(), f) != v.end(); }

TEST(SuggestTest, SixteenInTheSeventyTwoMegahertzRangeAreClean) {
  SuggestRequest r;
  r.candidatesKHz = StepGrid(470000, 542000, 25000);
  ASSERT_EQ(r.candidatesKHz.size(), 2881u);
  r.count = 16;
  const SuggestResult s = SuggestFrequencies(r);
  ASSERT_EQ(s.status, SuggestStatus::Complete) << s.message;
  ASSERT_EQ(s.freqsKHz.size(), 16u);
  EXPECT_TRUE(std::is_sorted(s.freqsKHz.begin(), s.freqsKHz.end()));
  for (int32_t f : s.freqsKHz) EXPECT_TRUE(Contains(r.candidatesKHz, f)) << f;
  EXPECT_TRUE(CheckPlan(s.freqsKHz, r.guards).empty());
}

TEST(SuggestTest, KeptFrequenciesStayAndMustBeCompatible) {
  SuggestRequest r;
  r.candidatesKHz = StepGrid(470000, 490000, 25000);
  r.keptKHz = {480010, 471000};  // off the step: the user's own
  r.count = 8;
  const SuggestResult s = SuggestFrequencies(r);
  ASSERT_EQ(s.status, SuggestStatus::Complete) << s.message;
  EXPECT_EQ(s.freqsKHz.size(), 8u);
  EXPECT_TRUE(Contains(s.freqsKHz, 480010) && Contains(s.freqsKHz, 471000));
  EXPECT_TRUE(CheckPlan(s.freqsKHz, r.guards).empty());

  r.keptKHz = {470100, 470200, 470000};
  const SuggestResult bad = SuggestFrequencies(r);
  EXPECT_EQ(bad.status, SuggestStatus::KeptConflict);
  EXPECT_FALSE(bad.offered());
  EXPECT_FALSE(bad.conflicts.empty());
  EXPECT_TRUE(bad.freqsKHz.empty());
}

// More than fits: the search offers its best, at least what the plain pass finds, and
// that set is maximal: no candidate left out could join it. Random guards and
// candidate sets exercise every window of the incremental test against CheckPlan.
TEST(SuggestTest, BestEffortSetsAreCleanAndMaximal) {
  std::mt19937 rng(7);
  for (int round = 0; round < 12; ++round) {
    SuggestRequest r;
    r.guards.spacingKHz = static_cast<int32_t>(rng() % 4) * 150;
    r.guards.twoTx3rdKHz = static_cast<int32_t>(rng() % 5) * 25;
    r.guards.twoTx5thKHz = static_cast<int32_t>(rng() % 4) * 25;
    r.guards.threeTx3rdKHz = static_cast<int32_t>(rng() % 4) * 25;
    for (int32_t f : StepGrid(470000, 476000, 25000)) {
      if (rng() % 3) r.candidatesKHz.push_back(f);
    }
    if (round % 2) r.keptKHz = {473010};
    r.count = 200;
    r.effort = 20;
    const SuggestResult s = SuggestFrequencies(r);
    const SuggestResult plain = SuggestGreedy(r);
    ASSERT_EQ(s.status, SuggestStatus::Partial) << s.message;
    EXPECT_GE(s.freqsKHz.size(), plain.freqsKHz.size()) << round;
    EXPECT_TRUE(CheckPlan(s.freqsKHz, r.guards).empty()) << round;
    EXPECT_TRUE(CheckPlan(plain.freqsKHz, r.guards).empty()) << round;
    for (int32_t f : r.candidatesKHz) {
      if (Contains(s.freqsKHz, f)) continue;
      std::vector<int32_t> more = s.freqsKHz;
      more.push_back(f);
      EXPECT_FALSE(CheckPlan(more, r.guards).empty()) << "round " << round << ": " << f << " fits too";
    }
  }
}

TEST(SuggestTest, RefusesWhatCannotBeSearched) {
  SuggestRequest r;
  r.count = 4;
  r.guards.spacingKHz = -1;
  EXPECT_EQ(SuggestFrequencies(r).status, SuggestStatus::Refused);
  r.guards = Guards{};
  r.candidatesKHz = {470000, 470000 + static_cast<int32_t>(kMaxSearchSpanKHz)};
  EXPECT_EQ(SuggestFrequencies(r).status, SuggestStatus::Refused);
  r.candidatesKHz = StepGrid(1, 2'000'000, 25000);  // more candidates than a search takes
  EXPECT_EQ(SuggestFrequencies(r).status, SuggestStatus::Refused);
}

TEST(StepGridTest, WholeKilohertzPointsOfTheStep) {
  EXPECT_EQ(StepGrid(470000, 470100, 25000), (std::vector<int32_t>{470000, 470025, 470050, 470075, 470100}));
  EXPECT_EQ(StepGrid(470010, 470060, 12500), (std::vector<int32_t>{470025, 470050}));  // 12.5 kHz: whole kHz every 25
  EXPECT_TRUE(StepGrid(470000, 471000, 0).empty());
}

}  // namespace
