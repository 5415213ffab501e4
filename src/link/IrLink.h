// The link to the IR interface: discovery of the interfaces present, opening and closing
// the chosen one, and Transact, which carries every transmitter request over the open
// interface in the framing its kind needs. One object, owned by the window or by the
// command-line tool; it holds the link state and the message codec.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/Platform.h"
#include "link/QBProtocol.h"
#include "link/Transactor.h"
#include "link/Tserial.h"

namespace zentra {

// InterfaceKind: 0 none; 1 ZRV510 (USB, direct frames '0'); 2 dgl700 (USB, direct
// frames 'U'); 3 USB message interface; 4 DGLnano (messages over a serial port).
enum InterfaceKind : uint8_t {
  kKindNone = 0,
  kKindZrv510 = 1,
  kKindDgl700 = 2,
  kKindUsbMessage = 3,
  kKindDglNano = 4,
};

// The kind a USB interface's product string (option 0) names: kKindDgl700 when it
// contains "dgl700" (tested first), kKindZrv510 for "zrv510", else kKindNone (then only
// the probe tells whether it is a message interface).
uint8_t KindNamedByProductString(const std::string& text);

struct InterfaceEntry {
  std::string text;           // the version text the interface reported; empty if it failed
  uint8_t kind = kKindNone;   // the entry's InterfaceKind
  uint32_t deviceNumber = 0;  // USB device number it was found at (kinds 1 to 3)
};

// Debug pacing of USB message exchanges (the hidden "Debug" box); off by default.
struct LinkDebugSettings {
  bool singleMessage = false;   // ask before each message ("Press OK to continue")
  bool messageDelay = false;    // wait messageDelayMs before each message
  int messageDelayMs = 0;
};

enum class TraceDirection { Request, Answer, Failure };

class IrLink : public Transactor {
 public:
  explicit IrLink(Platform platform);
  ~IrLink() override;
  IrLink(const IrLink&) = delete;
  IrLink& operator=(const IrLink&) = delete;

  // --- indicators and observers (all optional) ---
  std::function<void(bool)> onActivity;  // ledActivity
  std::function<void(bool)> onError;     // ledError
  // Called before each USB message when debug single-message pacing is on; the front
  // end shows "Press OK to continue" (title "Msg Wait") and returns when it is closed.
  std::function<void()> onSingleMessageWait;
  // Every Transact request and answer (or failure), for logs such as --verbose.
  std::function<void(TraceDirection, const uint8_t*, int)> onTrace;

  // --- discovery and connection ---
  // These never run an exchange inside a running transaction (a device notice or timer
  // handled while the link waits): there, CloseInterface only closes the handles,
  // BuildInterfaceList closes and returns an empty list, and OpenSelectedInterface
  // fails; the caller rebuilds or connects again once the link is idle.
  //
  // Lists the interfaces present; nothing is left open afterwards. A DGLnano found on
  // a serial port (or the explicit port) means no USB scan at all.
  std::vector<InterfaceEntry> BuildInterfaceList();
  // Opens the entry at index of entries (kind 4 with its serial handshake).
  bool OpenSelectedInterface(const std::vector<InterfaceEntry>& entries, int index);
  // Closes whatever is open (serial: SerialLinkClose first).
  void CloseInterface();
  // Version text of the open interface; empty on failure.
  std::string QueryInterfaceVersion();
  // Kind-3 probe message over USB; true when answered with the success status.
  bool ProbeMessageInterface();

  enum class ConnectResult { Connected, Failed, FirmwareUnsupported };
  // The link part of the Connect button: OpenSelectedInterface, then for kind 1 the
  // firmware check ("112" at characters 11 to 13 of the version text). On
  // FirmwareUnsupported the handle is closed again; the front end shows
  // kFirmwareUnsupportedMessage with title "ERROR".
  ConnectResult Connect(const std::vector<InterfaceEntry>& entries, int index);

  // --- serial port ---
  std::string FindSerialInterfacePort();
  std::vector<std::string> EnumerateComPorts();  // friendly names, at most 16
  bool OpenSerialPort(const std::string& name);
  void CloseSerialPort();

  // --- transactions ---
  bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                uint8_t& responseLength) override;
  LinkHealth* health() override { return &linkHealth; }
  bool UsbMessageExchange(const QBPMsg& msg);
  bool SerialMessageExchange(const QBPMsg& msg);
  bool UsbMessageTransact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                          uint8_t& responseLength);
  bool SerialMessageTransact(const uint8_t* request, uint8_t requestLength,
                             uint8_t* response, uint8_t& responseLength);
  bool ReceiveSerialFrame();
  void AssembleSerialBytes(const uint8_t* bytes, int count);

  bool IsOpen() const { return usbHandle != 0 || serialOpen; }
  // True while a transaction or exchange is running; the presence poll steps aside and
  // a nested Transact fails at once without sending.
  bool InTransaction() const { return inTransaction_ > 0; }

  UsbHostLibrary& usb() { return *platform_.usb; }
  const Platform& platform() const { return platform_; }

  // How long one serial reply is waited for (500 ms; see SerialReceiveWaitMs).
  int serialReceiveWaitMs;

  // --- link state ---
  SiHandle usbHandle = 0;
  uint8_t interfaceKind = kKindNone;
  std::string serialPortName;
  bool serialOpen = false;
  bool serialBusy = false;
  bool rxTimedOut = true;
  bool frameComplete = false;
  QBProtocol protocol;
  LinkDebugSettings debug;
  // Faults of this connection and the read-confirmation mode (cleared by each open).
  LinkHealth linkHealth;

 private:
  Platform platform_;

 public:
  Tserial serialPort;

 private:
  // Serial receive state: assembly and frame buffers hold the longest frame (130).
  uint8_t assembly_[kMaxEncodedFrame] = {};
  int assemblyCount_ = 0;
  uint8_t frame_[kMaxEncodedFrame] = {};
  int frameLength_ = 0;
  int inTransaction_ = 0;

  // Marks the link busy for the lifetime of one exchange or transaction.
  class BusyScope {
   public:
    explicit BusyScope(IrLink& link) : link_(link) { ++link_.inTransaction_; }
    ~BusyScope() { --link_.inTransaction_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

   private:
    IrLink& link_;
  };

  bool DirectFrameTransact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                           uint8_t& responseLength);
  bool PassThroughTransact(bool overUsb, const uint8_t* request, uint8_t requestLength,
                           uint8_t* response, uint8_t& responseLength);
  // True when the decoded reply holds its whole header, all the data bytes its length
  // byte announces and the checksum over them, the checksum matches, and it carries the
  // success status.
  bool ReplySucceeded() const;
  std::string ReplyText(int maxChars) const;
  std::string DirectVersionText();
  bool SimpleSerialExchange(uint8_t command, const uint8_t* data, uint8_t length);
  void FlushUsb();
  void SetActivity(bool on) { if (onActivity) onActivity(on); }
  void SetError(bool on) { if (onError) onError(on); }
};

inline constexpr const char* kFirmwareUnsupportedMessage =
    "Device version unsupported!\nUpdate Firmware!";

}  // namespace zentra
