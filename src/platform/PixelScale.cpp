#include "platform/PixelScale.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

namespace brevlo::platform {
namespace {

constexpr int WeightBits = 14;
constexpr int WeightOne = 1 << WeightBits;

// The source pixels, and their weights, that make each pixel along one axis.
struct Taps {
  std::vector<int> first;   // per target pixel: index of its first tap in index/weight
  std::vector<int> count;   // per target pixel
  std::vector<int> index;   // source pixel
  std::vector<int> weight;  // fixed point, summing to WeightOne per target pixel
};

Taps TapsFor(int srcSize, int dstSize) {
  Taps taps;
  const double ratio = static_cast<double>(srcSize) / dstSize;
  const double support = std::max(ratio, 1.0);
  for (int i = 0; i < dstSize; ++i) {
    const double centre = (i + 0.5) * ratio - 0.5;
    const int lo = static_cast<int>(std::floor(centre - support)) + 1;
    const int hi = static_cast<int>(std::floor(centre + support));
    std::vector<std::pair<int, double>> raw;
    double sum = 0;
    for (int j = lo; j <= hi; ++j) {
      const double w = 1.0 - std::abs(j - centre) / support;
      if (w <= 0) continue;
      raw.emplace_back(std::clamp(j, 0, srcSize - 1), w);
      sum += w;
    }
    taps.first.push_back(static_cast<int>(taps.index.size()));
    taps.count.push_back(static_cast<int>(raw.size()));
    int given = 0;
    for (std::size_t k = 0; k < raw.size(); ++k) {
      // The last tap takes the rounding, so a flat colour stays exactly that colour.
      const int w = k + 1 == raw.size()
                        ? WeightOne - given
                        : static_cast<int>(std::lround(raw[k].second / sum * WeightOne));
      given += w;
      taps.index.push_back(raw[k].first);
      taps.weight.push_back(w);
    }
  }
  return taps;
}

}  // namespace

void ScalePixels24(const std::uint8_t* src, int srcWidth, int srcHeight, int srcStride,
                   std::uint8_t* dst, int dstWidth, int dstHeight, int dstStride) {
  if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0) return;
  const Taps across = TapsFor(srcWidth, dstWidth);
  const Taps down = TapsFor(srcHeight, dstHeight);
  // Across first, into rows of the target's width kept at full precision.
  std::vector<int> rows(static_cast<std::size_t>(srcHeight) * dstWidth * 3);
  for (int y = 0; y < srcHeight; ++y) {
    const std::uint8_t* in = src + static_cast<std::ptrdiff_t>(y) * srcStride;
    int* out = rows.data() + static_cast<std::size_t>(y) * dstWidth * 3;
    for (int x = 0; x < dstWidth; ++x) {
      int c0 = 0, c1 = 0, c2 = 0;
      for (int k = across.first[x], end = k + across.count[x]; k < end; ++k) {
        const std::uint8_t* p = in + across.index[k] * 3;
        c0 += p[0] * across.weight[k];
        c1 += p[1] * across.weight[k];
        c2 += p[2] * across.weight[k];
      }
      out[x * 3] = c0;
      out[x * 3 + 1] = c1;
      out[x * 3 + 2] = c2;
    }
  }
  constexpr long long Half = 1ll << (2 * WeightBits - 1);
  for (int y = 0; y < dstHeight; ++y) {
    std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(y) * dstStride;
    for (int x = 0; x < dstWidth * 3; ++x) {
      long long sum = 0;
      for (int k = down.first[y], end = k + down.count[y]; k < end; ++k) {
        sum += static_cast<long long>(
                   rows[static_cast<std::size_t>(down.index[k]) * dstWidth * 3 + x]) *
               down.weight[k];
      }
      out[x] = static_cast<std::uint8_t>(
          std::clamp<long long>((sum + Half) >> (2 * WeightBits), 0, 255));
    }
  }
}

}  // namespace brevlo::platform
