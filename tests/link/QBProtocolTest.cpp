#include <gtest/gtest.h>

#include <vector>

#include "link/QBProtocol.h"

using namespace zentra;

namespace {
std::vector<uint8_t> Frame(uint8_t address, uint8_t command, std::vector<uint8_t> data,
                           uint8_t sequence) {
  sequenceCounter = sequence;
  QBPMsg msg;
  BuildMessage(msg, address, command, data.data(), static_cast<uint8_t>(data.size()), true);
  QBProtocol p;
  uint8_t out[kMaxEncodedFrame];
  const int n = p.Encode(msg, out);
  return {out, out + n};
}
}  // namespace

TEST(QBProtocol, WorkedFramesEncodeByteForByte) {
  struct Case { uint8_t addr, cmd; std::vector<uint8_t> data; uint8_t seq; std::vector<uint8_t> frame; };
  const Case cases[] = {
      {0xFF, 0x11, {0x04, 0x01, 0xFE}, 0x00,
       {0xC0, 0x00, 0xFF, 0x00, 0x03, 0x00, 0x11, 0x04, 0x01, 0xFE, 0x16, 0xC1}},
      {0x00, 0x11, {0x05, 0xF4, 0x01}, 0x7D,
       {0xC0, 0x00, 0x00, 0x7D, 0x5D, 0x03, 0x00, 0x11, 0x05, 0xF4, 0x01, 0x9F, 0xC1}},
      {0x01, 0x02, {}, 0xC1, {0xC0, 0x00, 0x01, 0x7D, 0xE1, 0x00, 0x00, 0x02, 0xC2, 0xC1}},
  };
  for (const auto& c : cases) EXPECT_EQ(Frame(c.addr, c.cmd, c.data, c.seq), c.frame);
}

TEST(QBProtocol, SequenceCounterWrapsAfter255) {
  sequenceCounter = 0;
  QBPMsg msg;
  for (int i = 0; i < 256; ++i) {
    BuildMessage(msg, 0, 0x11, nullptr, 0, true);
    ASSERT_EQ(msg.sequence(), i);
  }
  BuildMessage(msg, 0, 0x11, nullptr, 0, true);
  EXPECT_EQ(msg.sequence(), 0);
}

TEST(QBProtocol, DecodeRules) {
  struct Case {
    const char* what;
    std::vector<uint8_t> input;
    bool complete;
    int consumed;
    std::vector<uint8_t> stored;
  };
  const Case cases[] = {
      {"escaped start mark", {0xC0, 0x7D, 0xE0, 0xC1}, true, 4, {0xC0}},
      {"noise, frame, start of next", {0x11, 0x22, 0xC0, 0x01, 0x02, 0xC1, 0xC0, 0x09}, true, 6, {0x01, 0x02}},
      {"start mark restarts", {0xC0, 0x01, 0x02, 0xC0, 0x03, 0xC1}, true, 6, {0x03}},
      {"no end mark", {0xC0, 0x01, 0x02}, false, 3, {}},
  };
  for (const auto& c : cases) {
    QBProtocol p;
    int count = static_cast<int>(c.input.size());
    EXPECT_EQ(p.Decode(c.input.data(), count), c.complete) << c.what;
    EXPECT_EQ(count, c.consumed) << c.what;
    if (c.complete) {
      ASSERT_EQ(p.receivedLength, static_cast<int>(c.stored.size())) << c.what;
      for (size_t i = 0; i < c.stored.size(); ++i) EXPECT_EQ(p.receiveBuffer.bytes[i], c.stored[i]) << c.what;
    }
  }
}

TEST(QBProtocol, OverlongFrameIsDroppedAndItsEndMarkIgnored) {
  std::vector<uint8_t> in{0xC0};
  in.insert(in.end(), 65, 0x01);
  in.push_back(0xC1);
  QBProtocol p;
  int count = static_cast<int>(in.size());
  EXPECT_FALSE(p.Decode(in.data(), count));
  EXPECT_FALSE(p.inFrame);
  // The next complete frame decodes normally.
  std::vector<uint8_t> next{0xC0, 0x05, 0xC1};
  count = 3;
  EXPECT_TRUE(p.Decode(next.data(), count));
  EXPECT_EQ(p.receivedLength, 1);
}

TEST(QBProtocol, FrameSplitIntoSingleBytesAssembles) {
  const std::vector<uint8_t> frame = Frame(0x00, 0x11, {0x06, 0x4D, 0x49}, 3);
  QBProtocol p;
  bool done = false;
  for (size_t i = 0; i < frame.size(); ++i) {
    int one = 1;
    done = p.Decode(&frame[i], one);
    EXPECT_EQ(done, i + 1 == frame.size());
  }
  ASSERT_TRUE(done);
  EXPECT_EQ(p.reply().length(), 3);
  EXPECT_EQ(p.reply().data()[1], 0x4D);
}
