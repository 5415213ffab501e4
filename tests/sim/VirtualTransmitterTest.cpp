// The simulated transmitter answers as a transmitter of its model and firmware would:
// the answer shapes that depend on model and version, the unlock rules of the presence
// probe and of the service commands, block echoes, and state that keeps what was written.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "device/AccessCodes.h"
#include "sim/VirtualTransmitter.h"

namespace zentra::sim {
namespace {

using Bytes = std::vector<uint8_t>;

TransmitterSpec Tx(const char* model, const char* version, char variant = 0) {
  TransmitterSpec s;
  s.model = model;
  s.version = version;
  s.variant = variant;
  return s;
}

std::optional<Bytes> Send(VirtualTransmitter& tx, Bytes request) {
  return tx.Handle(request.data(), static_cast<int>(request.size()));
}

// Length of the answer, or -1 for no answer.
int AnswerLength(VirtualTransmitter& tx, Bytes request) {
  auto a = Send(tx, std::move(request));
  return a ? static_cast<int>(a->size()) : -1;
}

bool Acked(const std::optional<Bytes>& a) { return a && a->size() == 3 && (*a)[2] == 0x06; }

Bytes Unlock(const AccessCode& code) {
  Bytes r(10, 0);
  r[0] = 'M';
  r[1] = 'o';
  std::copy(code.begin(), code.end(), r.begin() + 2);
  return r;
}

// Expected answer lengths per firmware; -1 = the firmware does not know the command.
struct ShapeRow {
  const char* model;
  const char* version;
  char variant;
  int modelCode;
  int mic;        // 'M'
  int locks;      // 'l'
  int locksEx;    // 'k'
  int preset;     // 'X' 0
  int name;       // 'e'
  int bandCount;  // 'Q'
  int option;     // 'b' 0
  int boot;       // 'i' 12 @0xF414
  int hidden;     // 0xD1
  int audio;      // 'A'
  int audioEx;    // 'D'
};

const ShapeRow kShapes[] = {
    // model      ver    var code mic  l   k  preset name band opt boot hid  A   D
    {"ZQK120", "101", 0, 1, 3, -1, -1, -1, -1, -1, -1, -1, -1, 4, -1},
    {"ZQK120", "103", 0, 1, 3, 4, -1, -1, -1, -1, -1, -1, -1, 4, -1},
    {"ZQK120", "110", 0, 1, 3, -1, 5, -1, -1, -1, -1, -1, -1, 4, -1},
    {"ZQL11", "110", 0, 2, 5, -1, 5, -1, -1, -1, -1, -1, -1, 4, -1},
    {"ZQL12", "111", 'P', 2, 5, -1, 5, 16, -1, -1, -1, -1, -1, 4, -1},
    {"ZQL12", "112", 'R', 2, 5, -1, 5, 16, -1, -1, -1, -1, -1, -1, 7},
    {"ZQL21", "120", 'U', 3, 5, -1, 13, 16, -1, -1, -1, -1, -1, -1, 7},
    {"ZQL21", "121", 0, 3, 5, -1, 13, 16, -1, 3, -1, -1, -1, -1, 7},
    {"ZQL21", "122", 0, 3, 5, -1, 13, 16, -1, 3, 6, -1, -1, -1, 7},
    {"ZQL21", "123", 'P', 3, 5, -1, 14, 18, 14, 3, 6, 17, 4, -1, 7},
    {"ZQN21", "100", 0, 6, 5, -1, 13, 16, -1, -1, -1, -1, -1, -1, 7},
    {"ZQL22", "129", 0, 5, 5, -1, 14, 18, 10, 3, 6, 17, 4, -1, 7},
    {"ZQK220", "129", 0, 4, 5, -1, 14, 18, 10, 3, 6, 17, 4, -1, 7},
    {"ZQL21X", "100", 0, 7, 5, -1, 13, 16, -1, -1, -1, -1, -1, -1, 7},
    {"ZQN21X", "123", 0, 8, 5, -1, 14, 18, 14, 3, 6, 17, 4, -1, 7},
    {"ZQL22X", "129", 0, 9, 5, -1, 14, 18, 10, 3, 6, 17, 4, -1, 7},
    {"ZQK230", "123", 0, 10, 5, -1, 14, 20, 14, 3, 6, 17, 4, -1, 7},
    {"ZQK230", "129", 0, 10, 5, -1, 14, 20, 10, 3, 6, 17, 4, -1, 7},
};

TEST(VirtualTransmitterTest, AnswerShapesFollowModelAndVersion) {
  for (const ShapeRow& row : kShapes) {
    SCOPED_TRACE(std::string(row.model) + "@" + row.version);
    VirtualTransmitter tx(Tx(row.model, row.version, row.variant));
    EXPECT_EQ(tx.caps().modelCode, row.modelCode);
    EXPECT_EQ(AnswerLength(tx, {'M', 'M'}), row.mic);
    EXPECT_EQ(AnswerLength(tx, {'M', 'l'}), row.locks);
    EXPECT_EQ(AnswerLength(tx, {'M', 'k'}), row.locksEx);
    EXPECT_EQ(AnswerLength(tx, {'M', 'X', 0}), row.preset);
    EXPECT_EQ(AnswerLength(tx, {'M', 'e'}), row.name);
    EXPECT_EQ(AnswerLength(tx, {'M', 'Q'}), row.bandCount);
    EXPECT_EQ(AnswerLength(tx, {'M', 'b', 0}), row.option);
    EXPECT_EQ(AnswerLength(tx, {'M', 'i', 0x0C, 0xF4, 0x14}), row.boot);
    EXPECT_EQ(AnswerLength(tx, {'M', 0xD1}), row.hidden);
    EXPECT_EQ(AnswerLength(tx, {'M', 'A'}), row.audio);
    EXPECT_EQ(AnswerLength(tx, {'M', 'D'}), row.audioEx);
    // Commands every transmitter knows.
    EXPECT_EQ(AnswerLength(tx, {'M', 'I'}), 18);
    EXPECT_EQ(AnswerLength(tx, {'M', 'N'}), 12);
    EXPECT_EQ(AnswerLength(tx, {'M', 'R'}), 6);
    EXPECT_EQ(AnswerLength(tx, {'M', 's'}), 4);
    EXPECT_EQ(AnswerLength(tx, {'M', 'n'}), 4);
    EXPECT_EQ(AnswerLength(tx, {'M', 'F'}), 6);
    EXPECT_EQ(AnswerLength(tx, {'M', 'C'}), 4);
    EXPECT_EQ(AnswerLength(tx, {'M', 'B'}), 4);
    EXPECT_EQ(AnswerLength(tx, {'M', 'P'}), 3);
    EXPECT_EQ(AnswerLength(tx, {'M', 'L'}), 4);
    EXPECT_EQ(AnswerLength(tx, {'M', '<', 0, 0}), 6);
    // Wrong lengths and unknown codes get no answer.
    EXPECT_EQ(AnswerLength(tx, {'M', 'I', 0}), -1);
    EXPECT_EQ(AnswerLength(tx, {'M', 'F', 1, 2}), -1);
    EXPECT_EQ(AnswerLength(tx, {'M', 0x01}), -1);
    EXPECT_EQ(AnswerLength(tx, {'X', 'I'}), -1);
    EXPECT_EQ(AnswerLength(tx, {'M'}), -1);
  }
}

TEST(VirtualTransmitterTest, IdentityTextCarriesModelVariantAndVersion) {
  struct Row {
    TransmitterSpec spec;
    const char* identity;  // first 13 characters
  } rows[] = {
      {Tx("ZQL21", "123", 'U'), "ZQL21 U   123"},
      {Tx("ZQK120", "103"), "ZQK120    103"},
      {Tx("ZQK230", "129", 'U'), "ZQK230    129"},  // handheld names need the blank
      {Tx("ZQL22X", "129"), "ZQL22X    129"},
      {Tx("ZQL12", "112", 'R'), "ZQL12 R   112"},
  };
  for (const auto& row : rows) {
    VirtualTransmitter tx(row.spec);
    const std::string id = tx.identityText();
    ASSERT_EQ(id.size(), 16u);
    EXPECT_EQ(id.substr(0, 13), row.identity);
    EXPECT_EQ(id.find('\0'), std::string::npos);
    auto a = Send(tx, {'M', 'I'});
    ASSERT_TRUE(a);
    EXPECT_EQ(std::string(a->begin() + 2, a->end()), id);
  }
}

TEST(VirtualTransmitterTest, PresenceUnlockAnswersOnlyItsOwnFamily) {
  const AccessCodes& codes = ActiveAccessCodes();
  for (const std::string& model : SimModelNames()) {
    SCOPED_TRACE(model);
    VirtualTransmitter tx(Tx(model.c_str(), "129"));
    const bool handheld = model.rfind("ZQK", 0) == 0;
    EXPECT_EQ(Acked(Send(tx, Unlock(codes.handheld))), handheld);
    EXPECT_EQ(Acked(Send(tx, Unlock(codes.bodypack))), !handheld);
    EXPECT_FALSE(Send(tx, Unlock({'W', 'R', 'O', 'N', 'G', '0', '0', '0'})));
  }
}

TEST(VirtualTransmitterTest, ServiceCommandsNeedAFreshServiceUnlock) {
  const AccessCodes& codes = ActiveAccessCodes();
  VirtualTransmitter tx(Tx("ZQL22X", "129"));
  const Bytes crc{'M', 'd', 0x1C};
  Bytes serial{'M', 0xCE};
  for (char c : std::string("NEWSERIAL1")) serial.push_back(static_cast<uint8_t>(c));

  struct Step {
    Bytes request;
    bool answered;
  } steps[] = {
      {crc, false},                        // never unlocked
      {Unlock(codes.service), true},
      {crc, true},                         // right after the unlock
      {crc, false},                        // the unlock served one command only
      {Unlock(codes.bodypack), true},      // a family code opens no service door
      {crc, false},
      {Unlock(codes.service), true},
      {{'M', 'I'}, true},                  // an ordinary command uses up the unlock
      {serial, false},
      {Unlock(codes.service), true},
      {serial, true},
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Send(tx, steps[i].request).has_value(), steps[i].answered);
  }
  EXPECT_EQ(std::string(tx.state().serial.begin(), tx.state().serial.end()), "NEWSERIAL1");
}

// Sends a service command after a service unlock.
std::optional<Bytes> Service(VirtualTransmitter& tx, Bytes request) {
  if (!Acked(Send(tx, Unlock(ActiveAccessCodes().service)))) return std::nullopt;
  return Send(tx, std::move(request));
}

Bytes Block(uint8_t sub, int count, int address, const Bytes& data, int fixedLength) {
  Bytes r{'M', 'd', sub, static_cast<uint8_t>(count), static_cast<uint8_t>(address >> 8),
          static_cast<uint8_t>(address)};
  r.insert(r.end(), data.begin(), data.end());
  r.resize(fixedLength, 0xAA);
  return r;
}

TEST(VirtualTransmitterTest, BlockWritesEchoAndReadsReturnWhatWasWritten) {
  VirtualTransmitter tx(Tx("ZQL21", "123", 'U'));
  struct Row {
    const char* what;
    uint8_t writeSub, readSub;
    int fixed, answer, count, address;
  } rows[] = {
      {"xeeprom 32 at 0x0120", 0x90, 0x10, 38, 36, 32, 0x0120},
      {"xeeprom 1 at 0xFFFF", 0x90, 0x10, 38, 36, 1, 0xFFFF},
      {"cal page 0", 0x91, 0x11, 14, 12, 8, 0x0010},
      {"cal page 1", 0x91, 0x11, 14, 12, 8, 0x8010},
  };
  int rowIndex = 0;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Bytes data;
    ++rowIndex;
    for (int i = 0; i < row.count; ++i) data.push_back(static_cast<uint8_t>(0x30 + i * 3 + rowIndex * 17));
    auto echo = Service(tx, Block(row.writeSub, row.count, row.address, data, row.fixed));
    ASSERT_TRUE(echo);
    ASSERT_EQ(static_cast<int>(echo->size()), row.answer);
    EXPECT_EQ(Bytes(echo->begin() + 4, echo->begin() + 4 + row.count), data);
    auto back = Service(tx, Block(row.readSub, row.count, row.address, {}, row.fixed));
    ASSERT_TRUE(back);
    ASSERT_EQ(static_cast<int>(back->size()), row.answer);
    EXPECT_EQ(Bytes(back->begin() + 4, back->begin() + 4 + row.count), data);
  }
  // Address bit 15 picks the page: the two pages hold different bytes at offset 0x10.
  EXPECT_NE(tx.state().calEeprom[0][0x10], tx.state().calEeprom[1][0x10]);
  EXPECT_EQ(tx.state().xeeprom[0xFFFF], static_cast<uint8_t>(0x30 + 2 * 17));

