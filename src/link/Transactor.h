// The one primitive through which every transmitter command travels.
#pragma once

#include <cstdint>

#include "link/LinkHealth.h"

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

  // The fault record of the link the requests travel over (see LinkHealth.h); null for
  // a transactor that keeps none. Wrappers hand on the record of the link they wrap.
  virtual LinkHealth* health() { return nullptr; }
};

// A fault the caller saw in an answer that Transact delivered (a refused
// acknowledgement, a wrong length, an implausible value).
inline void NoteFault(Transactor& link) {
  if (LinkHealth* h = link.health()) h->NoteFault();
}

}  // namespace zentra
