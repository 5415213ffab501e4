// Suggesting a coordinated group: N mutually compatible frequencies (no conflict of
// Coordination.h among them) chosen from the candidate frequencies of a range, keeping
// the frequencies the user pins. The candidates are what the transmitter may tune: the
// points of its tuning step inside the range, less the sub-bands where it may not
// transmit (the caller filters them).
//
// The search builds a set by always taking the candidate that rules out the fewest
// others, then improves it by an iterated local search (swap one carrier for two, force
// a random candidate in, refill). Both passes are bounded by the work they do (counted,
// not timed) and the search uses a fixed seed, so the same request always gets the
// same answer, in under a second on one core. It stops as soon as it has enough. Every
// set it offers has been re-checked with CheckPlan.
//
// Groups on air together: the carriers of the other groups of a show are given as
// `onAirKHz`. They take part in every check (a product of two carriers of one group can
// land on a carrier of another) but are not part of the answer and not counted in N.
// Conflicts among the other groups' carriers alone do not stop a set: it is clean when
// nothing of it hurts them or is hurt by them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "plan/Coordination.h"

namespace zentra::plan {

struct SuggestRequest {
  std::vector<int32_t> candidatesKHz;  // where new carriers may go (any order, repeats ignored)
  std::vector<int32_t> keptKHz;        // pinned carriers: part of every answer
  std::vector<int32_t> onAirKHz;       // other groups' carriers on air at the same time
  int count = 0;                       // carriers wanted in all, the kept ones included
  Guards guards;
  // At most this many local-search rounds after the first pass; 0 = the first pass only.
  int effort = kDefaultEffort;
  static constexpr int kDefaultEffort = 20000;
  // Called now and then with the share of the work budget used (0..1); returning false
  // stops the search, which then offers the best set found so far (`cancelled` set).
  std::function<bool(double)> progress;
};

enum class SuggestStatus {
  Complete,       // `count` carriers found
  Partial,        // fewer than `count`: the best set found is given
  KeptConflict,   // the kept carriers conflict among themselves; `conflicts` lists why
  Refused,        // the request cannot be searched (`message` says why)
};

struct SuggestResult {
  SuggestStatus status = SuggestStatus::Refused;
  std::vector<int32_t> freqsKHz;    // the set offered, ascending, kept carriers included
  std::vector<Conflict> conflicts;  // KeptConflict: the conflicts among the kept carriers
  std::string message;
  bool cancelled = false;           // the progress callback stopped the search
  bool offered() const { return status == SuggestStatus::Complete || status == SuggestStatus::Partial; }
};

// The best set within the search budget.
SuggestResult SuggestFrequencies(const SuggestRequest& request);
// The conflicts that involve one of `own` as victim or maker. Conflicts among the other
// groups' carriers alone are theirs: a new set cannot mend them.
std::vector<Conflict> ConflictsInvolving(const std::vector<Conflict>& conflicts, std::vector<int32_t> own);

// One pass from the lowest candidate up, taking every candidate that fits (the baseline
// the search is measured against).
SuggestResult SuggestGreedy(const SuggestRequest& request);

// The points of the tuning step in [lowKHz, highKHz]: whole kHz values f with
// f x 1000 a multiple of stepHz (the step is absolute, as the frequency entry checks
// it). Empty when the step is not positive.
std::vector<int32_t> StepGrid(int32_t lowKHz, int32_t highKHz, int32_t stepHz);

// Largest span (kHz) and candidate count a search takes.
inline constexpr int64_t kMaxSearchSpanKHz = 1'000'000;
inline constexpr size_t kMaxCandidates = 40'000;

}  // namespace zentra::plan
