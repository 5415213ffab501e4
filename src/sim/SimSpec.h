// The text that describes a simulated setup: which IR interfaces are attached, which
// transmitter stands in front of each window, and how the simulated world misbehaves.
//
//   SPEC      := INTERFACE { "+" INTERFACE }
//   INTERFACE := KIND ":" TX { "," OPTION }
//   KIND      := zrv510 | dgl700 | usbmsg | nano
//   TX        := MODEL [ "@" VERSION ] [ "/" VARIANT ]
//   MODEL     := ZQK120 ZQL11 ZQL12 ZQL21 ZQK220 ZQL22 ZQN21 ZQL21X ZQN21X ZQL22X ZQK230
//   VERSION   := three digits (default 129);  VARIANT := one identity letter (P, R, U ...)
//
// Options (each applies to the interface it follows):
//   empty                 no transmitter in front of the window at start; the first one
//                         steps in only when a test or a demo command brings it
//   next=TX               a further transmitter that arrives after the current one left
//                         (repeatable: a queue of transmitters, one after another; the
//                         table, preset and serial options apply to all of them)
//   gap=N                 unanswered requests between a departure and the next arrival (3)
//   leave-after=N         each transmitter leaves after answering N requests
//   groups=G channels=C   frequency table size (1..40 groups, 1..60 channels)
//   presets=N             number of presets on the transmitter (0..10)
//   serial=TEXT           serial number (up to 10 characters)
//   firmware=NNN          kind-1 firmware digits (default 112); old-firmware = 111
//   silent                with nothing answering over IR, the interface does not reply
//                         at all (default: it replies with an error status)
//   loss=P corrupt=P      rates (0..1) of replies lost over IR and of corrupted bytes
//   seed=N                seed of the fault generator (default 1)
//   latency=MS            delay before the first byte of every reply
//   baud=B                byte pacing of replies (10 bits a byte; 0 = no pacing)
//   port=NAME             port name of a nano interface (default simnano0, simnano1 ...)
//   libusb                the USB interfaces sit on a simulated USB bus and are driven
//                         through the host library of real hosts (for every USB
//                         interface of the SPEC, whichever names it)
//   no-access             on that bus this interface's device cannot be opened (no
//                         permission); implies libusb
//
// Example: "nano:ZQL22X@129", "zrv510:ZQL21@123/U,groups=8,channels=16",
//          "usbmsg:ZQK220,empty,next=ZQL21@123/U,next=ZQK230@129"
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zentra::sim {

enum class SimKind : uint8_t { Zrv510 = 1, Dgl700 = 2, UsbMessage = 3, Nano = 4 };

struct TransmitterSpec {
  std::string model = "ZQL22X";  // one of the model names above
  std::string version = "129";   // three digits, placed at identity positions 10..12
  char variant = 0;              // identity letter at position 6, 0 = none
  int groups = 0;                // 0 = the model's default table size
  int channels = 0;
  int presets = -1;              // -1 = the model's default preset count
  std::string serial;            // empty = a serial made from the model name
};

struct InterfaceSpec {
  SimKind kind = SimKind::Nano;
  bool present = true;                 // a transmitter is in front of the window at start
  std::vector<TransmitterSpec> transmitters;  // [0] in front (or first to arrive), then queue
  int gapRequests = 3;
  int leaveAfter = -1;                 // -1 = stays
  std::string firmware = "112";        // kind 1 only
  bool silentWhenNoAnswer = false;     // no reply instead of an error status
  double lossRate = 0.0;
  double corruptRate = 0.0;
  uint32_t seed = 1;
  int latencyMs = 0;
  int baud = 0;                        // 0 = replies arrive at once
  std::string portName;                // nano only; empty = simnanoN
  bool overUsbBus = false;             // libusb (USB kinds only)
  bool usbAccessDenied = false;        // no-access (USB kinds only)
};

struct SimSpec {
  std::vector<InterfaceSpec> interfaces;
};

// Known model names, in the order shown in help texts.
const std::vector<std::string>& SimModelNames();

// Parses one transmitter "MODEL[@VERSION][/VARIANT]".
bool ParseTransmitterSpec(const std::string& text, TransmitterSpec& out, std::string& error);

// Parses a whole SPEC. On failure error names the offending part and out is unchanged.
bool ParseSimSpec(const std::string& text, SimSpec& out, std::string& error);

// One-paragraph description of the SPEC syntax for --help texts.
std::string SimSpecHelp();

}  // namespace zentra::sim
