// Reads whose answers are confirmed by a second read. Over IR a reply now and then
// arrives with one bit flipped; when that reply still has its length and the success
// status, nothing else shows that the value is wrong. For reads only: a read changes
// nothing on the transmitter, so asking again is harmless.
#pragma once

#include "link/Transactor.h"

namespace zentra {

class ConfirmingTransactor : public Transactor {
 public:
  explicit ConfirmingTransactor(Transactor& link) : link_(link) {}
  // Sends the request twice and takes the answer when both agree; after a disagreement
  // the next pair is asked, at most three pairs. (Two of three would let two garbled
  // answers outvote a good one.) Fails when a send fails or no pair agrees.
  bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                uint8_t& responseLength) override;

 private:
  static constexpr int kPairs = 3;
  Transactor& link_;
};

}  // namespace zentra
