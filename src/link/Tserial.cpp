#include "link/Tserial.h"

namespace zentra {

Tserial::Tserial(DeviceFactory factory) : factory_(std::move(factory)) {}

Tserial::~Tserial() { Close(); }

int Tserial::Open(const std::string& nameOrPath) {
  Close();
  // A fresh port object for every open, so nothing of an earlier connection lingers.
  device_.reset();
  if (!factory_) return kSerialOpenFailed;
  device_ = factory_();
  if (!device_) return kSerialOpenFailed;
  const int result = device_->Open(nameOrPath);
  if (result != kSerialOpenOk) {
    device_->Close();
    return result;
  }
  return kSerialOpenOk;
}

void Tserial::Close() {
  if (device_) device_->Close();
}

bool Tserial::IsOpen() const { return device_ != nullptr && device_->IsOpen(); }

bool Tserial::Write(const uint8_t* data, int count) {
  if (!IsOpen() || count < 0 || (count > 0 && data == nullptr)) return false;
  return device_->Write(data, count);
}

int Tserial::Read(uint8_t* buffer, int count) {
  if (!IsOpen() || count <= 0 || buffer == nullptr) return 0;
  const int n = device_->Read(buffer, count);
  // A port that reports more than was asked must not make callers run off their buffer.
  return n < 0 ? 0 : (n > count ? count : n);
}

int Tserial::ReadWithin(uint8_t* buffer, int count, int waitMs) {
  if (!IsOpen() || count <= 0 || buffer == nullptr) return 0;
  const int n = device_->ReadWithin(buffer, count, waitMs < 0 ? 0 : waitMs);
  return n < 0 ? 0 : (n > count ? count : n);
}

bool Tserial::ReadByte(uint8_t& byte) {
  uint8_t b = 0;
  if (Read(&b, 1) != 1) return false;
  byte = b;
  return true;
}

}  // namespace zentra
