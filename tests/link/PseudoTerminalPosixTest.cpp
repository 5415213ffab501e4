// The real serial path on a pseudo-terminal pair: Tserial over the termios backend on the
// terminal side, the test playing the DGLnano on the controlling side.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include <gtest/gtest.h>

#include "link/IrLink.h"
#include "link/LinkFakes.h"
#include "link/LinkWait.h"
#include "link/NativeSerialPort.h"
#include "link/RealPlatform.h"

using namespace zentra;
using namespace zentra::fakes;

namespace {

struct PseudoTerminal {
  int master = -1;
  std::string slave;
  PseudoTerminal() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
    slave = ptsname(master);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
  }
  ~PseudoTerminal() {
    if (master >= 0) close(master);
  }
  // Reads from the controlling side until want bytes came or ten seconds passed.
  Bytes ReadMaster(size_t want) const {
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (got.size() < want && std::chrono::steady_clock::now() < deadline) {
      pollfd p{master, POLLIN, 0};
      if (poll(&p, 1, 20) <= 0) continue;
      uint8_t buf[256];
      const ssize_t n = read(master, buf, sizeof buf);
      if (n > 0) got.insert(got.end(), buf, buf + n);
    }
    return got;
  }
};

// Runs onReadable from inside the link's waits whenever the controlling side has bytes
// to read, as the window's socket notifiers would run there.
class MasterWatch {
 public:
  MasterWatch(const int& master, std::function<void()> onReadable)
      : master_(master), onReadable_(std::move(onReadable)) {
    previous_ = SetWaitEventHook([this](std::chrono::milliseconds) {
      if (master_ < 0 || !onReadable_) return;
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0) return;
      auto action = onReadable_;  // a copy runs, so that the action may stop the watch
      action();
    });
  }
  ~MasterWatch() { SetWaitEventHook(std::move(previous_)); }
  void Stop() { onReadable_ = nullptr; }

 private:
  const int& master_;
  std::function<void()> onReadable_;
  WaitEventHook previous_;
};

// Bytes that a terminal line discipline would swallow or translate.
const Bytes kAwkward = {0x0A, 0x0D, 0x11, 0x13, 0x03, 0x1A, 0x7F, 0x00, 0xC0, 0xC1, 0xFF};

}  // namespace

TEST(PseudoTerminal, TserialCarriesEveryByteValueBothWays) {
  PseudoTerminal pty;
  ASSERT_FALSE(pty.slave.empty());
  Tserial port([] { return MakeNativeSerialPort(); });
  ASSERT_EQ(port.Open(pty.slave), kSerialOpenOk);
  ASSERT_TRUE(port.IsOpen());
  // No sharing: a second open of the same port is refused while the first holds it.
  Tserial second([] { return MakeNativeSerialPort(); });
  EXPECT_EQ(second.Open(pty.slave), kSerialOpenFailed);

  ASSERT_EQ(write(pty.master, kAwkward.data(), kAwkward.size()),
            static_cast<ssize_t>(kAwkward.size()));
  Bytes got;
  uint8_t buf[64];
  for (int i = 0; i < 20 && got.size() < kAwkward.size(); ++i) {
    const int n = port.Read(buf, sizeof buf);
    got.insert(got.end(), buf, buf + n);
  }
  EXPECT_EQ(got, kAwkward);

  ASSERT_TRUE(port.Write(kAwkward.data(), static_cast<int>(kAwkward.size())));
  EXPECT_EQ(pty.ReadMaster(kAwkward.size()), kAwkward);

  // Nothing arriving: the read gives up after about half a second.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.Read(buf, sizeof buf), 0);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(ms, 450);
  EXPECT_LE(ms, 20000);  // a real terminal on a loaded machine: only a hang counts

  port.Close();
  EXPECT_FALSE(port.IsOpen());
  EXPECT_NE(port.Open("/nonexistent/zentra-port"), kSerialOpenOk);
  EXPECT_FALSE(port.IsOpen());
}

