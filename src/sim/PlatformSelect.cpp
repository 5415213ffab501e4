#include "sim/PlatformSelect.h"

#include <cstdlib>

#include "link/RealPlatform.h"

namespace zentra {

bool SelectPlatform(const std::string& simulateSpec, const std::string& port, Platform& out,
                    std::shared_ptr<sim::SimWorld>& world, std::string& error) {
  std::string spec = simulateSpec;
  if (spec.empty()) {
    if (const char* env = std::getenv("ZENTRA_SIMULATE")) spec = env;
  }
  world.reset();
  if (!spec.empty()) {
    auto w = sim::SimWorld::FromSpec(spec, error);
    if (!w) {
      error = "--simulate: " + error;
      return false;
    }
    out = w->platform();
    out.explicitPort = port;
    world = w;
    return true;
  }
  out = MakeRealPlatform(ResolveExplicitPort(port));
  return true;
}

}  // namespace zentra
