// The one primitive through which every transmitter command travels.
#pragma once

#include <cstdint>

namespace zentra {

constexpr int kMaxResponse = 255;  // the largest length a response header can announce

class Transactor {
 public:
  virtual ~Transactor() = default;

  // Carries the request bytes of one transmitter command over the open interface and
  // returns the transmitter's answer. response must hold kMaxResponse bytes;
  // responseLength is set to the number of answer bytes. Returns false on any failure
  // (nothing open, lost or garbled reply, error status); the caller then tests
  // responseLength against the length its command expects.
  virtual bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                        uint8_t& responseLength) = 0;
};

}  // namespace zentra
