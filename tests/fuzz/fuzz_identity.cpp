// Sixteen arbitrary bytes as the transmitter's identity: the quick and the full
// identification must not fail on any of them, and a full identification that finds no
// model must leave nothing of the transmitter identified before.
#include <string>

#include "FuzzRig.h"
#include "device/Identification.h"

using namespace zentra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) return 0;
  const std::string identity(reinterpret_cast<const char*>(data), 16);
  TDeviceData quick;
  const bool known = IdentifyModel(quick, identity);
  FUZZ_CHECK(known == (quick.modelType != 0));

  // Full identification over the data of another transmitter.
  TDeviceData full;
  const std::string other = "ZQL22X    129 B1";
  FUZZ_CHECK(IdentifyCapabilities(full, other));
  const bool matched = IdentifyCapabilities(full, identity);
  const bool whole = identity.find('\0') == std::string::npos;  // else nothing is done
  if (whole && !matched) {
    FUZZ_CHECK(!full.presetsSupported && !full.syncSupported && !full.channelFlagsSupported &&
               !full.txNameSupported && !full.hiddenMenuSupported);
  }
  (void)VersionNumber(identity);
  (void)VersionNumber(std::string(reinterpret_cast<const char*>(data), size));
  return 0;
}
