#include "device/ConfirmedReads.h"

#include <cstring>

namespace zentra {

bool ConfirmingTransactor::Transact(const uint8_t* request, uint8_t requestLength,
                                    uint8_t* response, uint8_t& responseLength) {
  uint8_t other[kMaxResponse];
  responseLength = 0;
  for (int pair = 0; pair < kPairs; ++pair) {
    uint8_t n1 = 0, n2 = 0;
    if (!link_.Transact(request, requestLength, response, n1)) return false;
    if (!link_.Transact(request, requestLength, other, n2)) return false;
    if (n1 == n2 && std::memcmp(response, other, n1) == 0) {
      responseLength = n1;
      return true;
    }
  }
  return false;
}

}  // namespace zentra
