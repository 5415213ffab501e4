#include "plan/Suggest.h"

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace zentra::plan {

namespace {

// A small deterministic generator (the same sequence on every platform and library).
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  size_t Below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(Next() % n); }
  template <typename T>
  void Shuffle(std::vector<T>& v) {
    for (size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[Below(i)]);
  }

 private:
  uint64_t state_;
};

// Floor and ceiling of a / b for b > 0, also for negative a.
int64_t FloorDiv(int64_t a, int64_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }
int64_t CeilDiv(int64_t a, int64_t b) { return -FloorDiv(-a, b); }

// The set under construction, and for every candidate how many reasons keep it out,
// kept up to date as carriers come and go. A candidate u may join exactly when nothing
// marks it: every conflict u would bring is a window around a value the set defines,
//   spacing           |u - s| < spacing
//   u as victim       |u - (2s - t)| <= g3, |u - (3s - 2t)| <= g5, |u - (s + t - v)| <= g3x
//   u making a product with s that lands on t
//                     |2u - (s + t)| <= g3             (2u - s on t)
//                     |u - (2s - t)| <= g3             (2s - u on t: as above)
//                     |3u - (2s + t)| <= g5            (3u - 2s on t)
//                     |2u - (3s - t)| <= g5            (3s - 2u on t)
//   u making a product with s and t that lands on v
//                     |u - (v + t - s)| <= g3x, |u - (s + t - v)| <= g3x (as u as victim)
// for distinct carriers s, t, v of the set. Each test is exact, so a set built here
// passes CheckPlan; the caller re-checks it all the same.
class PlanSet {
 public:
  PlanSet(std::vector<int32_t> candidates, const Guards& guards, int64_t base, int64_t top)
      : cand_(std::move(candidates)), g_(guards), base_(base), top_(top) {
    const size_t span = static_cast<size_t>(top_ - base_ + 2);
    atOrAbove_.resize(span);
    size_t i = 0;
    for (size_t k = 0; k < span; ++k) {
      while (i < cand_.size() && cand_[i] < base_ + static_cast<int64_t>(k)) ++i;
      atOrAbove_[k] = static_cast<uint32_t>(i);
    }
    marks_.assign(cand_.size(), 0);
    inSet_.assign(cand_.size(), 0);
  }

  size_t candidateCount() const { return cand_.size(); }
  size_t size() const { return carriers_.size(); }
  bool contains(size_t i) const { return inSet_[i] != 0; }
  const std::vector<size_t>& chosen() const { return chosen_; }
  std::vector<int32_t> frequencies() const {
    std::vector<int32_t> f = carriers_;
    std::sort(f.begin(), f.end());
    return f;
  }

  // A pinned carrier: part of the set for good.
  void AddKept(int32_t f) {
    Mark(f, +1);
    carriers_.push_back(f);
  }
  bool CanAdd(size_t i) const { return !inSet_[i] && marks_[i] == 0; }
  void Add(size_t i) {
    inSet_[i] = 1;
    chosen_.push_back(i);
    Mark(cand_[i], +1);
    carriers_.push_back(cand_[i]);
  }
  // Takes a chosen candidate out; the candidates this frees are appended to `freed`.
  void Remove(size_t i, std::vector<size_t>* freed = nullptr) {
    inSet_[i] = 0;
    chosen_.erase(std::find(chosen_.begin(), chosen_.end(), i));
    carriers_.erase(std::find(carriers_.begin(), carriers_.end(), cand_[i]));
    freed_ = freed;
    Mark(cand_[i], -1);
    freed_ = nullptr;
  }

  // Carriers (candidate indexes; -1 for a kept one) that keep candidate u out, one
  // group per conflict: taking one member of every group out lets u in.
  std::vector<std::vector<int32_t>> Culprits(size_t u) const;

 private:
  uint32_t AtOrAbove(int64_t f) const {
    return atOrAbove_[static_cast<size_t>(std::clamp(f, base_, top_ + 1) - base_)];
  }

  // Marks the candidates u with |m*u - p| <= g.
  void Window(int64_t m, int64_t p, int64_t g, int delta) {
    const uint32_t end = AtOrAbove(FloorDiv(p + g, m) + 1), begin = AtOrAbove(CeilDiv(p - g, m));
    work_ += 1 + (end > begin ? end - begin : 0);
    for (uint32_t i = begin; i < end; ++i) {
      marks_[i] += delta;
      if (freed_ && marks_[i] == 0 && !inSet_[i]) freed_->push_back(i);
    }
  }

