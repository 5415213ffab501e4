// The overlapped read and write logic of the Windows serial backend, against a named
// pipe: a pipe has no read timeouts of its own, so every bound here is the backend's own
// wait and its cancellation.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/NativeSerialPort.h"
#include "link/OverlappedIoWin32.h"
#include "link/Tserial.h"

using namespace zentra;

namespace {

using Bytes = std::vector<uint8_t>;

long long MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now() - start).count();
}

// A pipe whose server end the test writes and reads directly; the client end is opened
// for overlapped I/O as the backend opens a COM port.
struct PipePair {
  HANDLE server = INVALID_HANDLE_VALUE;
  HANDLE client = INVALID_HANDLE_VALUE;
  std::string name;
  explicit PipePair(DWORD bufferBytes, bool openClient = true) {
    static int serial = 0;
    name = "\\\\.\\pipe\\zentra-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++serial);
    server = CreateNamedPipeA(name.c_str(), PIPE_ACCESS_DUPLEX,
                              PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, bufferBytes,
                              bufferBytes, 0, nullptr);
    if (!openClient) return;
    client = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
  }
  ~PipePair() {
    if (client != INVALID_HANDLE_VALUE) CloseHandle(client);
    if (server != INVALID_HANDLE_VALUE) CloseHandle(server);
  }
  bool ok() const { return server != INVALID_HANDLE_VALUE && client != INVALID_HANDLE_VALUE; }
  bool serverOk() const { return server != INVALID_HANDLE_VALUE; }
  void Send(const Bytes& bytes) const {
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(server, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                          nullptr));
    ASSERT_EQ(written, bytes.size());
  }
  Bytes Receive(size_t count) const {
    Bytes got(count);
    DWORD n = 0;
    if (!ReadFile(server, got.data(), static_cast<DWORD>(count), &n, nullptr)) n = 0;
    got.resize(n);
    return got;
  }
};

const Bytes kFrame = {0xC0, 0x00, 0x0A, 0x0D, 0x11, 0x13, 0x1A, 0x00, 0xFF, 0xC1};

}  // namespace

TEST(OverlappedIo, ReadsWhatArrivedAndGivesUpOnSilenceWithoutLosingLaterBytes) {
  PipePair pipe(4096);
  ASSERT_TRUE(pipe.ok());
  OverlappedIo io;
  io.Attach(pipe.client);
  ASSERT_TRUE(io.Ready());

  pipe.Send(kFrame);
  uint8_t buffer[64];
  EXPECT_EQ(Bytes(buffer, buffer + io.Read(buffer, sizeof buffer, 500)), kFrame);

  // Nothing comes: the pending read is cancelled once its wait expires.
  const auto start = std::chrono::steady_clock::now();
  bool lost = true;
  EXPECT_EQ(io.Read(buffer, sizeof buffer, 200, &lost), 0);
  EXPECT_FALSE(lost);
  EXPECT_GE(MsSince(start), 190);
  EXPECT_LT(MsSince(start), 20000);  // only a hang counts on a loaded machine

  // The cancelled read took nothing with it: the next bytes reach the next read whole.
  pipe.Send(kFrame);
  EXPECT_EQ(Bytes(buffer, buffer + io.Read(buffer, sizeof buffer, 500)), kFrame);
}

TEST(OverlappedIo, WriteCompletesOrFailsWithinItsWait) {
  // A pipe buffer of one frame: a write that does not fit stays pending until the far
  // end reads, which it never does here.
  PipePair pipe(16);
  ASSERT_TRUE(pipe.ok());
  OverlappedIo io;
  io.Attach(pipe.client);
  ASSERT_TRUE(io.Write(kFrame.data(), static_cast<int>(kFrame.size()), 600));
  EXPECT_EQ(pipe.Receive(kFrame.size()), kFrame);

  const Bytes big(64 * 1024, 0x55);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(io.Write(big.data(), static_cast<int>(big.size()), 200));
  EXPECT_GE(MsSince(start), 190);
  EXPECT_LT(MsSince(start), 20000);
}

TEST(OverlappedIo, FarEndGoneIsReportedAsLost) {
  PipePair pipe(4096);
  ASSERT_TRUE(pipe.ok());
  OverlappedIo io;
  io.Attach(pipe.client);
  CloseHandle(pipe.server);
  pipe.server = INVALID_HANDLE_VALUE;
  uint8_t buffer[8];
  bool lost = false;
  EXPECT_EQ(io.Read(buffer, sizeof buffer, 200, &lost), 0);
  EXPECT_TRUE(lost);
  EXPECT_FALSE(io.Write(kFrame.data(), static_cast<int>(kFrame.size()), 200));
}

TEST(Win32SerialPort, PortsThatAreNotThereOrNotSerialDoNotOpen) {
  Tserial port([] { return MakeNativeSerialPort(); });
  EXPECT_EQ(port.Open("COM250"), kSerialOpenFailed);
  EXPECT_FALSE(port.IsOpen());
  // A pipe opens, but it is no serial line: the open fails at purging or reading the
  // line settings and leaves the port closed.
  PipePair pipe(4096, false);
  ASSERT_TRUE(pipe.serverOk());
  const int result = port.Open(pipe.name);
  EXPECT_TRUE(result == kSerialPurgeFailed || result == kSerialReadSettingsFailed) << result;
  EXPECT_FALSE(port.IsOpen());
  // The enumeration runs on any Windows (and Wine) without failing; what it lists
  // depends on the machine.
  for (const SerialPortInfo& info : MakeNativePortEnumerator()->Ports())
    EXPECT_NE(info.friendlyName.find("(" + info.portName + ")"), std::string::npos);
}
