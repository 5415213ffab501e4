// When reads are confirmed: the link's record of faults and the mode decide, an
// operation confirms from its first fault on, and the answers it took before are asked
// for again.
#include <gtest/gtest.h>

#include <map>

#include "device/ConfirmedReads.h"

using namespace zentra;

namespace {

// Reads of numbered values; answers[k] is what value k reads as, garbled[k] how often its
// next answers come out wrong.
struct Values {
  std::map<int, int> sent;
  std::map<int, int> garbled;
  ConfirmedReads::ReadOnce Read(int k) {
    return [this, k](std::vector<uint8_t>& out) {
      ++sent[k];
      const bool wrong = garbled[k] > 0;
      if (wrong) --garbled[k];
      out = {static_cast<uint8_t>(k), static_cast<uint8_t>(wrong ? 0xEE : 0x11)};
      return true;
    };
  }
};

TEST(LinkHealth, ModeAndCleanRunDecideWhetherAnOperationStartsConfirming) {
  struct Case {
    ReadConfirmation mode;
    int faults, cleanAfter;
    bool confirming;
  };
  const int trust = LinkHealth::kCleanRunToTrust;
  const Case cases[] = {
      {ReadConfirmation::Auto, 0, 0, false},
      {ReadConfirmation::Auto, 1, 0, true},
      {ReadConfirmation::Auto, 1, trust - 1, true},
      {ReadConfirmation::Auto, 1, trust, false},
      {ReadConfirmation::Always, 0, 0, true},
      {ReadConfirmation::Never, 3, 0, false},
  };
  for (const Case& c : cases) {
    LinkHealth h;
    h.mode = c.mode;
    for (int i = 0; i < c.faults; ++i) h.NoteFault();
    for (int i = 0; i < c.cleanAfter; ++i) h.NoteClean();
    EXPECT_EQ(h.ConfirmReads(), c.confirming) << c.faults << " " << c.cleanAfter;
  }
  // The presence probe's unanswered requests are no faults; a reply lost before the
  // transmitter answered is one.
  LinkHealth h;
  {
    const LinkHealth::Pause probe(&h);
    h.NoteFault();
    EXPECT_EQ(h.faults(), 0u);
    h.NoteFault(true);
  }
  EXPECT_EQ(h.faults(), 1u);
  h.Reset();
  EXPECT_FALSE(h.ConfirmReads());
}

TEST(ConfirmedReads, SentOnceOnACleanLinkInPairsAfterAFault) {
  for (ReadConfirmation mode :
       {ReadConfirmation::Auto, ReadConfirmation::Always, ReadConfirmation::Never}) {
    for (bool faultBefore : {false, true}) {
      SCOPED_TRACE(std::string(ReadConfirmationName(mode)) + (faultBefore ? " fault" : ""));
      LinkHealth h;
      h.mode = mode;
      if (faultBefore) h.NoteFault();
      ConfirmedReads reads(&h);
      Values v;
      std::vector<uint8_t> answer;
      ASSERT_TRUE(reads.Read(v.Read(1), answer));
      const bool pairs = h.ConfirmReads();
      EXPECT_EQ(v.sent[1], pairs ? 2 : 1);
      EXPECT_EQ(answer, (std::vector<uint8_t>{1, 0x11}));
    }
  }
}

// A value garbled while the link looked clean is found out when a fault shows later in
// the operation: every answer kept is asked for once more, and the step whose answer is
// contradicted is named; the reads after the fault come in agreeing pairs.
TEST(ConfirmedReads, AFaultReasksWhatWasTakenAndNamesTheContradictedSteps) {
  LinkHealth h;
  ConfirmedReads reads(&h);
  Values v;
  v.garbled[2] = 1;
  std::vector<uint8_t> answer;
  for (int k : {1, 2, 3}) {
    reads.Step(10 + k);
    ASSERT_TRUE(reads.Read(v.Read(k), answer));
  }
  EXPECT_EQ(answer, (std::vector<uint8_t>{3, 0x11}));
  EXPECT_TRUE(reads.TakeContradicted().empty());
  h.NoteFault();
  v.garbled[4] = 1;  // the first answer after the fault is garbled too
  reads.Step(14);
  ASSERT_TRUE(reads.Read(v.Read(4), answer));
  EXPECT_EQ(answer, (std::vector<uint8_t>{4, 0x11}));
  EXPECT_EQ(reads.TakeContradicted(), std::vector<int>{12});
  EXPECT_EQ(v.sent[1], 2);
  EXPECT_EQ(v.sent[2], 2);
  EXPECT_EQ(v.sent[4], 4);  // a pair that disagrees, then one that agrees
  EXPECT_TRUE(reads.confirming());
}

// With the mode "never" nothing is ever asked twice, whatever the link shows.
TEST(ConfirmedReads, NeverAsksTwice) {
  LinkHealth h;
  h.mode = ReadConfirmation::Never;
  ConfirmedReads reads(&h);
  Values v;
  std::vector<uint8_t> answer;
  ASSERT_TRUE(reads.Read(v.Read(1), answer));
  h.NoteFault();
  ASSERT_TRUE(reads.Read(v.Read(2), answer));
  EXPECT_EQ(v.sent[1] + v.sent[2], 2);
  EXPECT_TRUE(reads.TakeContradicted().empty());
}

}  // namespace
