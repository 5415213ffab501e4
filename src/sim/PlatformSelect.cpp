#include "sim/PlatformSelect.h"

#include <cstdlib>

#if __has_include("link/RealPlatform.h")
#include "link/RealPlatform.h"
#define ZENTRA_HAVE_REAL_PLATFORM 1
#endif

namespace zentra {

#ifndef ZENTRA_HAVE_REAL_PLATFORM
namespace {
// Stands in for the serial ports of a build without hardware access: nothing opens.
class NoSerialPort final : public SerialPortDevice {
 public:
  int Open(const std::string&) override { return kSerialOpenFailed; }
  void Close() override {}
  bool IsOpen() const override { return false; }
  bool Write(const uint8_t*, int) override { return false; }
  int Read(uint8_t*, int) override { return 0; }
};
class NoPorts final : public SerialPortEnumerator {
 public:
  std::vector<SerialPortInfo> Ports() override { return {}; }
};
}  // namespace
#endif

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
#ifdef ZENTRA_HAVE_REAL_PLATFORM
  out = MakeRealPlatform(ResolveExplicitPort(port));
  return true;
#else
  // Real hardware access is not built into this program yet.
  Platform p;
  p.usb = std::make_shared<NoUsbHostLibrary>();
  p.makeSerialDevice = [] { return std::unique_ptr<SerialPortDevice>(new NoSerialPort()); };
  p.ports = std::make_shared<NoPorts>();
  p.explicitPort = port;
  out = p;
  if (!port.empty()) {
    error = "serial ports are not available in this build";
    return false;
  }
  return true;
#endif
}

}  // namespace zentra
