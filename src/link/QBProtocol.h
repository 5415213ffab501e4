// Message codec of the message interfaces (USB message interface and the serial DGLnano):
// a small record (address, sequence, length, status, command, data, checksum) sent as a
// byte-stuffed frame between a start mark 0xC0 and an end mark 0xC1.
#pragma once

#include <cstdint>

namespace zentra {

constexpr uint8_t kFrameStart = 0xC0;
constexpr uint8_t kFrameEnd = 0xC1;
constexpr uint8_t kFrameEscape = 0x7D;
constexpr uint8_t kStatusSuccess = 0x40;
constexpr int kMsgSize = 64;            // a whole record
constexpr int kMsgMaxData = 57;         // data bytes a record can carry
constexpr int kMaxEncodedFrame = 130;   // longest frame Encode can produce

// The 64-byte message record. Requests are built by BuildMessage; replies are read
// from QBProtocol's receive buffer, which has the same layout.
struct QBPMsg {
  uint8_t bytes[kMsgSize] = {};

  uint8_t address() const { return bytes[1]; }
  uint8_t sequence() const { return bytes[2]; }
  uint8_t length() const { return bytes[3]; }
  uint8_t status() const { return bytes[4]; }
  uint8_t command() const { return bytes[5]; }
  const uint8_t* data() const { return bytes + 6; }

  // XOR of the header and the data bytes (the first length + 6 bytes).
  uint8_t Checksum() const;
};

// Process-wide sequence counter; BuildMessage with a sequence takes its value and then
// increments it, wrapping from 255 to 0.
extern uint8_t sequenceCounter;

// Fills a whole record: reserved 0, address, sequence (counter, post-increment) or 0,
// length, status 0, command, data and checksum. A length above 57 is cut to 57, the
// most a 64-byte record can carry with its checksum.
void BuildMessage(QBPMsg& out, uint8_t address, uint8_t command, const uint8_t* data,
                  uint8_t length, bool useSequence);

class QBProtocol {
 public:
  QBProtocol();

  // Writes the frame of msg (length + 7 record bytes, stuffed) into out, which must
  // hold kMaxEncodedFrame bytes. Returns the number of bytes written.
  int Encode(const QBPMsg& msg, uint8_t* out) const;

  // Feeds received bytes to the decoder. Returns true when a frame ended in this input;
  // count is then set to the number of bytes consumed (up to and including the end
  // mark), otherwise to the whole input. The decoder state carries over between calls.
  bool Decode(const uint8_t* input, int& count);

  // The decoded reply, valid after Decode returned true.
  const QBPMsg& reply() const { return receiveBuffer; }

  int32_t receivedLength = 0;
  bool inFrame = false;
  bool escapePending = false;
  QBPMsg receiveBuffer;
  uint8_t transmitArea[kMaxEncodedFrame] = {};
};

}  // namespace zentra
