// A Transactor for tests: records every request and answers from a script. Each
// scripted answer gives the success flag and the answer bytes; when the script runs
// out the link fails (no answer, length 0). An optional responder computes answers
// from the request instead (used when no scripted answer is queued).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "link/Transactor.h"

namespace zentra::test {

using Bytes = std::vector<uint8_t>;

struct FakeAnswer {
  bool ok = true;
  Bytes bytes;
};

class FakeTransactor : public Transactor {
 public:
  // Queues an answer of the given bytes (r[0], r[1] included).
  void Answer(Bytes bytes, bool ok = true) { script.push_back({ok, std::move(bytes)}); }
  // Queues an answer whose values start at r[2]: two filler bytes are put in front.
  void AnswerValues(const Bytes& values) {
    Bytes b{0x00, 0x00};
    b.insert(b.end(), values.begin(), values.end());
    Answer(std::move(b));
  }
  void Ack() { Answer({0x00, 0x00, 0x06}); }
  void Nak() { Answer({0x00, 0x00, 0x15}); }
  void Fail() { Answer({}, false); }

  bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                uint8_t& responseLength) override {
    requests.emplace_back(request, request + requestLength);
    FakeAnswer a;
    if (!script.empty()) {
      a = std::move(script.front());
      script.pop_front();
    } else if (responder) {
      a = responder(requests.back());
    } else {
      a.ok = false;
    }
    size_t n = a.bytes.size() > 255 ? 255 : a.bytes.size();
    for (size_t i = 0; i < n; ++i) response[i] = a.bytes[i];
    responseLength = static_cast<uint8_t>(n);
    return a.ok;
  }

  std::deque<FakeAnswer> script;
  std::function<FakeAnswer(const Bytes&)> responder;
  std::vector<Bytes> requests;
};

}  // namespace zentra::test
