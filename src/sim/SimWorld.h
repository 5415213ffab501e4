// The simulated setup that tests and programs hold: the IR interfaces attached to the
// simulated PC, the transmitters in front of their windows, and the platform seams (USB
// host library, serial ports, port enumeration) through which the real link reaches
// them. The link, codec, retries and commands above the seams run unchanged.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/Platform.h"
#include "sim/SimSpec.h"
#include "sim/VirtualInterface.h"
#include "sim/VirtualTransmitter.h"

namespace zentra::sim {

class SimWorld : public std::enable_shared_from_this<SimWorld> {
 public:
  // Builds the world a SPEC describes (SimSpec.h); null with error set on a bad SPEC.
  static std::shared_ptr<SimWorld> FromSpec(const std::string& spec, std::string& error);
  static std::shared_ptr<SimWorld> FromSpec(const SimSpec& spec);

  // Seams for one link: a simulated USB host library (kinds 1 to 3, in SPEC order as
  // device numbers 0, 1, ...), simulated serial ports and their enumeration (kind 4,
  // friendly names such as "DGLnano (simnano0)"). The seams keep the world alive.
  // overUsbBus: the USB host library is the one of real hosts (LibusbHostLibrary)
  // over the world's simulated USB bus (SimUsbBus.h); without the argument, as the
  // SPEC chose (option libusb).
  Platform platform();
  Platform platform(bool overUsbBus);

  // How a USB interface sits on the simulated USB bus.
  struct UsbPlug {
    bool plugged = true;
    bool accessDenied = false;  // opening fails: no permission (option no-access)
    bool enabled = false;       // the host has sent the enabling request
    int generation = 0;         // counts unplugs: handles of an earlier plug-in stay dead
    std::vector<std::string> controlRequests;  // "40 02 0002 0000", in order
  };
  UsbPlug& usbPlug(int i) { return usbPlugs_.at(static_cast<size_t>(i)); }
  // Pulls the USB device of interface i out (its open handles fail from then on) or
  // plugs it back in.
  void SetUsbPlugged(int i, bool plugged);

  int interfaceCount() const { return static_cast<int>(interfaces_.size()); }
  VirtualInterface& interface(int i = 0) { return *interfaces_.at(i); }
  // The transmitter in front of interface i, or null.
  VirtualTransmitter* transmitter(int i = 0) { return interface(i).transmitter(); }

  void SetTransmitterPresent(bool present, int i = 0) { interface(i).SetTransmitterPresent(present); }
  VirtualTransmitter& Enter(const TransmitterSpec& spec, int i = 0) { return interface(i).Enter(spec); }
  void Leave(int i = 0) { interface(i).Leave(); }
  void SetFaults(double lossRate, double corruptRate, uint32_t seed, int i = 0) {
    interface(i).SetFaults(lossRate, corruptRate, seed);
  }

  // Every transmitter request that reached an IR window, with its time.
  const std::vector<LoggedRequest>& requestLog() const { return log_; }
  void ClearRequestLog() { log_.clear(); }

  // USB read and write timeouts last set through any simulated USB library (ms).
  uint32_t usbReadTimeoutMs = 2000;
  uint32_t usbWriteTimeoutMs = 2000;

 private:
  SimWorld() = default;
  std::vector<std::unique_ptr<VirtualInterface>> interfaces_;
  std::vector<UsbPlug> usbPlugs_;
  bool overUsbBus_ = false;
  std::vector<LoggedRequest> log_;
};

}  // namespace zentra::sim
