#include "plan/Spectrum.h"

#include <algorithm>

namespace zentra::plan {

std::vector<Product> IntermodProducts(const std::vector<int32_t>& carriersKHz, int64_t lowKHz, int64_t highKHz) {
  std::vector<int64_t> f(carriersKHz.begin(), carriersKHz.end());
  std::sort(f.begin(), f.end());
  f.erase(std::unique(f.begin(), f.end()), f.end());
  std::vector<Product> out;
  const auto add = [&](ConflictKind kind, int64_t kHz) {
    if (kHz >= lowKHz && kHz <= highKHz && out.size() < kMaxProducts) out.push_back({kind, kHz});
  };
  const size_t n = f.size();
  for (size_t a = 0; a < n; ++a) {
    for (size_t b = 0; b < n; ++b) {
      if (a == b) continue;
      add(ConflictKind::TwoTx3rd, 2 * f[a] - f[b]);
      add(ConflictKind::TwoTx5th, 3 * f[a] - 2 * f[b]);
      // f1 + f2 - f3 with f1 < f2 and f3 another carrier.
      if (a < b) {
        for (size_t c = 0; c < n; ++c) {
          if (c != a && c != b) add(ConflictKind::ThreeTx3rd, f[a] + f[b] - f[c]);
        }
      }
    }
  }
  std::sort(out.begin(), out.end(), [](const Product& x, const Product& y) {
    return std::pair(x.kHz, static_cast<int>(x.kind)) < std::pair(y.kHz, static_cast<int>(y.kind));
  });
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace zentra::plan
