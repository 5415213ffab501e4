// What a spectrum picture of a coordinated group shows besides the carriers: where their
// intermodulation products land, each kind (order) once per frequency.
#pragma once

#include <cstdint>
#include <vector>

#include "plan/Coordination.h"

namespace zentra::plan {

struct Product {
  ConflictKind kind = ConflictKind::TwoTx3rd;  // never Spacing
  int64_t kHz = 0;
  bool operator==(const Product&) const = default;
};

// Every 2f1 - f2, 3f1 - 2f2 and f1 + f2 - f3 of distinct carriers that lands inside
// [lowKHz, highKHz], ascending by frequency then kind, without repeats. At most
// kMaxProducts are given (a picture of more would be unreadable anyway).
std::vector<Product> IntermodProducts(const std::vector<int32_t>& carriersKHz, int64_t lowKHz, int64_t highKHz);
inline constexpr size_t kMaxProducts = 200'000;

}  // namespace zentra::plan
