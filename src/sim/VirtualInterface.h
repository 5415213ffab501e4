// A simulated IR interface of one of the four kinds. The host side is a byte stream: the
// link writes frame bytes (direct frames for kinds 1 and 2, byte-stuffed messages for
// kinds 3 and 4) and reads the reply bytes, which become readable at their arrival time
// (latency and byte pacing). Requests for the transmitter travel over the simulated IR
// window to the transmitter standing in front of it, if any; when nothing answers over
// IR, the interface replies with an error status or not at all.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "link/LinkWait.h"
#include "link/QBProtocol.h"
#include "sim/SimSpec.h"
#include "sim/VirtualTransmitter.h"

namespace zentra::sim {

// One transmitter request as it reached the IR window.
struct LoggedRequest {
  LinkClock::time_point time;
  int interfaceIndex = 0;
  std::vector<uint8_t> request;  // the transmitter command bytes ('M', code, arguments)
  bool transmitterPresent = false;
  bool answered = false;         // the transmitter answered and the answer was not lost
};

// Status bytes a message interface replies with.
constexpr uint8_t kSimStatusNoIrAnswer = 0x45;   // nothing answered over IR
constexpr uint8_t kSimStatusUnknown = 0x43;      // unknown address or command
constexpr uint8_t kSimStatusLinkClosed = 0x47;   // serial link not opened first
constexpr uint8_t kNak = 0x15;                   // direct-frame trailer of an error reply

class VirtualInterface {
 public:
  VirtualInterface(const InterfaceSpec& spec, int index, std::vector<LoggedRequest>* log);
  ~VirtualInterface();

  SimKind kind() const { return spec_.kind; }
  int index() const { return index_; }
  const InterfaceSpec& spec() const { return spec_; }
  // USB product string (kinds 1 to 3) and the port name and friendly name (kind 4).
  std::string productString() const;
  std::string portName() const;
  std::string friendlyName() const;
  // The interface's own version text (16 characters for kinds 1 and 2, 8 for 3 and 4).
  std::string versionText() const;

  // --- host side ---
  // Bytes from the PC. Complete frames are handled at once; their replies are queued
  // with their arrival times.
  void HostWrite(const uint8_t* data, int count);
  // Number of reply bytes that have arrived by now.
  int Arrived() const;
  // True when reply bytes are queued that have not arrived yet.
  bool MoreComing() const;
  // When the next reply byte that has not arrived yet will arrive (time_point::max()
  // when none is on its way): lets a waiting reader wake exactly then.
  LinkClock::time_point NextArrival() const;
  // Takes up to max arrived bytes.
  int HostRead(uint8_t* buffer, int max);
  // Empties the reply queue and the request assembly.
  void Flush();
  // Opened and closed by the host, one opener at a time. Opening or closing empties the
  // queues; closing also ends a serial link session.
  bool OpenHost();
  void CloseHost();
  bool hostOpen() const { return hostOpen_; }

  // --- the IR window ---
  VirtualTransmitter* transmitter();  // in front of the window, or null
  bool transmitterPresent() const { return present_ && current_ >= 0; }
  // Takes the transmitter away, or brings one in front of the window: the next queued
  // transmitter when one waits after a departure, else the same one back.
  void SetTransmitterPresent(bool present);
  // A new transmitter steps in front of the window (the previous one has left).
  VirtualTransmitter& Enter(const TransmitterSpec& spec);
  void Leave() { SetTransmitterPresent(false); }
  // Every transmitter that has stood in front of this window, in order of arrival.
  int transmitterCount() const { return static_cast<int>(all_.size()); }
  VirtualTransmitter& transmitterAt(int i) { return *all_.at(i); }
  // Transmitters still waiting to arrive.
  int queuedCount() const { return static_cast<int>(queue_.size()); }

  // --- behaviour settings ---
  void SetFaults(double lossRate, double corruptRate, uint32_t seed);
  void SetLeaveAfter(int requests);  // -1: stays
  void SetSilent(bool silent) { spec_.silentWhenNoAnswer = silent; }
  void SetPacing(int latencyMs, int baud);

  // --- kind 4 link state ---
  bool linkOpen() const { return linkOpen_; }
  uint16_t parameter5() const { return param5_; }

  // Counts of what reached this interface.
  int irRequests() const { return irRequests_; }

 private:
  void HandleDirectFrames();
  void HandleMessages();
  void HandleMessage(const QBPMsg& msg);
  // Sends a request over IR; the transmitter's answer or nothing.
  bool PassToTransmitter(const uint8_t* request, int length, std::vector<uint8_t>& answer);
  void QueueReply(std::vector<uint8_t> bytes);
  void QueueMessageReply(const QBPMsg& request, uint8_t status, const uint8_t* data, int length);
  void ArriveNextIfDue();

  InterfaceSpec spec_;
  int index_;
  std::vector<LoggedRequest>* log_;
  std::vector<std::unique_ptr<VirtualTransmitter>> all_;
  int current_ = -1;
  bool present_ = false;
  std::deque<TransmitterSpec> queue_;
  int answeredSinceArrival_ = 0;
  int gapLeft_ = -1;  // >= 0: unanswered requests until the next queued transmitter arrives
  int irRequests_ = 0;
  std::mt19937 rng_;
  std::vector<uint8_t> input_;
  QBProtocol decoder_;
  struct Pending {
    uint8_t byte;
    LinkClock::time_point at;
  };
  std::deque<Pending> replies_;
  bool hostOpen_ = false;
  bool linkOpen_ = false;
  uint16_t param5_ = 0;
};

}  // namespace zentra::sim