  // Everything carrier f (not in carriers_) rules out, together with the set: calls
  // visit(m, p, g) for every window |m*u - p| <= g of candidates u.
  template <typename Visit>
  void ForEachWindow(int64_t f, Visit&& visit) const {
    const int64_t g3 = g_.twoTx3rdKHz, g5 = g_.twoTx5thKHz, g3x = g_.threeTx3rdKHz;
    if (g_.spacingKHz > 0) visit(1, f, g_.spacingKHz - 1);
    const size_t n = carriers_.size();
    for (size_t a = 0; a < n; ++a) {
      const int64_t s = carriers_[a];
      visit(1, 2 * f - s, g3);
      visit(1, 2 * s - f, g3);
      visit(1, 3 * f - 2 * s, g5);
      visit(1, 3 * s - 2 * f, g5);
      visit(2, f + s, g3);
      visit(3, 2 * f + s, g5);
      visit(3, 2 * s + f, g5);
      visit(2, 3 * f - s, g5);
      visit(2, 3 * s - f, g5);
      for (size_t b = a + 1; b < n; ++b) {
        const int64_t t = carriers_[b];
        visit(1, f + s - t, g3x);
        visit(1, f + t - s, g3x);
        visit(1, s + t - f, g3x);
      }
    }
  }

  void Mark(int64_t f, int delta) {
    ForEachWindow(f, [&](int64_t m, int64_t p, int64_t g) { Window(m, p, g, delta); });
  }

 public:
  // How many candidates that are free now candidate i would rule out (counted once per
  // reason), from a prefix count of the free candidates.
  int64_t Cost(size_t i, const std::vector<uint32_t>& freePrefix) const {
    int64_t cost = 0;
    ForEachWindow(cand_[i], [&](int64_t m, int64_t p, int64_t g) {
      const uint32_t lo = AtOrAbove(CeilDiv(p - g, m)), hi = AtOrAbove(FloorDiv(p + g, m) + 1);
      if (hi > lo) cost += freePrefix[hi] - freePrefix[lo];
      ++work_;
    });
    return cost;
  }
  void FreePrefix(std::vector<uint32_t>& prefix) const {
    work_ += cand_.size();
    prefix.resize(cand_.size() + 1);
    prefix[0] = 0;
    for (size_t i = 0; i < cand_.size(); ++i) prefix[i + 1] = prefix[i] + (CanAdd(i) ? 1 : 0);
  }

 private:
  std::vector<int32_t> cand_;
  Guards g_;
  int64_t base_, top_;
  std::vector<uint32_t> atOrAbove_;  // kHz - base -> first candidate at or above it
  std::vector<int32_t> marks_;       // reasons that keep each candidate out
  std::vector<char> inSet_;
  std::vector<int32_t> carriers_;    // kept and chosen, in the order they joined
  std::vector<size_t> chosen_;       // candidate indexes in the set
  std::vector<size_t>* freed_ = nullptr;
  mutable uint64_t work_ = 0;  // windows and candidates visited: the search's measure of effort

 public:
  uint64_t work() const { return work_; }
  void AddWork(uint64_t w) const { work_ += w; }
};

std::vector<std::vector<int32_t>> PlanSet::Culprits(size_t u) const {
  std::vector<std::vector<int32_t>> out;
  const int64_t f = cand_[u];
  auto idOf = [&](int64_t freq) -> int32_t {
    const uint32_t i = AtOrAbove(freq);
    return (i < cand_.size() && cand_[i] == freq && inSet_[i]) ? static_cast<int32_t>(i) : -1;
  };
  const int64_t g3 = g_.twoTx3rdKHz, g5 = g_.twoTx5thKHz, g3x = g_.threeTx3rdKHz;
  auto near = [](int64_t p, int64_t g, int64_t v) { return p - v <= g && v - p <= g; };
  const size_t n = carriers_.size();
  for (size_t a = 0; a < n; ++a) {
    const int64_t s = carriers_[a];
    if (s - f < g_.spacingKHz && f - s < g_.spacingKHz) out.push_back({idOf(s)});
  }
  // Products of the set landing on u, and products u makes landing on the set.
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = 0; b < n; ++b) {
      if (a == b) continue;
      const int64_t s = carriers_[a], t = carriers_[b];
      if (near(2 * s - t, g3, f) || near(3 * s - 2 * t, g5, f)) out.push_back({idOf(s), idOf(t)});
      if (near(2 * f - s, g3, t) || near(2 * s - f, g3, t) || near(3 * f - 2 * s, g5, t) ||
          near(3 * s - 2 * f, g5, t)) {
        out.push_back({idOf(t), idOf(s)});
      }
      for (size_t c = 0; c < n; ++c) {
        if (c == a || c == b) continue;
        const int64_t v = carriers_[c];
        if (a < b && near(s + t - v, g3x, f)) out.push_back({idOf(s), idOf(t), idOf(v)});
        if (near(f + s - t, g3x, v) || (a < b && near(s + t - f, g3x, v))) {
          out.push_back({idOf(v), idOf(s), idOf(t)});
        }
      }
    }
  }
  return out;
}

