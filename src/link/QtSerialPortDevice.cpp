#include "link/QtSerialPortDevice.h"

#include <QCoreApplication>
#include <QThread>

#include "link/LinkWait.h"

namespace zentra {

namespace {
constexpr int kSettleAfterOpenMs = 60;  // the line settles before the first frame

// True when a Qt event loop can run on this thread; otherwise the port's own blocking
// waits serve.
bool EventLoopAvailable() {
  auto* app = QCoreApplication::instance();
  return app != nullptr && app->thread() == QThread::currentThread();
}
}  // namespace

QtSerialPortDevice::QtSerialPortDevice() = default;

QtSerialPortDevice::~QtSerialPortDevice() { Close(); }

int QtSerialPortDevice::Open(const std::string& nameOrPath) {
  Close();
  port_.setPortName(QString::fromStdString(nameOrPath));
  if (!port_.open(QIODevice::ReadWrite)) return kSerialOpenFailed;
  if (!port_.clear(QSerialPort::AllDirections)) {
    Close();
    return kSerialPurgeFailed;
  }
  const bool applied = port_.setBaudRate(QSerialPort::Baud115200) &&
                       port_.setDataBits(QSerialPort::Data8) &&
                       port_.setParity(QSerialPort::NoParity) &&
                       port_.setStopBits(QSerialPort::OneStop) &&
                       port_.setFlowControl(QSerialPort::NoFlowControl);
  if (!applied) {
    Close();
    return kSerialApplySettingsFailed;
  }
  // DTR and RTS off; a pseudo-terminal or a bare UART without modem lines refuses
  // this, which does not stop the interface from working.
  port_.setDataTerminalReady(false);
  port_.setRequestToSend(false);
  port_.clearError();
  WaitMs(kSettleAfterOpenMs);
  return kSerialOpenOk;
}

void QtSerialPortDevice::Close() {
  if (port_.isOpen()) port_.close();
  port_.clearError();
}

bool QtSerialPortDevice::IsOpen() const { return port_.isOpen(); }

void QtSerialPortDevice::CloseIfGone() {
  if (port_.error() == QSerialPort::ResourceError) Close();
}

bool QtSerialPortDevice::WaitForBytes(int ms) {
  if (port_.bytesAvailable() > 0) return true;
  if (ms <= 0) {
    // Let the port pick up what the line has delivered without waiting.
    if (EventLoopAvailable()) PumpEvents(); else port_.waitForReadyRead(0);
    return port_.bytesAvailable() > 0;
  }
  if (EventLoopAvailable()) {
    const auto deadline = LinkClock::now() + std::chrono::milliseconds(ms);
    WaitUntil(deadline, [this] {
      return !port_.isOpen() || port_.bytesAvailable() > 0 ||
             port_.error() == QSerialPort::ResourceError;
    });
  } else {
    port_.waitForReadyRead(ms);
  }
  CloseIfGone();
  return port_.isOpen() && port_.bytesAvailable() > 0;
}

int QtSerialPortDevice::ReadWithin(uint8_t* buffer, int count, int waitMs) {
  if (!port_.isOpen() || buffer == nullptr || count <= 0) return 0;
  if (!WaitForBytes(std::min(waitMs, kSerialReadWaitMs))) return 0;
  const qint64 n = port_.read(reinterpret_cast<char*>(buffer), count);
  CloseIfGone();
  return n > 0 ? static_cast<int>(n) : 0;
}

int QtSerialPortDevice::Read(uint8_t* buffer, int count) {
  return ReadWithin(buffer, count, kSerialReadWaitMs);
}

bool QtSerialPortDevice::Write(const uint8_t* data, int count) {
  if (!port_.isOpen() || count < 0 || (count > 0 && data == nullptr)) return false;
  if (count == 0) return true;
  const qint64 queued = port_.write(reinterpret_cast<const char*>(data), count);
  if (queued != count) {
    CloseIfGone();
    return false;
  }
  port_.flush();  // hands what it can to the line without waiting
  const auto deadline = LinkClock::now() + std::chrono::milliseconds(kSerialIoWaitMs);
  if (EventLoopAvailable()) {
    WaitUntil(deadline, [this] {
      return !port_.isOpen() || port_.bytesToWrite() == 0 ||
             port_.error() == QSerialPort::ResourceError;
    });
  } else {
    while (port_.bytesToWrite() > 0 && LinkClock::now() < deadline) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - LinkClock::now());
      if (!port_.waitForBytesWritten(static_cast<int>(left.count()) + 1)) break;
    }
  }
  CloseIfGone();
  if (!port_.isOpen() || port_.bytesToWrite() > 0) {
    // Not sent in time: drop the rest so it cannot arrive as part of a later frame.
    if (port_.isOpen()) port_.clear(QSerialPort::Output);
    return false;
  }
  return true;
}

}  // namespace zentra
