// What the IR link has shown in the current connection, and from it whether reads are
// confirmed. Over IR a reply is lost or garbled now and then; when a garbled reply still
// has its length, nothing else shows that its value is wrong. Reading every value twice
// costs every user twice the time in front of the IR window, while it only helps on a
// link that actually loses or garbles replies. So the link counts its faults: while it
// has shown none, every sequence sends its requests once; once it shows one, reads are
// confirmed until the link has been clean for a long run of exchanges again.
//
// A fault is a lost reply, an error status, a reply whose checksum does not match, a
// refused acknowledgement, an answer of the wrong length or an implausible value. The
// link notes the first four itself; the commands note the others (Transactor::health).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zentra {

// zentra-cli --confirm-reads and the window's "Confirm Reads" menu.
enum class ReadConfirmation {
  Auto,    // after a fault in the connection, until a clean run (the default)
  Always,  // every read is confirmed by a second agreeing read
  Never,   // every read is sent once, whatever the link shows
};

// "auto", "always", "never" both ways; nullopt for any other text.
std::optional<ReadConfirmation> ParseReadConfirmation(const std::string& text);
const char* ReadConfirmationName(ReadConfirmation mode);

class LinkHealth {
 public:
  // Clean exchanges in a row after the last fault before reads are trusted again. On a
  // link that loses one reply in twenty a run this long happens about once in 30 000
  // exchanges, so such a link keeps confirming; on a link with a single stray fault
  // confirmation ends after a few seconds of work.
  static constexpr int kCleanRunToTrust = 200;

  ReadConfirmation mode = ReadConfirmation::Auto;

  // A new connection: nothing seen yet (the mode stays).
  void Reset();
  // A fault; not counted while paused unless answered (a reply lost before the
  // transmitter answered the same request again shows that somebody is there).
  void NoteFault(bool answered = false);
  // One exchange answered at the first attempt.
  void NoteClean();
  // Faults since the connection was opened (only ever grows until Reset).
  uint64_t faults() const { return faults_; }
  int cleanRun() const { return cleanRun_; }
  // Whether an operation starting now confirms its reads from the start.
  bool ConfirmReads() const;

  // While paused (the presence probe asking whether anything is in front of the IR
  // window: no answer is the normal "nobody there", a refusal of the other family's
  // code too) only what answered requests show is counted.
  bool paused() const { return pauses_ > 0; }
  class Pause {
   public:
    explicit Pause(LinkHealth* health) : health_(health) {
      if (health_) ++health_->pauses_;
    }
    ~Pause() {
      if (health_) --health_->pauses_;
    }
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

   private:
    LinkHealth* health_;
  };

 private:
  uint64_t faults_ = 0;
  int cleanRun_ = 0;
  int pauses_ = 0;
};

}  // namespace zentra
