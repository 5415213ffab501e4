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

namespace {

// Groups on air together: the other groups' carriers constrain the set but are not part
// of it; a set that conflicts with them is never offered.
TEST(SuggestTest, CarriersOfOtherGroupsOnAirCountInEveryCheck) {
  SuggestRequest other;
  other.candidatesKHz = StepGrid(470000, 494000, 25000);
  other.count = 8;
  const SuggestResult first = SuggestFrequencies(other);
  ASSERT_EQ(first.status, SuggestStatus::Complete);

  SuggestRequest r = other;
  r.onAirKHz = first.freqsKHz;
  const SuggestResult second = SuggestFrequencies(r);
  ASSERT_EQ(second.status, SuggestStatus::Complete) << second.message;
  EXPECT_EQ(second.freqsKHz.size(), 8u);
  for (int32_t f : first.freqsKHz) EXPECT_FALSE(Contains(second.freqsKHz, f));
  std::vector<int32_t> show = first.freqsKHz;
  show.insert(show.end(), second.freqsKHz.begin(), second.freqsKHz.end());
  EXPECT_TRUE(CheckPlan(show, r.guards).empty());
  // The second group alone would have been the first set again.
  EXPECT_TRUE(CheckPlan(second.freqsKHz, r.guards).empty());

  // A kept frequency that conflicts with a group on air is refused before the search.
  r.keptKHz = {first.freqsKHz[0] + 100};
  const SuggestResult refused = SuggestFrequencies(r);
  EXPECT_EQ(refused.status, SuggestStatus::KeptConflict);
  EXPECT_NE(refused.message.find("groups on air"), std::string::npos);

  // Groups on air that conflict among themselves do not stop a set that is clean
  // against them.
  SuggestRequest third = other;
  third.onAirKHz = {500000, 501000, 499000};
  const SuggestResult s3 = SuggestFrequencies(third);
  ASSERT_EQ(s3.status, SuggestStatus::Complete) << s3.message;
  std::vector<int32_t> all = s3.freqsKHz;
  all.insert(all.end(), third.onAirKHz.begin(), third.onAirKHz.end());
  EXPECT_FALSE(CheckPlan(all, third.guards).empty());
  EXPECT_TRUE(ConflictsInvolving(CheckPlan(all, third.guards), s3.freqsKHz).empty());
}

TEST(SuggestTest, TheProgressCallbackCancelsWithTheBestSetSoFar) {
  SuggestRequest r;
  r.candidatesKHz = StepGrid(470000, 542000, 25000);
  r.count = 40;  // more than the range holds: the search would use its whole budget
  int calls = 0;
  double last = -1;
  bool rising = true;
  r.progress = [&](double share) {
    rising = rising && share >= last && share <= 1.0;
    last = share;
    return ++calls < 5;
  };
  const SuggestResult s = SuggestFrequencies(r);
  EXPECT_EQ(calls, 5);
  EXPECT_TRUE(rising);
  EXPECT_TRUE(s.cancelled);
  EXPECT_EQ(s.status, SuggestStatus::Partial);
  EXPECT_FALSE(s.freqsKHz.empty());
  EXPECT_TRUE(CheckPlan(s.freqsKHz, r.guards).empty());
}

}  // namespace
