#include "media/ToneMap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace brevlo::media {
namespace {

constexpr double ReferenceWhite = 203;  // cd/m2: graphics white in both curves
constexpr double Peak = 1000;           // cd/m2: what highlights are rolled off from
// Below this part of reference white, light is kept as it is.
constexpr double Knee = 0.5;

// Display light in cd/m2 from a PQ code value.
double FromPq(double coded) {
  constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128;
  constexpr double c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32, c3 = 2392.0 / 4096 * 32;
  const double p = std::pow(std::clamp(coded, 0.0, 1.0), 1 / m2);
  return 10000 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1);
}

// Scene light 0..1 from an HLG code value.
double FromHlg(double coded) {
  constexpr double a = 0.17883277, b = 1 - 4 * a, c = 0.5 - a * std::log(4 * a);
  const double e = std::clamp(coded, 0.0, 1.0);
  return e <= 0.5 ? e * e / 3 : (std::exp((e - c) / a) + b) / 12;
}

// Light relative to reference white onto 0..1: kept below the knee, a curve with no kink above
// it that reaches 1 at the peak.
double RolledOff(double light) {
  if (light <= Knee) return std::max(light, 0.0);
  const double room = (Peak / ReferenceWhite - Knee) / (1 - Knee);
  const double x = std::min((light - Knee) / (1 - Knee), room);
  return Knee + (1 - Knee) * x * (1 + x / (room * room)) / (1 + x);
}

}  // namespace

Rgb ToneMapped(Curve curve, Rgb coded) {
  if (curve == Curve::Sdr) return coded;
  Rgb light;  // BT.2020, cd/m2
  if (curve == Curve::Pq) {
    light = {FromPq(coded.r), FromPq(coded.g), FromPq(coded.b)};
  } else {
    // The HLG system gamma on a 1000 cd/m2 screen, applied to the scene's brightness.
    const Rgb scene{FromHlg(coded.r), FromHlg(coded.g), FromHlg(coded.b)};
    const double brightness = 0.2627 * scene.r + 0.6780 * scene.g + 0.0593 * scene.b;
    const double gain = Peak * std::pow(std::max(brightness, 1e-6), 0.2);
    light = {gain * scene.r, gain * scene.g, gain * scene.b};
  }
  // BT.2020 to BT.709 colours, relative to reference white.
  const double r = (1.6605 * light.r - 0.5876 * light.g - 0.0728 * light.b) / ReferenceWhite;
  const double g = (-0.1246 * light.r + 1.1329 * light.g - 0.0083 * light.b) / ReferenceWhite;
  const double b = (-0.0182 * light.r - 0.1006 * light.g + 1.1187 * light.b) / ReferenceWhite;
  const auto shown = [](double v) { return std::pow(RolledOff(v), 1 / 2.4); };
  return {shown(r), shown(g), shown(b)};
}

std::string ToneTable(Curve curve, int size) {
  std::string text = "LUT_3D_SIZE " + std::to_string(size) + "\n";
  char line[64];
  const double step = 1.0 / (size - 1);
  for (int b = 0; b < size; ++b) {
    for (int g = 0; g < size; ++g) {
      for (int r = 0; r < size; ++r) {  // red changes fastest
        const Rgb out = ToneMapped(curve, {r * step, g * step, b * step});
        std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", out.r, out.g, out.b);
        text += line;
      }
    }
  }
  return text;
}

std::string FilterEscaped(const std::string& path) {
  // Once for the option's own parser, once more for the description around it.
  std::string option, escaped;
  for (const char c : path) {
    if (c == '\\' || c == '\'' || c == ':') option += '\\';
    option += c;
  }
  for (const char c : option) {
    if (c == '\\' || c == '\'' || c == '[' || c == ']' || c == ',' || c == ';') escaped += '\\';
    escaped += c;
  }
  return escaped;
}

}  // namespace brevlo::media
