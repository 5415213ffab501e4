// Arbitrary text as a simulation SPEC (--simulate, ZENTRA_SIMULATE, zentra-sim --spec):
// it parses or is refused with a message, and a SPEC that parses builds its world.
#include <string>

#include "FuzzRig.h"
#include "sim/SimSpec.h"
#include "sim/SimWorld.h"

using namespace zentra;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  sim::SimSpec spec;
  std::string error;
  if (!sim::ParseSimSpec(text, spec, error)) {
    FUZZ_CHECK(!error.empty());
    return 0;
  }
  FUZZ_CHECK(!spec.interfaces.empty());
  // Building a world is bounded by what the SPEC names; keep huge ones out of the loop.
  if (spec.interfaces.size() > 8) return 0;
  auto world = sim::SimWorld::FromSpec(text, error);
  FUZZ_CHECK(world != nullptr);
  sim::TransmitterSpec one;
  std::string oneError;
  if (!sim::ParseTransmitterSpec(text, one, oneError)) FUZZ_CHECK(!oneError.empty());
  return 0;
}
