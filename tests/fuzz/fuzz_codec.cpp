// Arbitrary bytes into the message decoder, fed in pieces as a line delivers them. A
// decoded record must stay within the record, and encoding it again must give a frame
// that decodes to the same record.
#include <cstring>

#include "FuzzRig.h"
#include "link/QBProtocol.h"

using namespace zentra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int piece = 1 + data[0] % 16;  // bytes per delivery
  QBProtocol codec;
  for (size_t off = 1; off < size;) {
    int count = static_cast<int>(std::min<size_t>(piece, size - off));
    const int offered = count;
    const bool ended = codec.Decode(data + off, count);
    FUZZ_CHECK(count >= 1 && count <= offered);
    off += static_cast<size_t>(count);
    if (!ended) continue;
    const QBPMsg& reply = codec.reply();
    if (reply.length() > kMsgMaxData) continue;  // the link refuses such a record
    QBPMsg copy = reply;
    copy.bytes[6 + copy.length()] = copy.Checksum();
    uint8_t frame[kMaxEncodedFrame];
    QBProtocol again;
    const int n = again.Encode(copy, frame);
    FUZZ_CHECK(n > 0 && n <= kMaxEncodedFrame);
    int used = n;
    FUZZ_CHECK(again.Decode(frame, used));
    FUZZ_CHECK(used == n);
    FUZZ_CHECK(std::memcmp(again.reply().bytes, copy.bytes, 7 + copy.length()) == 0);
  }
  return 0;
}
