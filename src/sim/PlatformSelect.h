// Chooses the platform a program runs over: the simulator when a SPEC is given (option
// --simulate SPEC, or else the variable ZENTRA_SIMULATE), the real hardware otherwise.
#pragma once

#include <memory>
#include <string>

#include "link/Platform.h"
#include "sim/SimWorld.h"

namespace zentra {

// simulateSpec empty: falls back to ZENTRA_SIMULATE; still empty: the real platform with
// port as the explicit serial interface (empty: enumerate). With a SPEC, world receives
// the simulated world (null otherwise); a port given then names a simulated serial
// interface (e.g. simnano0) instead of enumerating.
// Returns false with error set for a bad SPEC.
bool SelectPlatform(const std::string& simulateSpec, const std::string& port, Platform& out,
                    std::shared_ptr<sim::SimWorld>& world, std::string& error);

}  // namespace zentra