struct Prepared {
  std::vector<int32_t> candidates;
  std::vector<int32_t> kept;   // the group's pinned carriers
  std::vector<int32_t> onAir;  // the other groups' carriers
  int64_t base = 0, top = 0;
};

// Checks and normalises a request; on failure fills `result` and returns false.
bool Prepare(const SuggestRequest& r, Prepared& p, SuggestResult& result) {
  if (!r.guards.valid()) {
    result.message = "Guards and spacing must be 0 kHz or more";
    return false;
  }
  if (r.count < 0) {
    result.message = "The number of frequencies must not be negative";
    return false;
  }
  p.kept = r.keptKHz;
  std::sort(p.kept.begin(), p.kept.end());
  p.onAir = r.onAirKHz;
  std::sort(p.onAir.begin(), p.onAir.end());
  for (int32_t f : r.keptKHz) {
    if (f <= 0) {
      result.message = "Kept frequencies must be above 0 kHz";
      return false;
    }
  }
  for (int32_t f : r.onAirKHz) {
    if (f <= 0) {
      result.message = "Frequencies on air must be above 0 kHz";
      return false;
    }
  }
  std::vector<int32_t> fixed = p.kept;
  fixed.insert(fixed.end(), p.onAir.begin(), p.onAir.end());
  result.conflicts = ConflictsInvolving(CheckPlan(fixed, r.guards), p.kept);
  if (!result.conflicts.empty()) {
    result.status = SuggestStatus::KeptConflict;
    result.message = p.onAir.empty() ? "The kept frequencies conflict with each other"
                                     : "The kept frequencies and those of the groups on air conflict "
                                       "with each other";
    return false;
  }
  p.candidates = r.candidatesKHz;
  std::sort(p.candidates.begin(), p.candidates.end());
  p.candidates.erase(std::unique(p.candidates.begin(), p.candidates.end()), p.candidates.end());
  std::sort(fixed.begin(), fixed.end());
  std::erase_if(p.candidates, [&](int32_t f) {
    return f <= 0 || std::binary_search(fixed.begin(), fixed.end(), f);
  });
  if (p.candidates.size() > kMaxCandidates) {
    result.message = "Too many candidate frequencies (at most " + std::to_string(kMaxCandidates) + ")";
    return false;
  }
  std::vector<int32_t> all = p.candidates;
  all.insert(all.end(), fixed.begin(), fixed.end());
  if (all.empty()) {
    p.base = p.top = 1;
    return true;
  }
  const auto [lo, hi] = std::minmax_element(all.begin(), all.end());
  const Guards& g = r.guards;
  const int64_t reach = std::max({g.spacingKHz, g.twoTx3rdKHz, g.twoTx5thKHz, g.threeTx3rdKHz});
  p.base = int64_t{*lo} - reach - 1;
  p.top = int64_t{*hi} + reach + 1;
  if (p.top - p.base > kMaxSearchSpanKHz) {
    result.message = "The frequencies span more than " + MHzText(kMaxSearchSpanKHz) + " MHz";
    return false;
  }
  return true;
}

// The set as offered: re-checked together with the groups on air, never offered with a
// conflict; the other groups' carriers are not part of it.
SuggestResult Offer(const PlanSet& set, int count, const Guards& guards,
                    const std::vector<int32_t>& onAir) {
  SuggestResult result;
  std::vector<int32_t> all = set.frequencies();
  std::vector<int32_t> own = all;
  for (int32_t f : onAir) own.erase(std::find(own.begin(), own.end(), f));
  const std::vector<Conflict> recheck = ConflictsInvolving(CheckPlan(all, guards), own);
  if (!recheck.empty()) {
    result.status = SuggestStatus::Refused;
    result.message = "Internal error: the suggested set did not pass the check";
    result.conflicts = recheck;
    return result;
  }
  result.freqsKHz = std::move(own);
  result.status = static_cast<int>(result.freqsKHz.size()) >= count ? SuggestStatus::Complete
                                                                    : SuggestStatus::Partial;
  return result;
}

