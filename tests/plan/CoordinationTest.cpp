#include <gtest/gtest.h>

#include <algorithm>

#include "plan/Coordination.h"

using namespace zentra::plan;

namespace {

std::vector<Conflict> Of(const std::vector<Conflict>& all, ConflictKind kind) {
  std::vector<Conflict> out;
  std::copy_if(all.begin(), all.end(), std::back_inserter(out), [&](const Conflict& c) { return c.kind == kind; });
  return out;
}

Conflict Make(ConflictKind kind, int32_t victim, int64_t product, std::vector<int32_t> makers) {
  Conflict c;
  c.kind = kind;
  c.victimKHz = victim;
  c.productKHz = product;
  for (size_t i = 0; i < makers.size(); ++i) c.makersKHz[i] = makers[i];
  c.makerCount = static_cast<int>(makers.size());
  return c;
}

// Plans far enough apart that only the product named lands on a carrier (worked out by
// hand: every other product of each plan stays a megahertz or more from every carrier).
TEST(CheckPlanTest, HandComputedProductsOfEachOrder) {
  const Guards g;
  // Three carriers 1 MHz apart: each outer one is the 3rd-order product of the middle
  // one with the other (499 + 501 - 500 lands on its own maker and does not count).
  EXPECT_EQ(CheckPlan({501000, 499000, 500000}, g),
            (std::vector<Conflict>{Make(ConflictKind::TwoTx3rd, 499000, 499000, {500000, 501000}),
                                   Make(ConflictKind::TwoTx3rd, 501000, 501000, {500000, 499000})}));
  // 3 x 471 - 2 x 470 = 473: one 5th-order hit and nothing else.
  EXPECT_EQ(CheckPlan({470000, 471000, 473000}, g),
            (std::vector<Conflict>{Make(ConflictKind::TwoTx5th, 473000, 473000, {471000, 470000})}));
  // 470 + 477 = 472 + 475: each carrier is hit by the 3-transmitter product of the others.
  const auto sums = CheckPlan({470000, 472000, 475000, 477000}, g);
  ASSERT_EQ(sums.size(), 4u);
  EXPECT_EQ(Of(sums, ConflictKind::ThreeTx3rd).size(), 4u);
  EXPECT_EQ(sums[0], Make(ConflictKind::ThreeTx3rd, 470000, 470000, {472000, 475000, 477000}));
  // A clean plan.
  EXPECT_TRUE(CheckPlan({470000, 472000, 477000}, g).empty());
  EXPECT_TRUE(CheckPlan({}, g).empty());
  EXPECT_TRUE(CheckPlan({500000}, g).empty());
}

// Spacing is a minimum (exactly the spacing is fine); a product exactly at its guard
// from a carrier is a conflict, one kHz further is not.
struct EdgeCase {
  const char* name;
  std::vector<int32_t> at, past;
  ConflictKind kind;
  size_t hitsAt;
};

class GuardEdgeTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(GuardEdgeTest, ExactlyAtTheEdge) {
  const EdgeCase& e = GetParam();
  const Guards g;
  EXPECT_EQ(Of(CheckPlan(e.at, g), e.kind).size(), e.hitsAt) << e.name;
  EXPECT_TRUE(CheckPlan(e.past, g).empty()) << e.name;
}

INSTANTIATE_TEST_SUITE_P(
    Guards, GuardEdgeTest,
    ::testing::Values(
        // 349 kHz apart conflicts (both carriers), 350 does not
        EdgeCase{"spacing", {500000, 500349}, {500000, 500350}, ConflictKind::Spacing, 2},
        // 2 x 500 - 501 = 499: a carrier 100 kHz below it is hit (and symmetrically 501)
        EdgeCase{"2Tx 3rd", {498900, 500000, 501000}, {498899, 500000, 501000}, ConflictKind::TwoTx3rd, 2},
        // 3 x 471 - 2 x 470 = 473: a carrier 50 kHz above it is hit
        EdgeCase{"2Tx 5th", {470000, 471000, 473050}, {470000, 471000, 473051}, ConflictKind::TwoTx5th, 1},
        // 470 + 477.05 - 472 = 475.05 and its three mirror images
        EdgeCase{"3Tx 3rd", {470000, 472000, 475000, 477050}, {470000, 472000, 475000, 477051},
                 ConflictKind::ThreeTx3rd, 4}),
    [](const auto& info) {
      std::string n = info.param.name;
      std::replace(n.begin(), n.end(), ' ', '_');
      return n;
    });

TEST(CheckPlanTest, GuardsAreSettable) {
  Guards g;
  g.twoTx3rdKHz = 0;  // only exact hits count
  EXPECT_TRUE(CheckPlan({498900, 500000, 501000}, g).empty());
  EXPECT_EQ(CheckPlan({499000, 500000, 501000}, g).size(), 2u);
  g.spacingKHz = 2001;
  EXPECT_EQ(Of(CheckPlan({470000, 472000, 477000}, g), ConflictKind::Spacing).size(), 2u);
}

TEST(MarkChannelsTest, HiddenRowsDoNotCountAndToolTipsNameTheProduct) {
  Guards g;
  g.spacingKHz = 0;
  const auto marks = MarkChannels({470100, 470200, 470000, std::nullopt}, g);
  ASSERT_EQ(marks.size(), 4u);
  EXPECT_EQ(marks[2].toolTip(), "3rd-order product of 470.100 and 470.200 MHz");
  EXPECT_EQ(marks[1].toolTip(), "3rd-order product of 470.100 and 470.000 MHz");
  EXPECT_FALSE(marks[3].conflict());

  // The 5th-order victim taken off air: nothing left to mark.
  const auto off = MarkChannels({470000, 471000, std::nullopt}, Guards{});
  EXPECT_FALSE(off[0].conflict() || off[1].conflict() || off[2].conflict());
  const auto on = MarkChannels({470000, 471000, 473000}, Guards{});
  EXPECT_EQ(on[2].toolTip(), "5th-order product of 471.000 and 470.000 MHz");

  // Two channels on one frequency are both marked, once each.
  const auto same = MarkChannels({480000, 470000, 480000}, Guards{});
  EXPECT_EQ(same[0].toolTip(), "same frequency as another channel");
  EXPECT_EQ(same[2].conflicts, same[0].conflicts);
  EXPECT_FALSE(same[1].conflict());
}

TEST(MarkChannelsTest, ToolTipOfAManyTimesHitChannelIsCut) {
  std::vector<std::optional<int32_t>> rows;
  for (int i = 0; i < 12; ++i) rows.push_back(470000 + i * 1000);  // evenly spaced: many hits
  const auto marks = MarkChannels(rows, Guards{});
  ASSERT_GT(marks[6].conflicts.size(), ChannelMark::kToolTipLines);
  const std::string tip = marks[6].toolTip();
  EXPECT_EQ(std::count(tip.begin(), tip.end(), '\n'), static_cast<long>(ChannelMark::kToolTipLines));
  EXPECT_NE(tip.find(std::to_string(marks[6].conflicts.size() - ChannelMark::kToolTipLines) + " more"),
            std::string::npos);
}

TEST(MHzTest, ParseAndFormat) {
  const std::vector<std::pair<const char*, std::optional<int32_t>>> cases = {
      {"470", 470000},      {"470.1", 470100},  {" 470.125 ", 470125}, {"470,05", 470050},
      {"470.1234", {}},     {"-470", {}},       {"470.", {}},          {"", {}},
      {"4a0", {}},          {"470.1.2", {}},    {"1e3", {}},           {"99999999", {}}};
  for (const auto& [text, want] : cases) EXPECT_EQ(ParseMHz(text), want) << text;
  EXPECT_EQ(MHzText(470005), "470.005");
  EXPECT_EQ(MHzText(-1500), "-1.500");
}

}  // namespace