  // Counts beyond the block size and calibration blocks outside the page are refused.
  EXPECT_FALSE(Service(tx, Block(0x10, 33, 0, {}, 38)));
  EXPECT_FALSE(Service(tx, Block(0x11, 9, 0, {}, 14)));
  EXPECT_FALSE(Service(tx, Block(0x11, 8, 1020, {}, 14)));
  EXPECT_FALSE(Service(tx, Block(0x10, 4, 0, {}, 37)));  // short request
}

TEST(VirtualTransmitterTest, CrcAndFactoryCommandsAnswerWithTheirLengths) {
  VirtualTransmitter tx(Tx("ZQK230", "129"));
  auto crc = Service(tx, {'M', 'd', 0x1C});
  ASSERT_TRUE(crc);
  ASSERT_EQ(crc->size(), 4u);
  EXPECT_NE((*crc)[3], 0);
  tx.state().crcGood = false;
  crc = Service(tx, {'M', 'd', 0x1C});
  ASSERT_TRUE(crc);
  EXPECT_EQ((*crc)[3], 0);
  auto bat = Service(tx, {'M', 'd', 0x9D, 0x01, 0x02});
  ASSERT_TRUE(bat);
  EXPECT_EQ(bat->size(), 5u);
  EXPECT_EQ(tx.state().batteryCalibration, 0x0102);
  auto fast = Service(tx, {'M', 'd', 0x9E, 0x00, 0x07, 0xD0, 0x7D});
  ASSERT_TRUE(fast);
  EXPECT_EQ(fast->size(), 7u);
  EXPECT_EQ(tx.state().fastFrequency, 512125u);
  EXPECT_TRUE(Acked(Service(tx, {'M', 0xC7, 0x00})));
  EXPECT_EQ(tx.state().xeeprom[0], 0xFF);
  EXPECT_TRUE(Acked(Service(tx, {'M', 0xC9, 'Z', 'Q', 'K', '2', '3', '0', ' ', ' ', ' ', ' '})));
  EXPECT_EQ(tx.identityText().substr(10, 3), "129");  // the version is not writable
}