TEST(PseudoTerminal, DglnanoOnAnExplicitPortIsListedConnectedAndCarriesRequests) {
  PseudoTerminal pty;
  ASSERT_FALSE(pty.slave.empty());
  // The controlling side answers like a DGLnano, from inside the link's waits.
  QBProtocol decoder;
  MasterWatch watch(pty.master, [&] {
    uint8_t buf[256];
    const ssize_t n = read(pty.master, buf, sizeof buf);
    for (int off = 0; off < n;) {
      int count = static_cast<int>(n) - off;
      const bool done = decoder.Decode(buf + off, count);
      off += count;
      if (!done) continue;
      const QBPMsg& m = decoder.reply();
      Bytes reply;
      if (m.command() == 0x02)
        reply = ReplyFrame(kStatusSuccess, {'N', 'A', 'N', 'O', 'P', 'T', 'Y', '1'});
      else if (m.command() == 0x11 && m.data()[0] == 0x06)
        reply = ReplyFrame(kStatusSuccess, {0x06, 0x00, 0x00, 0x06});
      else
        reply = ReplyFrame(kStatusSuccess, Bytes(m.data(), m.data() + m.length()));
      ASSERT_EQ(write(pty.master, reply.data(), reply.size()),
                static_cast<ssize_t>(reply.size()));
    }
  });

  IrLink link(MakeRealPlatform(pty.slave));
  const auto entries = link.BuildInterfaceList();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].kind, kKindDglNano);
  EXPECT_EQ(entries[0].text, "NANOPTY1");
  ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);

  const uint8_t unlock[] = {0x4D, 0x55, 1, 2, 3, 4, 5, 6, 7, 8};
  uint8_t response[kMaxResponse];
  uint8_t length = 0;
  ASSERT_TRUE(link.Transact(unlock, sizeof unlock, response, length));
  EXPECT_EQ(Bytes(response, response + length), (Bytes{0x00, 0x00, 0x06}));
  link.CloseInterface();
  EXPECT_FALSE(link.serialOpen);
}

TEST(PseudoTerminal, PortThatDisappearsMidExchangeFailsCleanly) {
  auto pty = std::make_unique<PseudoTerminal>();
  ASSERT_FALSE(pty->slave.empty());
  IrLink link(MakeRealPlatform(pty->slave));
  bool errorLit = false;
  link.onError = [&](bool on) { errorLit = on; };
  ASSERT_TRUE(link.OpenSerialPort(pty->slave));
  link.interfaceKind = kKindDglNano;
  // The far end answers half a frame, then goes away.
  MasterWatch watch(pty->master, [&] {
    uint8_t buf[256];
    if (read(pty->master, buf, sizeof buf) <= 0) return;
    const uint8_t half[] = {0xC0, 0x00, 0x00, 0x00};
    ASSERT_EQ(write(pty->master, half, sizeof half), 4);
    watch.Stop();
    close(pty->master);
    pty->master = -1;
  });
  const uint8_t readId[] = {0x4D, 0x49};
  uint8_t response[kMaxResponse];
  uint8_t length = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(link.Transact(readId, 2, response, length));
  EXPECT_FALSE(link.Transact(readId, 2, response, length));
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start).count();
  EXPECT_LE(ms, 20000);  // no hang on the half frame
  EXPECT_TRUE(errorLit);
  EXPECT_FALSE(link.serialBusy);
  link.CloseInterface();
  EXPECT_FALSE(link.serialOpen);
}

TEST(RealPlatform, CommandLinePortWinsOverTheEnvironment) {
  setenv("ZENTRA_PORT", "/dev/ttyUSB3", 1);
  EXPECT_EQ(ResolveExplicitPort("/dev/pts/4"), "/dev/pts/4");
  EXPECT_EQ(ResolveExplicitPort(""), "/dev/ttyUSB3");
  unsetenv("ZENTRA_PORT");
  EXPECT_EQ(ResolveExplicitPort(""), "");
  EXPECT_EQ(FriendlyPortName("DGLnano", "ttyACM0"), "DGLnano (ttyACM0)");
}
