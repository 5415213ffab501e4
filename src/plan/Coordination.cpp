#include "plan/Coordination.h"

#include <algorithm>
#include <tuple>

namespace zentra::plan {

bool Guards::valid() const {
  return spacingKHz >= 0 && twoTx3rdKHz >= 0 && twoTx5thKHz >= 0 && threeTx3rdKHz >= 0;
}

namespace {

// Appends one conflict for every carrier of `sorted` (distinct frequencies, ascending)
// within `guard` of `product`, other than the makers.
void AddVictims(const std::vector<int32_t>& sorted, ConflictKind kind, int64_t product,
                int32_t guard, std::array<int32_t, 3> makers, int makerCount,
                std::vector<Conflict>& out) {
  auto it = std::lower_bound(sorted.begin(), sorted.end(), product - guard,
                             [](int32_t f, int64_t v) { return f < v; });
  for (; it != sorted.end() && *it <= product + guard; ++it) {
    bool isMaker = false;
    for (int m = 0; m < makerCount; ++m) isMaker = isMaker || makers[static_cast<size_t>(m)] == *it;
    if (isMaker) continue;
    out.push_back(Conflict{kind, *it, product, makers, makerCount});
  }
}

auto OrderKey(const Conflict& c) {
  return std::tuple(c.victimKHz, static_cast<int>(c.kind), c.productKHz, c.makersKHz, c.makerCount);
}

}  // namespace

std::vector<Conflict> CheckPlan(const std::vector<int32_t>& activeKHz, const Guards& guards) {
  std::vector<Conflict> out;
  std::vector<int32_t> all = activeKHz;
  std::sort(all.begin(), all.end());

  // Spacing, per channel: a frequency held by two channels is one conflict of distance 0.
  for (size_t i = 0; i < all.size(); ++i) {
    if (i > 0 && all[i] == all[i - 1]) {
      if (i < 2 || all[i - 2] != all[i]) {
        out.push_back(Conflict{ConflictKind::Spacing, all[i], all[i], {all[i], 0, 0}, 1});
      }
      continue;
    }
    for (size_t j = 0; j < all.size(); ++j) {
      if (all[j] == all[i] || (j > 0 && all[j] == all[j - 1])) continue;
      const int64_t d = static_cast<int64_t>(all[j]) - all[i];
      if ((d < 0 ? -d : d) < guards.spacingKHz) {
        out.push_back(Conflict{ConflictKind::Spacing, all[i], all[j], {all[j], 0, 0}, 1});
      }
    }
  }

  // Intermodulation, from distinct frequencies only.
  std::vector<int32_t> f = all;
  f.erase(std::unique(f.begin(), f.end()), f.end());
  const size_t n = f.size();
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = 0; b < n; ++b) {
      if (a == b) continue;
      const int64_t fa = f[a], fb = f[b];
      AddVictims(f, ConflictKind::TwoTx3rd, 2 * fa - fb, guards.twoTx3rdKHz, {f[a], f[b], 0}, 2, out);
      AddVictims(f, ConflictKind::TwoTx5th, 3 * fa - 2 * fb, guards.twoTx5thKHz, {f[a], f[b], 0}, 2,
                 out);
    }
  }
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = a + 1; b < n; ++b) {
      for (size_t c = 0; c < n; ++c) {
        if (c == a || c == b) continue;
        AddVictims(f, ConflictKind::ThreeTx3rd, static_cast<int64_t>(f[a]) + f[b] - f[c],
                   guards.threeTx3rdKHz, {f[a], f[b], f[c]}, 3, out);
      }
    }
  }
  std::sort(out.begin(), out.end(),
            [](const Conflict& x, const Conflict& y) { return OrderKey(x) < OrderKey(y); });
  return out;
}

std::vector<std::vector<size_t>> ConflictsPerCarrier(const std::vector<int32_t>& activeKHz,
                                                     const std::vector<Conflict>& conflicts) {
  std::vector<std::vector<size_t>> per(activeKHz.size());
  for (size_t i = 0; i < activeKHz.size(); ++i) {
    // The conflicts are ordered by victim: one range per frequency.
    auto it = std::lower_bound(conflicts.begin(), conflicts.end(), activeKHz[i],
                               [](const Conflict& c, int32_t v) { return c.victimKHz < v; });
    for (; it != conflicts.end() && it->victimKHz == activeKHz[i]; ++it) {
      per[i].push_back(static_cast<size_t>(it - conflicts.begin()));
    }
  }
  return per;
}