TEST(VirtualTransmitterTest, TableKeepsWhatWasWritten) {
  TransmitterSpec spec = Tx("ZQL22X", "129");
  spec.groups = 4;
  spec.channels = 6;
  VirtualTransmitter tx(spec);
  const auto& s = tx.state();
  // The factory plan lies inside the range, on the 25 kHz grid, outside forbidden bands.
  for (int g = 0; g <= s.groupCount; ++g)
    for (const auto& ch : s.table[g]) {
      EXPECT_GE(ch.freqKHz, 470000u);
      EXPECT_LE(ch.freqKHz, 542000u);
      EXPECT_EQ((ch.freqKHz - 470000u) % 25, 0u);
      for (size_t b = 0; b < s.bands.size(); ++b) {
        const uint32_t edge = s.bands[b].edgeMHz * 1000u + s.bands[b].edgeKHz;
        const uint32_t low = b == 0 ? 0 : s.bands[b - 1].edgeMHz * 1000u + s.bands[b - 1].edgeKHz;
        if (ch.freqKHz > low && ch.freqKHz <= edge) {
          EXPECT_NE(s.bands[b].maxPowerMw, 0);
        }
      }
    }

  struct Row {
    Bytes write;
    bool acked;
    Bytes read;
    Bytes expected;  // answer bytes after r[0], r[1]; empty = no answer
  } rows[] = {
      {{'M', '>', 0, 1, 0x00, 0x07, 0xD0, 0x7D}, true, {'M', '<', 0, 1}, {0x00, 0x07, 0xD0, 0x7D}},
      {{'M', '>', 5, 3, 0x00, 0x08, 0x45, 0x30}, true, {'M', '<', 5, 3}, {0x00, 0x08, 0x45, 0x30}},
      // 542.001 MHz is above the range and refused; the channel keeps 512.125
      {{'M', '>', 0, 1, 0x00, 0x08, 0x45, 0x31}, false, {'M', '<', 0, 1}, {0x00, 0x07, 0xD0, 0x7D}},
      // the sync channel sits at group groupCount, channel 0
      {{'M', '>', 0, 4, 0x00, 0x07, 0xD0, 0x7D}, true, {'M', '<', 0, 4}, {0x00, 0x07, 0xD0, 0x7D}},
      {{'M', '.', 2, 1, 3}, true, {'M', ',', 2, 1}, {3}},
      {{'M', '.', 2, 1, 2}, true, {'M', ',', 2, 1}, {2}},
      {{'M', ';', 2, 'V', 'O', 'C', 'A', 'L', 0, 0, 0}, true, {'M', ':', 2},
       {'V', 'O', 'C', 'A', 'L', 0, 0, 0}},
      {{'M', 'K', 'M', 'Y', ' ', 'S', 'Y', 'N', 'C', 0, 0, 0, 0, 0}, true, {'M', 'J'},
       {'M', 'Y', ' ', 'S', 'Y', 'N', 'C', 0, 0, 0, 0, 0}},
      {{'M', 0xC3, 5, 3}, true, {'M', 'F'}, {0x00, 0x08, 0x45, 0x30}},
      {{'M', 0xC3, 5, 3}, true, {'M', 'C'}, {5, 3}},
  };
  for (size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Acked(Send(tx, rows[i].write)), rows[i].acked);
    auto a = Send(tx, rows[i].read);
    ASSERT_TRUE(a);
    EXPECT_EQ(Bytes(a->begin() + 2, a->end()), rows[i].expected);
  }
  // Positions outside the table get no answer at all.
  for (Bytes r : {Bytes{'M', '<', 6, 0}, Bytes{'M', '<', 1, 4}, Bytes{'M', '<', 0, 5},
                  Bytes{'M', ':', 4}, Bytes{'M', 0xC3, 1, 4}, Bytes{'M', '.', 0, 9, 1}})
    EXPECT_FALSE(Send(tx, r)) << int(r[1]) << " " << int(r[2]) << " " << int(r[3]);
}

