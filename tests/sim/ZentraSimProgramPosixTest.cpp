// zentra-sim on a pseudo-terminal: it prints the terminal's path first, answers the
// DGLnano handshake and passes requests to its transmitter, and ends cleanly on SIGTERM.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/IrLink.h"
#include "link/QBProtocol.h"
#include "link/RealPlatform.h"

namespace zentra::sim {
namespace {

using Bytes = std::vector<uint8_t>;

class SimProgram {
 public:
  explicit SimProgram(std::vector<std::string> args) {
    int out[2], in[2], err[2];
    if (pipe(out) != 0 || pipe(in) != 0 || pipe(err) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], STDOUT_FILENO);
      dup2(in[0], STDIN_FILENO);
      dup2(err[1], STDERR_FILENO);
      for (int fd : {out[0], out[1], in[0], in[1], err[0], err[1]}) close(fd);
      const std::string program = std::string(ZENTRA_BIN_DIR) + "/zentra-sim";
      std::vector<char*> argv{const_cast<char*>(program.c_str())};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(out[1]);
    close(in[0]);
    close(err[1]);
    stdout_ = out[0];
    stdin_ = in[1];
    stderr_ = err[0];
  }
  // A demo command line on the program's standard input; returns once the program has
  // told on stderr what now stands in front of the IR window (it does after each one).
  void Command(const std::string& line) {
    const std::string text = line + "\n";
    ASSERT_EQ(write(stdin_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    const std::string told = ReadLine(stderr_, std::chrono::seconds(20));
    EXPECT_NE(told.find("in front of the IR window"), std::string::npos) << told;
  }
  ~SimProgram() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) close(stdout_);
    if (stdin_ >= 0) close(stdin_);
    if (stderr_ >= 0) close(stderr_);
  }
  // The first line of output (a real process on a loaded machine: up to 20 s).
  std::string FirstLine() { return ReadLine(stdout_, std::chrono::seconds(20)); }
  // Sends SIGTERM; the exit status (see Exit).
  int Stop() {
    kill(pid_, SIGTERM);
    return Exit();
  }
  // Waits for the program to end; its exit status, or -1 when it did not end in 20 s.
  int Exit() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      usleep(10000);
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  int stdout_ = -1;
  int stdin_ = -1;
  int stderr_ = -1;

  static std::string ReadLine(int fd, std::chrono::seconds within) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char c;
      if (read(fd, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }
};

// One message exchange over the terminal; the decoded reply, or a record with status 0
// when no complete reply came within ten seconds (the program answers every request,
// with an error status when it cannot pass it on).
QBPMsg Exchange(int fd, uint8_t address, uint8_t command, const Bytes& data) {
  QBPMsg msg;
  BuildMessage(msg, address, command, data.data(), static_cast<uint8_t>(data.size()), true);
  QBProtocol codec;
  uint8_t frame[kMaxEncodedFrame];
  const int n = codec.Encode(msg, frame);
  if (write(fd, frame, n) != n) return QBPMsg{};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    uint8_t buf[256];
    const ssize_t got = read(fd, buf, sizeof buf);
    if (got <= 0) continue;
    int count = static_cast<int>(got);
    if (codec.Decode(buf, count)) return codec.reply();
  }
  return QBPMsg{};
}

TEST(ZentraSimProgramTest, AnswersTheHandshakeOnAPseudoTerminal) {
  SimProgram sim({"ZQL21@123/U"});
  const std::string path = sim.FirstLine();
  ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
  const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd, 0);
  termios tio{};
  ASSERT_EQ(tcgetattr(fd, &tio), 0);
  cfmakeraw(&tio);
  tcsetattr(fd, TCSANOW, &tio);

  // Before the link is open the interface refuses to pass requests on.
  EXPECT_NE(Exchange(fd, 0, 0x11, {0x06, 'M', 'I'}).status(), kStatusSuccess);
  EXPECT_EQ(Exchange(fd, 0, 0x00, {}).status(), kStatusSuccess);
  const QBPMsg version = Exchange(fd, 0, 0x02, {});
  EXPECT_EQ(version.status(), kStatusSuccess);
  EXPECT_EQ(version.length(), 8);
  EXPECT_EQ(Exchange(fd, 0, 0x11, {0x05, 0xF4, 0x01}).status(), kStatusSuccess);
  const QBPMsg param = Exchange(fd, 0, 0x11, {0x05});
  ASSERT_EQ(param.status(), kStatusSuccess);
  ASSERT_EQ(param.length(), 3);
  EXPECT_EQ(param.data()[1] | (param.data()[2] << 8), 500);
  const QBPMsg id = Exchange(fd, 0, 0x11, {0x06, 'M', 'I'});
  ASSERT_EQ(id.status(), kStatusSuccess);
  ASSERT_EQ(id.length(), 19);  // pass-through marker + 18 answer bytes
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(id.data()) + 3, 13), "ZQL21 U   123");

  // Demo commands take the transmitter away and put another one in front of the window.
  sim.Command("leave");
  EXPECT_NE(Exchange(fd, 0, 0x11, {0x06, 'M', 'I'}).status(), kStatusSuccess);
  sim.Command("enter ZQK220@123");
  const QBPMsg other = Exchange(fd, 0, 0x11, {0x06, 'M', 'I'});
  ASSERT_EQ(other.status(), kStatusSuccess);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(other.data()) + 3, 6), "ZQK220");

  EXPECT_EQ(Exchange(fd, 0, 0x01, {}).status(), kStatusSuccess);
  close(fd);
  EXPECT_EQ(sim.Stop(), 0);
}

TEST(ZentraSimProgramTest, RealSerialPlatformConnectsThroughThePseudoTerminal) {
  SimProgram sim({"--spec", "nano:ZQK230@129,groups=4"});
  const std::string path = sim.FirstLine();
  ASSERT_EQ(path.rfind("/dev/", 0), 0u) << path;
  {
    IrLink link(MakeRealPlatform(path));
    link.serialReceiveWaitMs = 5000;  // another process answers: room for a busy machine
    auto entries = link.BuildInterfaceList();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, kKindDglNano);
    EXPECT_EQ(entries[0].text, "DGLn 103");
    ASSERT_EQ(link.Connect(entries, 0), IrLink::ConnectResult::Connected);
    const uint8_t request[2] = {'M', 'n'};  // table size
    uint8_t response[kMaxResponse];
    uint8_t length = 0;
    ASSERT_TRUE(link.Transact(request, 2, response, length));
    ASSERT_EQ(length, 4);
    EXPECT_EQ(response[3], 4);
    link.CloseInterface();
  }
  EXPECT_EQ(sim.Stop(), 0);
}

TEST(ZentraSimProgramTest, RefusesABadModelWithAMessage) {
  SimProgram sim({"ZQX1"});
  EXPECT_EQ(sim.FirstLine(), "");
  EXPECT_EQ(sim.Exit(), 2);  // it ends on its own; a SIGTERM would make it exit with 0
}

}  // namespace
}  // namespace zentra::sim