std::vector<ChannelMark> MarkChannels(const std::vector<std::optional<int32_t>>& rowsKHz,
                                      const Guards& guards) {
  std::vector<int32_t> active;
  for (const auto& f : rowsKHz) {
    if (f) active.push_back(*f);
  }
  const std::vector<Conflict> conflicts = CheckPlan(active, guards);
  const auto per = ConflictsPerCarrier(active, conflicts);
  std::vector<ChannelMark> marks(rowsKHz.size());
  size_t next = 0;
  for (size_t row = 0; row < rowsKHz.size(); ++row) {
    if (!rowsKHz[row]) continue;
    for (size_t i : per[next]) marks[row].conflicts.push_back(conflicts[i]);
    ++next;
  }
  return marks;
}

std::string ChannelMark::toolTip() const {
  std::string out;
  for (size_t i = 0; i < conflicts.size() && i < kToolTipLines; ++i) {
    if (i) out += "\n";
    out += ConflictText(conflicts[i]);
  }
  if (conflicts.size() > kToolTipLines) {
    out += "\n... " + std::to_string(conflicts.size() - kToolTipLines) + " more";
  }
  return out;
}

std::string MHzText(int64_t kHz) {
  const bool negative = kHz < 0;
  const uint64_t v = negative ? static_cast<uint64_t>(-(kHz + 1)) + 1 : static_cast<uint64_t>(kHz);
  std::string frac = std::to_string(v % 1000);
  frac.insert(0, 3 - frac.size(), '0');
  return (negative ? "-" : "") + std::to_string(v / 1000) + "." + frac;
}

std::optional<int32_t> ParseMHz(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  const size_t point = text.find_first_of(".,");
  const std::string_view whole = text.substr(0, point);
  const std::string_view frac = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
  if (whole.empty() || whole.size() > 7 || frac.size() > 3) return std::nullopt;
  if (point != std::string_view::npos && frac.empty()) return std::nullopt;
  int64_t kHz = 0;
  for (char c : whole) {
    if (c < '0' || c > '9') return std::nullopt;
    kHz = kHz * 10 + (c - '0');
  }
  int64_t fraction = 0;
  for (size_t i = 0; i < 3; ++i) {
    const char c = i < frac.size() ? frac[i] : '0';
    if (c < '0' || c > '9') return std::nullopt;
    fraction = fraction * 10 + (c - '0');
  }
  kHz = kHz * 1000 + fraction;
  if (kHz > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(kHz);
}

const char* ConflictKindName(ConflictKind kind) {
  switch (kind) {
    case ConflictKind::Spacing: return "spacing";
    case ConflictKind::TwoTx3rd: return "2Tx 3rd";
    case ConflictKind::TwoTx5th: return "2Tx 5th";
    case ConflictKind::ThreeTx3rd: return "3Tx 3rd";
  }
  return "";
}

std::string ConflictText(const Conflict& c) {
  const std::string f1 = MHzText(c.makersKHz[0]), f2 = MHzText(c.makersKHz[1]);
  switch (c.kind) {
    case ConflictKind::Spacing:
      if (c.distanceKHz() == 0) return "same frequency as another channel";
      return "too close to " + f1 + " MHz (" + std::to_string(c.distanceKHz()) + " kHz apart)";
    case ConflictKind::TwoTx3rd: return "3rd-order product of " + f1 + " and " + f2 + " MHz";
    case ConflictKind::TwoTx5th: return "5th-order product of " + f1 + " and " + f2 + " MHz";
    case ConflictKind::ThreeTx3rd:
      return "3rd-order product of " + f1 + ", " + f2 + " and " + MHzText(c.makersKHz[2]) + " MHz";
  }
  return {};
}

std::string ConflictFormula(const Conflict& c) {
  const std::string f1 = MHzText(c.makersKHz[0]), f2 = MHzText(c.makersKHz[1]);
  const std::string result = " = " + MHzText(c.productKHz) + " MHz";
  switch (c.kind) {
    case ConflictKind::Spacing: return MHzText(c.productKHz) + " MHz";
    case ConflictKind::TwoTx3rd: return "2*" + f1 + " - " + f2 + result;
    case ConflictKind::TwoTx5th: return "3*" + f1 + " - 2*" + f2 + result;
    case ConflictKind::ThreeTx3rd: return f1 + " + " + f2 + " - " + MHzText(c.makersKHz[2]) + result;
  }
  return {};
}

}  // namespace zentra::plan
