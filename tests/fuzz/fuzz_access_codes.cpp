// Arbitrary bytes as the access-codes INI file: it is taken, or refused with a message
// and the codes left as they were; codes taken are eight printable characters.
#include <cstring>

#include "FuzzRig.h"
#include "device/AccessCodes.h"

using namespace zentra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = fuzz::ScratchFile(".ini");
  if (!fuzz::WriteFile(path, data, size)) return 0;
  const AccessCodes defaults = DefaultAccessCodes();
  AccessCodes codes = defaults;
  std::string error;
  if (!LoadAccessCodesFile(path, codes, error)) {
    FUZZ_CHECK(!error.empty());
    FUZZ_CHECK(codes.handheld == defaults.handheld && codes.bodypack == defaults.bodypack &&
               codes.service == defaults.service);
    return 0;
  }
  for (const AccessCode* c : {&codes.handheld, &codes.bodypack, &codes.service}) {
    for (uint8_t b : *c) FUZZ_CHECK(b >= 0x20 && b <= 0x7E);
  }
  return 0;
}
