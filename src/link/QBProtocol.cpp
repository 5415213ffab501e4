#include "link/QBProtocol.h"

#include <algorithm>
#include <cstring>

namespace zentra {

uint8_t sequenceCounter = 0;

uint8_t QBPMsg::Checksum() const {
  const int n = std::min<int>(bytes[3], kMsgMaxData) + 6;
  uint8_t sum = 0;
  for (int i = 0; i < n; ++i) sum ^= bytes[i];
  return sum;
}

void BuildMessage(QBPMsg& out, uint8_t address, uint8_t command, const uint8_t* data,
                  uint8_t length, bool useSequence) {
  const uint8_t len = std::min<uint8_t>(length, kMsgMaxData);
  QBPMsg msg;
  msg.bytes[0] = 0;
  msg.bytes[1] = address;
  msg.bytes[2] = useSequence ? sequenceCounter++ : 0;
  msg.bytes[3] = len;
  msg.bytes[4] = 0;
  msg.bytes[5] = command;
  if (data != nullptr && len != 0) std::memcpy(msg.bytes + 6, data, len);
  msg.bytes[6 + len] = msg.Checksum();
  out = msg;
}

QBProtocol::QBProtocol() { std::memset(receiveBuffer.bytes, 0xFF, kMsgSize); }

int QBProtocol::Encode(const QBPMsg& msg, uint8_t* out) const {
  const int total = std::min<int>(msg.bytes[3], kMsgMaxData) + 7;
  int n = 0;
  out[n++] = kFrameStart;
  for (int i = 0; i < total; ++i) {
    const uint8_t b = msg.bytes[i];
    if (b == kFrameEscape || b == kFrameStart || b == kFrameEnd) {
      out[n++] = kFrameEscape;
      out[n++] = b ^ 0x20;
    } else {
      out[n++] = b;
    }
  }
  out[n++] = kFrameEnd;
  return n;
}

bool QBProtocol::Decode(const uint8_t* input, int& count) {
  const int total = count;
  for (int i = 0; i < total; ++i) {
    uint8_t b = input[i];
    if (b == kFrameStart) {
      inFrame = true;
      escapePending = false;
      receivedLength = 0;
      continue;
    }
    if (!inFrame) continue;
    if (b == kFrameEnd) {
      inFrame = false;
      count = i + 1;
      return true;
    }
    if (escapePending) {
      b ^= 0x20;
      escapePending = false;
    } else if (b == kFrameEscape) {
      escapePending = true;
      continue;
    }
    if (receivedLength >= kMsgSize) {
      inFrame = false;  // over-long frame: abandon it
      continue;
    }
    receiveBuffer.bytes[receivedLength++] = b;
  }
  count = total;
  return false;
}

}  // namespace zentra
