// One run of zentra-cli against one IR interface: the platform (real or simulated),
// the link, the transmitter's data model and preset store, and the steps every
// transmitter command needs first: open the interface, wait for a transmitter in front
// of the IR window (the presence probe, every 1200 ms), identify it and read it in full.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "device/CommandSet.h"
#include "device/FullRead.h"
#include "device/Presets.h"
#include "device/ServiceCommands.h"
#include "device/TDeviceData.h"
#include "link/IrLink.h"

namespace zentra::sim {
class SimWorld;
}

namespace zentra::cli {

struct GlobalOptions {
  int interfaceIndex = 0;        // entry of the interface list
  std::string port;              // serial interface at this path
  std::string simulate;          // simulator SPEC
  std::string accessCodesFile;
  double waitSeconds = 5.0;      // how long to wait for a transmitter
  bool json = false;
  bool verbose = false;
  bool batch = false;
  int batchCount = 0;            // transmitters to handle in a batch; 0 = until Ctrl-C
  ReadConfirmation confirmReads = ReadConfirmation::Auto;  // --confirm-reads
};

class Session {
 public:
  explicit Session(GlobalOptions options);
  ~Session();

  // Access codes and platform; an error message goes to stderr. Returns an exit code.
  int Setup();
  // The interfaces present (nothing is left open).
  std::vector<InterfaceEntry> ListInterfaces();
  // Lists the interfaces and opens the one chosen with --interface. Returns an exit code.
  int Connect();
  // Probes until a transmitter is identified or `seconds` pass (or Ctrl-C).
  // Returns kExitOk, kExitNoTransmitter or kExitInterrupted.
  int WaitForTransmitter(double seconds);
  // Probes until the identified transmitter stops answering; false on Ctrl-C.
  bool WaitUntilGone();
  // The full read of the identified transmitter.
  FullReadResult Read();

  const GlobalOptions& options() const { return options_; }
  IrLink& link() { return *link_; }
  TDeviceData& data() { return data_; }
  PresetStore& presets() { return presets_; }
  CommandSet& commands() { return commands_; }
  ServiceCommands& service() { return service_; }
  sim::SimWorld* world() { return world_.get(); }
  uint8_t interfaceKind() const { return selectedKind_; }

  int batchNumber = 0;  // number of the transmitter in a batch, from 1
  FullReadResult lastRead;  // the full read of the transmitter in front of the window

 private:
  void Trace(TraceDirection direction, const uint8_t* bytes, int count);

  GlobalOptions options_;
  std::shared_ptr<sim::SimWorld> world_;
  std::unique_ptr<IrLink> link_;
  TDeviceData data_;
  PresetStore presets_;
  // Commands go through this forwarder, so the link can be made after construction.
  class LinkForwarder : public Transactor {
   public:
    bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                  uint8_t& responseLength) override;
    LinkHealth* health() override { return link ? link->health() : nullptr; }
    IrLink* link = nullptr;
  } forwarder_;
  CommandSet commands_;
  ServiceCommands service_;
  uint8_t selectedKind_ = 0;
};

// Messages to the user on stderr, prefixed with the program name.
void PrintError(const std::string& message);

}  // namespace zentra::cli
