#pragma once

// Small timing helpers shared by the benchmarks: medians of repeated runs, and the closing
// lines "figure  baseline  ratio".

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace brevlo::bench {

inline double Seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

struct Figure {
  std::string name;
  double value;
  std::string baselineName;
  double baseline;
  std::string unit;
};

// Runs figure and baseline alternately, so that a noisy neighbour hurts both alike.
inline Figure SideBySide(const std::string& name, const std::function<void()>& figure,
                         const std::string& baselineName, const std::function<void()>& baseline,
                         int repeats) {
  std::vector<double> a, b;
  for (int i = 0; i < repeats; ++i) {
    a.push_back(Seconds(figure));
    b.push_back(Seconds(baseline));
  }
  return Figure{name, Median(a), baselineName, Median(b), "s"};
}

inline void PrintFigures(const std::vector<Figure>& figures) {
  std::printf("\n%-44s %12s   %-30s %12s %8s\n", "figure", "median", "baseline", "median", "ratio");
  for (const auto& f : figures) {
    std::printf("%-44s %10.4f %s   %-30s %10.4f %s %8.3f\n", f.name.c_str(), f.value,
                f.unit.c_str(), f.baselineName.c_str(), f.baseline, f.unit.c_str(),
                f.baseline > 0 ? f.value / f.baseline : 0.0);
  }
}

}  // namespace brevlo::bench
