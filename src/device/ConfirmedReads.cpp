#include "device/ConfirmedReads.h"

#include <algorithm>
#include <cstring>

namespace zentra {

ConfirmedReads::ConfirmedReads(LinkHealth* health) : health_(health) {
  if (health_ == nullptr) {
    keep_ = false;
    return;
  }
  faultsSeen_ = health_->faults();
  switch (health_->mode) {
    case ReadConfirmation::Never:
      keep_ = false;
      break;
    case ReadConfirmation::Always:
      confirming_ = true;
      keep_ = false;
      break;
    case ReadConfirmation::Auto:
      confirming_ = health_->ConfirmReads();
      keep_ = !confirming_;
      break;
  }
}

bool ConfirmedReads::NewFault() {
  if (health_ == nullptr || health_->mode == ReadConfirmation::Never) return false;
  const uint64_t faults = health_->faults();
  const bool fresh = faults > faultsSeen_;
  faultsSeen_ = faults;  // also after a reset of the record: count from there
  return fresh;
}

bool ConfirmedReads::confirming() {
  if (!confirming_ && NewFault()) StartConfirming();
  return confirming_;
}

void ConfirmedReads::Contradicted(int step) {
  if (std::find(contradicted_.begin(), contradicted_.end(), step) == contradicted_.end())
    contradicted_.push_back(step);
}

std::vector<int> ConfirmedReads::TakeContradicted() {
  std::vector<int> steps;
  steps.swap(contradicted_);
  return steps;
}

void ConfirmedReads::StartConfirming() {
  confirming_ = true;
  keep_ = false;
  std::vector<Kept> kept;
  kept.swap(kept_);
  int failedInRow = 0;
  for (Kept& k : kept) {
    // A transmitter that has left answers none of them: the steps still unchecked are
    // read again by the operation, which notices the departure itself.
    if (failedInRow >= kLostAfter) {
      Contradicted(k.step);
      continue;
    }
    std::vector<uint8_t> again;
    const bool answered = k.read(again);
    failedInRow = answered ? 0 : failedInRow + 1;
    // Two answers that agree make the kept one sure; otherwise either may be the garbled
    // one, and the step is read again, confirmed.
    if (!answered || again != k.answer) Contradicted(k.step);
    if (betweenReads) betweenReads();
  }
}

bool ConfirmedReads::ReadAgreeing(const ReadOnce& read, std::vector<uint8_t>& answer) {
  for (int pair = 0; pair < kPairs; ++pair) {
    std::vector<uint8_t> first, second;
    if (!read(first) || !read(second)) return false;
    if (first == second) {
      answer = std::move(first);
      return true;
    }
  }
  return false;
}

bool ConfirmedReads::Read(const ReadOnce& read, std::vector<uint8_t>& answer) {
  if (confirming()) return ReadAgreeing(read, answer);
  answer.clear();
  const bool answered = read(answer);
  if (NewFault()) {
    // This answer came after a lost or garbled one (the link asked again): it is
    // confirmed like every later read, and the answers kept before it are asked again.
    StartConfirming();
    if (!answered) return false;
    std::vector<uint8_t> again;
    if (read(again) && again == answer) return true;
    return ReadAgreeing(read, answer);
  }
  if (answered && keep_) kept_.push_back({read, answer, step_});
  return answered;
}

// ---------------------------------------------------------------------------------

namespace {
ConfirmingTransactor* AlreadyConfirming(Transactor& link) {
  return dynamic_cast<ConfirmingTransactor*>(&link);
}
}  // namespace

ConfirmingTransactor::ConfirmingTransactor(Transactor& link)
    : link_(AlreadyConfirming(link) ? AlreadyConfirming(link)->link_ : link),
      own_(AlreadyConfirming(link) ? nullptr : std::make_unique<ConfirmedReads>(link.health())),
      reads_(AlreadyConfirming(link) ? &AlreadyConfirming(link)->reads() : own_.get()) {}

bool RunReads(Transactor& link, const std::function<bool(Transactor& reads)>& read) {
  ConfirmingTransactor reading(link);
  bool ok = read(reading);
  if (reading.ownsReads() && !reading.reads().TakeContradicted().empty()) ok = read(reading);
  return ok;
}

bool ConfirmingTransactor::Transact(const uint8_t* request, uint8_t requestLength,
                                    uint8_t* response, uint8_t& responseLength) {
  responseLength = 0;
  if (response == nullptr || (requestLength > 0 && request == nullptr)) return false;
  // The read is kept with its own copy of the request: it may be asked again long after
  // the caller's buffer is gone.
  std::vector<uint8_t> bytes(request, request + requestLength);
  Transactor* link = &link_;
  auto once = [link, bytes = std::move(bytes)](std::vector<uint8_t>& out) {
    uint8_t r[kMaxResponse];
    uint8_t n = 0;
    const bool ok = link->Transact(bytes.data(), static_cast<uint8_t>(bytes.size()), r, n);
    out.assign(r, r + (ok ? n : 0));
    return ok;
  };
  std::vector<uint8_t> answer;
  if (!reads_->Read(once, answer)) return false;
  const size_t n = std::min<size_t>(answer.size(), kMaxResponse);
  if (n > 0) std::memcpy(response, answer.data(), n);
  responseLength = static_cast<uint8_t>(n);
  return true;
}

}  // namespace zentra
