// A transactor that hands every request straight to a simulated transmitter (no
// interface framing), logs the requests and can drop chosen ones, so the sequences are
// tested against a faithful transmitter with exact control over failures.
#pragma once

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "link/Transactor.h"
#include "sim/VirtualTransmitter.h"

namespace zentra::seqtest {

class SimTransactor : public Transactor {
 public:
  SimTransactor() = default;
  explicit SimTransactor(const sim::TransmitterSpec& spec) { Enter(spec); }

  sim::VirtualTransmitter& Enter(const sim::TransmitterSpec& spec) {
    tx_ = std::make_unique<sim::VirtualTransmitter>(spec);
    return *tx_;
  }
  void Leave() { tx_.reset(); }
  sim::VirtualTransmitter* tx() { return tx_.get(); }

  bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                uint8_t& responseLength) override {
    log.emplace_back(request, request + requestLength);
    responseLength = 0;
    if (!tx_ || (drop && drop(request, requestLength))) return false;
    auto answer = tx_->Handle(request, requestLength);
    if (!answer || answer->size() > kMaxResponse) return false;
    std::memcpy(response, answer->data(), answer->size());
    responseLength = static_cast<uint8_t>(answer->size());
    return true;
  }

  // Requests whose command byte (after 'M') is code.
  int Count(uint8_t code) const {
    int n = 0;
    for (const auto& r : log)
      if (r.size() >= 2 && r[1] == code) ++n;
    return n;
  }
  std::vector<uint8_t> Codes() const {
    std::vector<uint8_t> codes;
    for (const auto& r : log) codes.push_back(r.size() >= 2 ? r[1] : 0);
    return codes;
  }

  std::vector<std::vector<uint8_t>> log;
  std::function<bool(const uint8_t*, int)> drop;  // true: the request gets no answer

 private:
  std::unique_ptr<sim::VirtualTransmitter> tx_;
};

inline sim::TransmitterSpec Spec(const char* model, const char* version, char variant = 0) {
  sim::TransmitterSpec s;
  s.model = model;
  s.version = version;
  s.variant = variant;
  return s;
}

}  // namespace zentra::seqtest
