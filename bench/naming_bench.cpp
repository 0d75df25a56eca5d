// Handing out free PSP names against one pass over the PSP list's captions.
#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "library/PspNaming.h"

using namespace brevlo;

namespace {

// A PSP list of `count` videos with a gap every 97 numbers, as deletions leave them.
std::vector<std::string> PspList(int count) {
  std::vector<std::string> captions;
  for (int n = 1; static_cast<int>(captions.size()) < count && n <= library::MaxPspNumber; ++n) {
    if (n % 97 != 0) captions.push_back(library::PspFileName(0, n));
  }
  return captions;
}

// One pass that looks at every caption, as any per-name search must at least once.
std::size_t OnePass(const std::vector<std::string>& captions) {
  std::size_t sum = 0;
  for (const auto& c : captions) sum += static_cast<std::size_t>(library::PspNumberOf(0, c));
  return sum;
}

}  // namespace

int main() {
  std::vector<bench::Figure> figures;
  volatile std::size_t sink = 0;
  for (int size : {10000, 99000}) {
    const auto captions = PspList(size);
    const int names = 1000;
    // One transfer of 1,000 videos: the taken numbers are gathered once.
    auto transfer = bench::SideBySide(
        "1000 names in one transfer, list " + std::to_string(size),
        [&] {
          library::PspNameSource source(0, captions);
          for (int i = 0; i < names; ++i) sink = sink + source.Next().size();
        },
        "one pass over the list", [&] { sink = sink + OnePass(captions); }, 9);
    transfer.name += " (per name)";
    transfer.value /= names;
    figures.push_back(transfer);
    // The worst case: every name asked for on its own, each against the whole list.
    std::vector<std::string> handed;
    auto single = bench::SideBySide(
        "1000 names asked one by one, list " + std::to_string(size),
        [&] {
          handed.clear();
          for (int i = 0; i < names / 10; ++i) {
            handed.push_back(library::NextFreePspFileName(0, captions, handed));
          }
        },
        "one pass over the list", [&] { sink = sink + OnePass(captions); }, 5);
    single.name = "one name asked alone, list " + std::to_string(size) + " (per name)";
    single.value /= names / 10;
    figures.push_back(single);
  }
  bench::PrintFigures(figures);
  return 0;
}
