// High dynamic range pictures mapped for an ordinary screen, and the table's file name carried
// through a filter description.
#include "media/ToneMap.h"

#include <gtest/gtest.h>

#include <fstream>

extern "C" {
#include <libavfilter/avfilter.h>
}

#include "support/ScratchFolder.h"

namespace brevlo {
namespace {

using media::Curve;
using media::Rgb;

TEST(ToneMap, LightArrivesAsAnOrdinaryScreenShowsIt) {
  struct Case {
    const char* name;
    Curve curve;
    Rgb coded, shown;
  };
  // Worked out by hand from the BT.2100 curves: cd/m2 against a white of 203, gamma 2.4.
  const Case cases[] = {
      {"black stays black", Curve::Pq, {0, 0, 0}, {0, 0, 0}},
      {"PQ 100 cd/m2 grey, below the knee",
       Curve::Pq,
       {0.5081, 0.5081, 0.5081},
       {0.7444, 0.7444, 0.7444}},
      {"PQ 1000 cd/m2, the peak: white", Curve::Pq, {0.7518, 0.7518, 0.7518}, {1, 1, 1}},
      {"PQ 10000 cd/m2: no more than white", Curve::Pq, {1, 1, 1}, {1, 1, 1}},
      {"HLG 75 %: reference white, rolled off a little",
       Curve::Hlg,
       {0.75, 0.75, 0.75},
       {0.8887, 0.8887, 0.8887}},
      {"HLG grey at half", Curve::Hlg, {0.5, 0.5, 0.5}, {0.5610, 0.5610, 0.5610}},
      // A pure BT.2020 green lies outside BT.709: its red and blue go below zero and are cut.
      {"PQ green beyond BT.709", Curve::Pq, {0, 0.5081, 0}, {0, 0.7808, 0}},
      {"an ordinary picture passes", Curve::Sdr, {0.2, 0.5, 0.9}, {0.2, 0.5, 0.9}},
  };
  for (const Case& c : cases) {
    const Rgb got = media::ToneMapped(c.curve, c.coded);
    EXPECT_NEAR(got.r, c.shown.r, 0.002) << c.name;
    EXPECT_NEAR(got.g, c.shown.g, 0.002) << c.name;
    EXPECT_NEAR(got.b, c.shown.b, 0.002) << c.name;
  }
  // Brighter never comes out darker, from black to the top of the curve.
  for (const Curve curve : {Curve::Pq, Curve::Hlg}) {
    double last = -1;
    for (int step = 0; step <= 100; ++step) {
      const double v = media::ToneMapped(curve, {step / 100.0, step / 100.0, step / 100.0}).g;
      EXPECT_GE(v, last) << step;
      last = v;
    }
  }
}

// The table as a file whose name holds every character a description treats specially.
TEST(ToneMap, TheTableOpensInTheFilterUnderAnyFileName) {
  testing::ScratchFolder scratch("brevlo-tone");
  const auto path = scratch.Path() / "C:, O'Brien [a]; b\\c.cube";
  std::ofstream(path) << media::ToneTable(Curve::Hlg, 9);
  AVFilterGraph* graph = avfilter_graph_alloc();
  AVFilterInOut *ins = nullptr, *outs = nullptr;
  const std::string chain = "buffer=video_size=16x16:pix_fmt=rgb48le:time_base=1/25,lut3d=file=" +
                            media::FilterEscaped(path.string()) + ",buffersink";
  EXPECT_GE(avfilter_graph_parse2(graph, chain.c_str(), &ins, &outs), 0) << chain;
  EXPECT_GE(avfilter_graph_config(graph, nullptr), 0) << chain;
  avfilter_inout_free(&ins);
  avfilter_inout_free(&outs);
  avfilter_graph_free(&graph);
}

}  // namespace
}  // namespace brevlo