TEST(VirtualTransmitterTest, SettingWritesAreCheckedAgainstTheModel) {
  struct Row {
    const char* model;
    const char* version;
    Bytes write;
    bool acked;
  } rows[] = {
      {"ZQL22X", "129", {'M', 0xC4, uint8_t(-60), 6, 3, 1, 0}, true},
      {"ZQL22X", "129", {'M', 0xC4, uint8_t(-61), 0, 0, 0, 0}, false},
      {"ZQL21", "129", {'M', 0xC4, 0, 0, 2, 0, 0}, false},  // no limiter bit on a plain model
      {"ZQK230", "129", {'M', 0xC4, 0, 0, 0, 0, 0x12}, true},   // wide, 20 kHz
      {"ZQK230", "129", {'M', 0xC4, 0, 0, 0, 0, 0x02}, false},  // 20 kHz needs wide
      {"ZQK220", "129", {'M', 0xC4, uint8_t(-21), 0, 0, 0, 0}, false},
      {"ZQK120", "110", {'M', 0xC1, uint8_t(-20), 4}, true},
      {"ZQK120", "110", {'M', 0xC1, 0, 5}, false},
      {"ZQK120", "101", {'M', 0xCD, 1}, false},  // no PTT before 1.02: unknown command
      {"ZQK120", "103", {'M', 0xCD, 3}, true},
      {"ZQK220", "129", {'M', 0xCD, 0, 1, 2}, true},
      {"ZQK220", "129", {'M', 0xCD, 1, 1, 2}, false},  // handhelds have no mode
      {"ZQL21", "129", {'M', 0xCD, 4, 0, 3}, true},
      {"ZQN21", "129", {'M', 0xCD, 2, 0, 0}, false},
      {"ZQL21", "123", {'M', 0xC2, 2}, false},  // Lithium from 1.29 on
      {"ZQL21", "129", {'M', 0xC2, 2}, true},
      {"ZQL22X", "129", {'M', 0xD0, 2}, true},   // three power levels
      {"ZQL22X", "129", {'M', 0xD0, 3}, false},
      {"ZQL22X", "129", {'M', 0xCC, 16, 2}, true},
      {"ZQL22X", "129", {'M', 0xCC, 17, 0}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.model) + "@" + row.version + " cmd " + std::to_string(row.write[1]));
    VirtualTransmitter tx(Tx(row.model, row.version));
    EXPECT_EQ(Acked(Send(tx, row.write)), row.acked);
  }
}