// Reports the share of the work budget used to the request's callback, about every
// kEvery visits, and remembers when it asked to stop.
class Progress {
 public:
  Progress(const PlanSet& set, const std::function<bool(double)>& callback, uint64_t budget)
      : set_(set), callback_(callback), budget_(budget) {}
  // False once the callback asked to stop.
  bool Go() {
    if (stopped_) return false;
    if (!callback_ || set_.work() < next_) return true;
    next_ = set_.work() + kEvery;
    const double share = std::min(1.0, static_cast<double>(set_.work()) / static_cast<double>(budget_));
    stopped_ = !callback_(share);
    return !stopped_;
  }
  bool stopped() const { return stopped_; }

 private:
  static constexpr uint64_t kEvery = 1'000'000;
  const PlanSet& set_;
  const std::function<bool(double)>& callback_;
  uint64_t budget_;
  uint64_t next_ = 0;
  bool stopped_ = false;
};

// Iterated local search over the candidates, from the set of the first pass.
class Search {
 public:
  Search(PlanSet& set, size_t want, Progress& progress)
      : set_(set), want_(want), progress_(progress), rng_(0x5A3E7A11ull) {}

  bool done() const { return set_.size() >= want_; }

  void Fill(std::vector<size_t> order) {
    set_.AddWork(order.size());
    for (size_t i : order) {
      if (done()) return;
      if (set_.CanAdd(i)) set_.Add(i);
    }
  }

  // Takes one chosen carrier out and puts two in, when that is possible.
  bool TwoForOne() {
    std::vector<size_t> members = set_.chosen();
    rng_.Shuffle(members);
    std::vector<size_t> freed;
    for (size_t x : members) {
      freed.clear();
      set_.Remove(x, &freed);
      std::erase(freed, x);
      if (freed.size() >= 2) {
        rng_.Shuffle(freed);
        for (size_t u : freed) {
          set_.Add(u);
          for (size_t v : freed) {
            if (set_.CanAdd(v)) {
              set_.Add(v);
              return true;
            }
          }
          set_.Remove(u);
        }
      }
      set_.Add(x);
    }
    return false;
  }

  // Forces a random candidate in, taking out one carrier of every conflict it would
  // bring (never a kept one).
  void Perturb() {
    const size_t u = rng_.Below(set_.candidateCount());
    if (set_.contains(u)) return;
    std::vector<size_t> out;
    for (const auto& group : set_.Culprits(u)) {
      std::vector<size_t> removable;
      bool settled = false;
      for (int32_t id : group) {
        if (id < 0) continue;
        const auto i = static_cast<size_t>(id);
        settled = settled || std::find(out.begin(), out.end(), i) != out.end();
        removable.push_back(i);
      }
      if (settled) continue;
      if (removable.empty()) return;  // only kept carriers stand in the way
      out.push_back(removable[rng_.Below(removable.size())]);
    }
    for (size_t i : out) set_.Remove(i);
    if (set_.CanAdd(u)) set_.Add(u);
  }

  void Restore(const std::vector<size_t>& members) {
    for (size_t i : std::vector<size_t>(set_.chosen())) set_.Remove(i);
    for (size_t i : members) set_.Add(i);
  }

  void LocalOptimum() {
    Fill(RandomOrder());
    while (!done() && TwoForOne()) Fill(RandomOrder());
  }

  std::vector<size_t> RandomOrder() {
    std::vector<size_t> order(set_.candidateCount());
    std::iota(order.begin(), order.end(), size_t{0});
    rng_.Shuffle(order);
    return order;
  }

  // At most `rounds` rounds, and no round started after `work` more visits (PlanSet::work).
  void Run(int rounds, uint64_t work) {
    const uint64_t stop = set_.work() + work;
    LocalOptimum();
    std::vector<size_t> best = set_.chosen();
    for (int round = 0; round < rounds && !done() && set_.work() < stop && progress_.Go(); ++round) {
      Perturb();
      LocalOptimum();
      if (set_.chosen().size() > best.size()) {
        best = set_.chosen();
      } else if (set_.chosen().size() < best.size() && rng_.Below(4) != 0) {
        Restore(best);
      }
    }
    if (set_.chosen().size() < best.size()) Restore(best);
  }

