// Frequency coordination of one group: which active carriers can run together. Two or
// three transmitters on air mix into intermodulation products; a product that lands
// near a third carrier ruins it. The check lists every such conflict, and every pair of
// carriers closer than the minimum spacing, in exact whole-kHz arithmetic.
//
// Distances, as a coordinator reads them:
// - the spacing is a minimum: carriers exactly `spacingKHz` apart are fine, closer is a
//   conflict (two channels on the same frequency are a conflict of distance 0);
// - a guard is a protection band around every carrier: a product that lands inside it,
//   its edges included, is a conflict. A guard of 0 counts only exact hits.
// A product never counts against the carriers that make it, and products are formed
// only from distinct frequencies.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zentra::plan {

// Minimum distances of a coordinated group, in kHz; each must be 0 or more.
struct Guards {
  int32_t spacingKHz = 350;     // between two carriers
  int32_t twoTx3rdKHz = 100;    // 2f1 - f2 from a carrier
  int32_t twoTx5thKHz = 50;     // 3f1 - 2f2 from a carrier
  int32_t threeTx3rdKHz = 50;   // f1 + f2 - f3 from a carrier
  bool valid() const;
};

enum class ConflictKind {
  Spacing,     // another carrier closer than the spacing
  TwoTx3rd,    // 2f1 - f2
  TwoTx5th,    // 3f1 - 2f2
  ThreeTx3rd,  // f1 + f2 - f3
};

// One carrier hurt by one cause.
struct Conflict {
  ConflictKind kind = ConflictKind::Spacing;
  int32_t victimKHz = 0;   // the carrier that suffers
  int64_t productKHz = 0;  // where the product lands; Spacing: the neighbouring carrier
  // The frequencies in the product's formula order (f1, f2[, f3]); Spacing: the neighbour.
  std::array<int32_t, 3> makersKHz{};
  int makerCount = 0;

  int64_t distanceKHz() const {
    return productKHz > victimKHz ? productKHz - victimKHz : victimKHz - productKHz;
  }
  bool operator==(const Conflict&) const = default;
};

// Every conflict among the active carriers (kHz; one entry per active channel, repeats
// allowed), ordered by victim, then kind, then product and makers.
std::vector<Conflict> CheckPlan(const std::vector<int32_t>& activeKHz, const Guards& guards);

// The conflicts of each carrier of activeKHz (indexes into `conflicts`, whose victim is
// that carrier's frequency), so a channel grid can mark and explain each row.
std::vector<std::vector<size_t>> ConflictsPerCarrier(const std::vector<int32_t>& activeKHz,
                                                     const std::vector<Conflict>& conflicts);

// The marks of a channel grid: for each row, the conflicts its channel suffers. A row
// whose channel is not on air (hidden, or its frequency unknown) is nullopt and gets
// none; it does not take part in the check either.
struct ChannelMark {
  std::vector<Conflict> conflicts;
  bool conflict() const { return !conflicts.empty(); }
  // One line per conflict (ConflictText), at most kToolTipLines, then "... N more".
  std::string toolTip() const;
  static constexpr size_t kToolTipLines = 8;
};
std::vector<ChannelMark> MarkChannels(const std::vector<std::optional<int32_t>>& rowsKHz,
                                      const Guards& guards);

// "3rd-order product of 470.100 and 470.200 MHz", "5th-order product of ...",
// "3rd-order product of 470.100, 470.200 and 470.400 MHz", "too close to 470.300 MHz
// (200 kHz apart)" or "same frequency as another channel".
std::string ConflictText(const Conflict& conflict);
// The formula with its result, e.g. "2*470.100 - 470.200 = 470.000 MHz".
std::string ConflictFormula(const Conflict& conflict);
// "spacing", "2Tx 3rd", "2Tx 5th", "3Tx 3rd".
const char* ConflictKindName(ConflictKind kind);

// kHz as MHz with three decimals ("470.100"), exact.
std::string MHzText(int64_t kHz);
// Whole MHz with at most three decimals ("470", "470.1", "470.100"; "," counts as ".")
// into kHz. Nothing else is accepted: no sign, no exponent, no other characters.
std::optional<int32_t> ParseMHz(std::string_view text);

}  // namespace zentra::plan
