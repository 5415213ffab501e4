// The serial port on POSIX systems through termios: raw 115200 baud 8N1, no flow
// control, DTR and RTS off. A pseudo-terminal opens the same way (it refuses the modem
// lines, which does not count as an error).
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "link/LinkWait.h"
#include "link/NativeSerialPort.h"

namespace zentra {

namespace {

constexpr int kSettleAfterOpenMs = 60;  // the line settles before the first frame

class PosixSerialPort final : public SerialPortDevice {
 public:
  ~PosixSerialPort() override { Close(); }

  int Open(const std::string& nameOrPath) override {
    Close();
    // A bare name ("ttyACM0") is a device of /dev.
    const std::string path =
        nameOrPath.find('/') == std::string::npos ? "/dev/" + nameOrPath : nameOrPath;
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) return kSerialOpenFailed;
    // No sharing: a port another program holds (or this one, twice) does not open.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) return Fail(kSerialOpenFailed);
    if (::tcflush(fd_, TCIOFLUSH) != 0) return Fail(kSerialPurgeFailed);
    termios tio{};
    if (::tcgetattr(fd_, &tio) != 0) return Fail(kSerialReadSettingsFailed);
    ::cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    tio.c_cc[VMIN] = 0;  // reads return what is there; the waits are poll's
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B115200) != 0 || ::cfsetospeed(&tio, B115200) != 0 ||
        ::tcsetattr(fd_, TCSANOW, &tio) != 0)
      return Fail(kSerialApplySettingsFailed);
    int lines = TIOCM_DTR | TIOCM_RTS;
    (void)::ioctl(fd_, TIOCMBIC, &lines);
    WaitMs(kSettleAfterOpenMs);
    return kSerialOpenOk;
  }

  void Close() override {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

  bool IsOpen() const override { return fd_ >= 0; }

  bool Write(const uint8_t* data, int count) override {
    if (fd_ < 0 || count < 0 || (count > 0 && data == nullptr)) return false;
    const auto deadline = LinkClock::now() + std::chrono::milliseconds(kSerialIoWaitMs);
    int done = 0;
    while (done < count) {
      const ssize_t n = ::write(fd_, data + done, static_cast<size_t>(count - done));
      if (n > 0) {
        done += static_cast<int>(n);
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
        CloseIfGone(errno);
        return false;
      }
      if (!WaitForReady(deadline, [this](int ms) { return Ready(POLLOUT, ms); })) break;
    }
    if (done < count) {
      // Not sent in time: drop the rest so it cannot arrive as part of a later frame.
      if (fd_ >= 0) ::tcflush(fd_, TCOFLUSH);
      return false;
    }
    return true;
  }

  int Read(uint8_t* buffer, int count) override {
    return ReadWithin(buffer, count, kSerialReadWaitMs);
  }

  int ReadWithin(uint8_t* buffer, int count, int waitMs) override {
    if (fd_ < 0 || buffer == nullptr || count <= 0) return 0;
    const auto deadline =
        LinkClock::now() + std::chrono::milliseconds(std::clamp(waitMs, 0, kSerialReadWaitMs));
    if (!WaitForReady(deadline, [this](int ms) { return Ready(POLLIN, ms); })) return 0;
    if (fd_ < 0) return 0;
    const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(count));
    if (n < 0) CloseIfGone(errno);
    return n > 0 ? static_cast<int>(n) : 0;
  }

 private:
  int Fail(int code) {
    Close();
    return code;
  }

  // True when the port can be read (or written) now, after waiting up to ms. A port
  // that went away counts as ready, so that the caller finds it closed at once.
  bool Ready(short events, int ms) {
    if (fd_ < 0) return true;
    pollfd p{fd_, events, 0};
    const int n = ::poll(&p, 1, ms);
    if (n <= 0) return false;
    if ((p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 && (p.revents & events) == 0) {
      Close();  // the interface was unplugged, or the far end of a terminal closed
      return true;
    }
    return true;
  }

  // A port that went away (unplugged interface) is closed, so later calls fail at once.
  void CloseIfGone(int error) {
    if (error == EIO || error == ENXIO || error == ENODEV || error == EBADF) Close();
  }

  int fd_ = -1;
};

}  // namespace

std::unique_ptr<SerialPortDevice> MakeNativeSerialPort() {
  return std::make_unique<PosixSerialPort>();
}

}  // namespace zentra