 private:
  PlanSet& set_;
  size_t want_;
  Progress& progress_;
  Random rng_;
};

// Builds the set one carrier at a time, each time taking the candidate that rules out
// the fewest of the candidates still free (the lowest one of equals). Leaving room for
// later carriers finds markedly larger sets than taking candidates in frequency order.
// Wide ranges make this pass costly: past `work` visits (PlanSet::work) it stops, and the
// plain pass completes the set.
void LeastBlockingFill(PlanSet& set, size_t want, uint64_t work, Progress& progress) {
  std::vector<uint32_t> freePrefix;
  while (set.size() < want && set.work() < work && progress.Go()) {
    set.FreePrefix(freePrefix);
    size_t best = SIZE_MAX;
    int64_t bestCost = INT64_MAX;
    for (size_t i = 0; i < set.candidateCount(); ++i) {
      if (!set.CanAdd(i)) continue;
      const int64_t cost = set.Cost(i, freePrefix);
      if (cost < bestCost) {
        bestCost = cost;
        best = i;
      }
    }
    if (best == SIZE_MAX) return;
    set.Add(best);
  }
}

SuggestResult Suggest(const SuggestRequest& request, bool search) {
  SuggestResult refused;
  Prepared p;
  if (!Prepare(request, p, refused)) return refused;
  PlanSet set(std::move(p.candidates), request.guards, p.base, p.top);
  for (int32_t f : p.kept) set.AddKept(f);
  for (int32_t f : p.onAir) set.AddKept(f);
  const size_t want = static_cast<size_t>(std::max(request.count, 0)) + p.onAir.size();
  // Budgets in candidates visited: about 0.1 s for the first pass and 0.5 s for the local
  // search on one core of today's machines, whatever the range. The search stops as soon
  // as it has enough, which a 72 MHz range at 25 kHz reaches in a small part of it.
  constexpr uint64_t kFirstPassWork = 40'000'000, kSearchWork = 160'000'000;
  Progress progress(set, request.progress, kFirstPassWork + kSearchWork);
  if (search) LeastBlockingFill(set, want, kFirstPassWork, progress);
  for (size_t i = 0; i < set.candidateCount() && set.size() < want; ++i) {
    if (set.CanAdd(i)) set.Add(i);
  }
  if (search && set.size() < want && !progress.stopped()) {
    Search(set, want, progress).Run(request.effort, kSearchWork);
  }
  SuggestResult result = Offer(set, request.count, request.guards, p.onAir);
  result.cancelled = progress.stopped();
  return result;
}

}  // namespace

std::vector<Conflict> ConflictsInvolving(const std::vector<Conflict>& conflicts, std::vector<int32_t> own) {
  std::sort(own.begin(), own.end());
  const auto mine = [&](int64_t f) { return std::binary_search(own.begin(), own.end(), f); };
  std::vector<Conflict> out;
  for (const Conflict& c : conflicts) {
    bool involved = mine(c.victimKHz);
    for (int i = 0; i < c.makerCount && !involved; ++i) involved = mine(c.makersKHz[static_cast<size_t>(i)]);
    if (involved) out.push_back(c);
  }
  return out;
}

SuggestResult SuggestFrequencies(const SuggestRequest& request) { return Suggest(request, true); }

SuggestResult SuggestGreedy(const SuggestRequest& request) { return Suggest(request, false); }

std::vector<int32_t> StepGrid(int32_t lowKHz, int32_t highKHz, int32_t stepHz) {
  std::vector<int32_t> out;
  if (stepHz <= 0 || lowKHz > highKHz) return out;
  // Whole kHz values on the step: multiples of lcm(step, 1 kHz) in Hz.
  const int64_t lcmHz = std::lcm(int64_t{stepHz}, int64_t{1000});
  const int64_t every = lcmHz / 1000;
  // One past the most a search takes, so that a range too fine for it is refused there.
  for (int64_t f = (std::max(int64_t{lowKHz}, int64_t{1}) + every - 1) / every * every;
       f <= highKHz && out.size() <= kMaxCandidates; f += every) {
    out.push_back(static_cast<int32_t>(f));
  }
  return out;
}

}  // namespace zentra::plan
