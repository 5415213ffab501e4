// A serial port for the benchmarks that counts the bytes crossing it and, when paced,
// takes as long to send as a 115200 baud line would (the simulator paces the replies),
// so that a run can be held against the wire time of the bytes it actually exchanged.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "link/SerialPortDevice.h"

namespace zentra {

constexpr int kBaud = 115200;
constexpr double kBitsPerByte = 10.0;

struct ByteCount {
  long long written = 0;
  long long read = 0;
  long long total() const { return written + read; }
};

// A serial port that counts the bytes crossing it and, when paced, takes as long to send
// as the line would. With promptWake, a read that has to wait for the first byte polls
// every 50 us, as a real port's arrival notification wakes the link at once; without it
// the simulated port's own wait is used, which looks for bytes in slices of up to 2 ms.
class CountingPort : public SerialPortDevice {
 public:
  CountingPort(std::unique_ptr<SerialPortDevice> inner, std::shared_ptr<ByteCount> count,
               bool paced, bool promptWake)
      : inner_(std::move(inner)), count_(std::move(count)), paced_(paced),
        promptWake_(promptWake) {}
  int Open(const std::string& name) override { return inner_->Open(name); }
  void Close() override { inner_->Close(); }
  bool IsOpen() const override { return inner_->IsOpen(); }
  bool Write(const uint8_t* data, int n) override {
    if (paced_) {
      const auto until = std::chrono::steady_clock::now() +
                         std::chrono::nanoseconds(static_cast<long long>(n * kBitsPerByte * 1e9 / kBaud));
      while (std::chrono::steady_clock::now() < until) {
      }
    }
    const bool ok = inner_->Write(data, n);
    if (ok) count_->written += n;
    return ok;
  }
  int Read(uint8_t* buffer, int n) override {
    const int got = inner_->Read(buffer, n);
    count_->read += got > 0 ? got : 0;
    return got;
  }
  int ReadWithin(uint8_t* buffer, int n, int waitMs) override {
    int got = 0;
    if (promptWake_) {
      const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
      while ((got = inner_->ReadWithin(buffer, n, 0)) == 0 &&
             std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
    } else {
      got = inner_->ReadWithin(buffer, n, waitMs);
    }
    count_->read += got > 0 ? got : 0;
    return got;
  }

 private:
  std::unique_ptr<SerialPortDevice> inner_;
  std::shared_ptr<ByteCount> count_;
  bool paced_;
  bool promptWake_;
};

}  // namespace zentra
