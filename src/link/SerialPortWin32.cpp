// The serial port on Windows: CreateFile on \\.\COMn with overlapped I/O, the DCB set to
// 115200 baud 8N1 without flow control, DTR and RTS disabled, and read timeouts that make
// a read return at once with what is buffered or wait up to 500 ms for the first byte.
#include <windows.h>

#include <algorithm>

#include "link/LinkWait.h"
#include "link/NativeSerialPort.h"
#include "link/OverlappedIoWin32.h"

namespace zentra {

namespace {

constexpr int kSettleAfterOpenMs = 60;  // the line settles before the first frame
// A read's own timeout ends it; the wait for its completion allows a little more.
constexpr int kCompletionSlackMs = 100;

class Win32SerialPort final : public SerialPortDevice {
 public:
  ~Win32SerialPort() override { Close(); }

  int Open(const std::string& nameOrPath) override {
    Close();
    // "COM12" is a device of the \\.\ name space; a path given whole is taken as it is.
    const std::string path =
        nameOrPath.rfind("\\\\", 0) == 0 ? nameOrPath : "\\\\.\\" + nameOrPath;
    handle_ = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE || !io_.Ready()) return Fail(kSerialOpenFailed);
    io_.Attach(handle_);
    if (!PurgeComm(handle_, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
      return Fail(kSerialPurgeFailed);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(handle_, &dcb)) return Fail(kSerialReadSettingsFailed);
    dcb.BaudRate = CBR_115200;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.XonLim = 2;
    dcb.XoffLim = 4;
    dcb.XonChar = 0x13;
    dcb.XoffChar = 0x19;
    dcb.EvtChar = 0;
    COMMTIMEOUTS timeouts{};
    GetCommTimeouts(handle_, &timeouts);
    timeouts_ = timeouts;
    SetReadWait(kSerialReadWaitMs);  // not tested: the port works with what it has
    if (!SetCommState(handle_, &dcb)) return Fail(kSerialApplySettingsFailed);
    WaitMs(kSettleAfterOpenMs);
    return kSerialOpenOk;
  }

  void Close() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    io_.Attach(INVALID_HANDLE_VALUE);
    readWaitMs_ = -1;
  }

  bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

  bool Write(const uint8_t* data, int count) override {
    if (!IsOpen() || count < 0 || (count > 0 && data == nullptr)) return false;
    if (io_.Write(data, count, kSerialIoWaitMs)) return true;
    // Not sent in time: drop the rest so it cannot arrive as part of a later frame.
    PurgeComm(handle_, PURGE_TXABORT | PURGE_TXCLEAR);
    return false;
  }

  int Read(uint8_t* buffer, int count) override {
    return ReadWithin(buffer, count, kSerialReadWaitMs);
  }

  int ReadWithin(uint8_t* buffer, int count, int waitMs) override {
    if (!IsOpen() || buffer == nullptr || count <= 0) return 0;
    const int wait = std::clamp(waitMs, 0, kSerialReadWaitMs);
    SetReadWait(wait);
    bool lost = false;
    const int n = io_.Read(buffer, count, std::min(wait + kCompletionSlackMs, kSerialIoWaitMs), &lost);
    // A port that went away (unplugged interface) is closed, so later calls fail at once.
    if (lost) Close();
    return n;
  }

 private:
  int Fail(int code) {
    Close();
    return code;
  }

  // The read timeouts for a wait of ms for the first byte: interval and multiplier
  // MAXDWORD with a constant make a read return as soon as one byte is there; all three
  // at MAXDWORD, 0, 0 make it return at once with what is buffered. Wine's serial layer
  // does not know the first of these (its read then waits to fill the whole buffer), so
  // under Wine a read ends 2 ms after the last byte that came instead: a reply's bytes
  // follow each other far closer than that.
  void SetReadWait(int ms) {
    if (ms == readWaitMs_) return;
    COMMTIMEOUTS t = timeouts_;
    t.ReadIntervalTimeout = ms > 0 && UnderWine() ? 2 : MAXDWORD;
    t.ReadTotalTimeoutMultiplier = ms > 0 && !UnderWine() ? MAXDWORD : 0;
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(ms);
    if (SetCommTimeouts(handle_, &t)) readWaitMs_ = ms;
  }

  // Wine's ntdll names itself through an export of its own.
  static bool UnderWine() {
    static const bool wine = [] {
      HMODULE ntdll = GetModuleHandleA("ntdll.dll");
      return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
  }

  HANDLE handle_ = INVALID_HANDLE_VALUE;
  OverlappedIo io_;
  COMMTIMEOUTS timeouts_{};
  int readWaitMs_ = -1;
};

}  // namespace

std::unique_ptr<SerialPortDevice> MakeNativeSerialPort() {
  return std::make_unique<Win32SerialPort>();
}

}  // namespace zentra
