// The reads of one operation (a full read, a table save, a memory dump, ...), confirmed
// only where the link has shown trouble. Over IR a reply now and then arrives with one
// bit flipped; when it still has its length and the success status nothing else shows
// that the value is wrong, and only a second read that agrees makes it sure. A read
// changes nothing on the transmitter, so asking again is harmless, but it doubles the
// time the transmitter must be held in front of the IR window.
//
// So, as the link's LinkHealth decides: on a link that has shown no fault each read is
// sent once and its answer kept. From the first fault on (seen before the operation or
// during it) every read is confirmed by a second agreeing read, and every answer kept so
// far is asked for once more and compared. A kept answer that the new one contradicts
// names its step in TakeContradicted(): the operation reads that step again (now
// confirmed) and puts right what it took from the first answer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "link/Transactor.h"

namespace zentra {

class ConfirmedReads {
 public:
  // One read, sent once: fills answer and returns whether it was answered as the
  // command requires.
  using ReadOnce = std::function<bool(std::vector<uint8_t>& answer)>;

  // health may be null (a transactor that keeps no record): reads are then sent once.
  explicit ConfirmedReads(LinkHealth* health);

  // Runs read once, or in pairs until both answers of a pair agree (at most three
  // pairs: two of three could let two garbled answers outvote a good one).
  bool Read(const ReadOnce& read, std::vector<uint8_t>& answer);

  // The reads that follow belong to this step of the operation.
  void Step(int step) { step_ = step; }
  int step() const { return step_; }
  // Steps whose kept answer a later read contradicted (or could not confirm), each
  // once, in the order they were found; the list is emptied.
  std::vector<int> TakeContradicted();

  // Whether reads are confirmed now (a fault has been seen, or the mode says always).
  bool confirming();
  // Called after every read of the kept answers asked again, so that a progress dialog
  // stays live while they are.
  std::function<void()> betweenReads;

 private:
  // True when the link has noted a fault since the last look.
  bool NewFault();
  void StartConfirming();
  bool ReadAgreeing(const ReadOnce& read, std::vector<uint8_t>& answer);
  void Contradicted(int step);

  struct Kept {
    ReadOnce read;
    std::vector<uint8_t> answer;
    int step;
  };
  static constexpr int kPairs = 3;
  // Kept answers asked again that fail in a row before the rest are given up as
  // contradicted (the transmitter has left: the operation's own count of failures
  // then ends it).
  static constexpr int kLostAfter = 5;

  LinkHealth* health_;
  uint64_t faultsSeen_ = 0;
  bool confirming_ = false;
  bool keep_ = true;
  std::vector<Kept> kept_;
  std::vector<int> contradicted_;
  int step_ = 0;
};

// A Transactor for the read commands of one operation: every Transact goes through
// ConfirmedReads. Writes must not travel through it (a write sent twice to confirm its
// answer would be sent twice).
class ConfirmingTransactor : public Transactor {
 public:
  ConfirmingTransactor(Transactor& link, ConfirmedReads& reads) : link_(link), reads_(&reads) {}
  // With reads of its own, for a sequence that needs no steps. Over a transactor that
  // confirms already, its reads are shared instead: a read is never confirmed twice.
  explicit ConfirmingTransactor(Transactor& link);

  bool Transact(const uint8_t* request, uint8_t requestLength, uint8_t* response,
                uint8_t& responseLength) override;
  LinkHealth* health() override { return link_.health(); }
  ConfirmedReads& reads() { return *reads_; }
  // Whether the reads are this transactor's own (not those of an operation around it).
  bool ownsReads() const { return own_ != nullptr; }

 private:
  Transactor& link_;
  std::unique_ptr<ConfirmedReads> own_;
  ConfirmedReads* reads_;
};

// Runs a sequence of reads (read must send nothing else) with its reads confirmed as
// the link's record says. When a later answer contradicts an earlier one, the sequence
// runs once more, confirmed; inside an operation that confirms its reads already, the
// operation looks after that.
bool RunReads(Transactor& link, const std::function<bool(Transactor& reads)>& read);

}  // namespace zentra