TEST(VirtualTransmitterTest, LockHiddenAndNameWritesReadBack) {
  VirtualTransmitter x(Tx("ZQL22X", "129"));
  EXPECT_TRUE(Acked(Send(x, {'M', 0xDB, 0x25, 0x3F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
  EXPECT_EQ(*Send(x, {'M', 'k'}), (Bytes{'M', 'k', 0x25, 0x3F, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_FALSE(Send(x, {'M', 0xDB, 0x25, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));  // 13 bytes: wrong shape
  EXPECT_TRUE(Acked(Send(x, {'M', 0xD3, 0x41, 0x22})));
  EXPECT_EQ(*Send(x, {'M', 0xD1}), (Bytes{'M', 0xD1, 0x41, 0x22}));
  EXPECT_TRUE(Acked(Send(x, {'M', 'f', 'S', 'T', 'A', 'G', 'E', ' ', 'L', 0})));
  EXPECT_EQ(*Send(x, {'M', 'e'}), (Bytes{'M', 'e', 'S', 'T', 'A', 'G', 'E', ' ', 'L', 0}));

  // The 12-character firmware answers a name write with the stored name.
  VirtualTransmitter t(Tx("ZQL21", "123"));
  Bytes name{'M', 'f'};
  for (char c : std::string("TWELVE CHARS")) name.push_back(static_cast<uint8_t>(c));
  auto a = Send(t, name);
  ASSERT_TRUE(a);
  EXPECT_EQ(Bytes(a->begin() + 2, a->end()), Bytes(name.begin() + 2, name.end()));
  EXPECT_FALSE(Send(t, {'M', 0xDB, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));  // lacks lock byte 2
  EXPECT_TRUE(Acked(Send(t, {'M', 0xDB, 0x01, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
  // Before 1.23 the firmware has no second lock byte: the 13-byte shape is the one.
  VirtualTransmitter o(Tx("ZQL21", "122"));
  EXPECT_TRUE(Acked(Send(o, {'M', 0xDB, 0x01, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
  EXPECT_FALSE(Send(o, {'M', 0xDB, 0x01, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
}

TEST(VirtualTransmitterTest, PresetsKeepWhatWasWrittenAndActivationAppliesThem) {
  VirtualTransmitter tx(Tx("ZQL21", "123", 'U'));
  ASSERT_EQ(tx.caps().presetRecordLength(), 16);
  auto info = Send(tx, {'M', '('});
  ASSERT_TRUE(info);
  ASSERT_EQ(info->size(), 4u);
  const int count = (*info)[2];
  ASSERT_GE(count, 3);
  EXPECT_EQ(tx.presetName(0).substr(0, 7), "FACTORY");
  EXPECT_EQ(tx.presetName(1).substr(0, 4), "USER");

  EXPECT_TRUE(Acked(Send(tx, {'M', 'H', 2, 'S', 'H', 'O', 'W', 0, 0, 0, 0})));
  EXPECT_EQ(*Send(tx, {'M', '8', 2}), (Bytes{'M', '8', 'S', 'H', 'O', 'W', 0, 0, 0, 0}));

  // gain -12, filter 3, pre-emphasis 1, mode 2, phase 1, PTT 3, battery 1, LED 9/0,
  // RF 2, locks: tuning+RF, don't care: battery; channel 4 of group 2; ext lock 0x21
  const Bytes record{uint8_t(-12), 3, 1, 2, 1, 3, 1, 9, 0, 2, 0x05, 0x08, 4, 2, 0x21, 0x00};
  Bytes write{'M', 'h', 2};
  write.insert(write.end(), record.begin(), record.end());
  EXPECT_TRUE(Acked(Send(tx, write)));
  auto back = Send(tx, {'M', 'X', 2});
  ASSERT_TRUE(back);
  EXPECT_EQ(Bytes(back->begin() + 2, back->end()), record);
  Bytes shortWrite(write.begin(), write.end() - 1);
  EXPECT_FALSE(Send(tx, shortWrite));
  EXPECT_FALSE(Send(tx, {'M', 'X', static_cast<uint8_t>(count)}));

  const uint8_t batteryBefore = tx.state().batteryType;
  EXPECT_TRUE(Acked(Send(tx, {'M', 'x', 2})));
  EXPECT_EQ(*Send(tx, {'M', '('}), (Bytes{'M', '(', uint8_t(count), 2}));
  EXPECT_EQ(*Send(tx, {'M', 'D'}), (Bytes{'M', 'D', uint8_t(-12), 3, 0, 1, 0}));
  EXPECT_EQ(*Send(tx, {'M', 'M'}), (Bytes{'M', 'M', 2, 1, 3}));
  EXPECT_EQ(*Send(tx, {'M', 'C'}), (Bytes{'M', 'C', 4, 2}));
  EXPECT_EQ(*Send(tx, {'M', 'P'}), (Bytes{'M', 'P', 2}));
  EXPECT_EQ(*Send(tx, {'M', 'L'}), (Bytes{'M', 'L', 9, 0}));
  EXPECT_EQ((*Send(tx, {'M', 'B'}))[2], batteryBefore);  // don't care: unchanged
  auto locks = Send(tx, {'M', 'k'});
  ASSERT_TRUE(locks);
  EXPECT_EQ((*locks)[2], 0x05);
  EXPECT_EQ((*locks)[3], 0x21);
}

}  // namespace
}  // namespace zentra::sim
