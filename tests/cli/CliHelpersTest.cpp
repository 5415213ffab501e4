#include <gtest/gtest.h>

#include "cli/Items.h"
#include "cli/Output.h"

namespace zentra::cli {
namespace {

TEST(CliItemsTest, MatchesItemNamesLooselyAndIndexesWithinTheList) {
  const ItemList mic = {"2 wires", "2 wires+bias", "3 wires"};
  const ItemList phase = {"0\xC2\xB0", "180\xC2\xB0"};  // the degree sign in UTF-8
  const ItemList groups = {"00", "01", "02", "SYNC"};
  const struct {
    const ItemList* items;
    const char* typed;
    std::optional<int> index;
  } cases[] = {
      {&mic, "2 wires+bias", 1}, {&mic, "2 WIRES+BIAS", 1}, {&mic, "3wires", 2},
      {&mic, "2", 2},            {&mic, "3", std::nullopt}, {&mic, "-1", std::nullopt},
      {&mic, "", std::nullopt},  {&mic, "wires", std::nullopt},
      {&phase, "180", 1},        {&phase, "0", 0},          {&phase, "90", std::nullopt},
      {&groups, "sync", 3},      {&groups, "02", 2},        {&groups, "3", 3},
      {&groups, "04", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchItem(*c.items, c.typed), c.index) << "'" << c.typed << "'";
  }
  EXPECT_EQ(ItemText(mic, -1), "-");
  EXPECT_EQ(ItemText(mic, 5), "#5");
}

TEST(CliItemsTest, OnOffAndMenuItems) {
  EXPECT_EQ(ParseOnOff("ON"), true);
  EXPECT_EQ(ParseOnOff("off"), false);
  EXPECT_EQ(ParseOnOff("1"), true);
  EXPECT_EQ(ParseOnOff("maybe"), std::nullopt);
  EXPECT_EQ(MatchMenuItem(LockItemNames(), "RF-Power"), static_cast<int>(LockBox::RFPower));
  EXPECT_EQ(MatchMenuItem(HiddenItemNames(), "menu-info"), static_cast<int>(HiddenBox::MenuInfo));
  EXPECT_EQ(MatchMenuItem(LockItemNames(), "menu-info"), std::nullopt);
}

TEST(CliOutputTest, FormatsAndEscapes) {
  EXPECT_EQ(MHzText(512125), "512.125");
  EXPECT_EQ(MHzText(470000), "470.000");
  EXPECT_EQ(TwoDigits(7), "07");
  EXPECT_EQ(JsonString("a\"b\\c\n\x01\xff"), "\"a\\\"b\\\\c\\n\\u0001\\u00ff\"");
  EXPECT_EQ(Printable(std::string("AB\0C\x90", 5)), "AB.C.");
  JsonObject o;
  o.Add("n", -3).Add("t", "x").Add("b", true).Add("v", std::vector<long long>{1, 2});
  EXPECT_EQ(o.str(), "{\"n\":-3,\"t\":\"x\",\"b\":true,\"v\":[1,2]}");
}

}  // namespace
}  // namespace zentra::cli
