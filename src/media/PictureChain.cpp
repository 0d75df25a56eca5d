#include "media/PictureChain.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace brevlo::media {
namespace {

// The colorspace filter's names of a matrix, and of the primaries and curve that go with it.
struct Colours {
  const char* space;
  const char* primaries;
  const char* curve;
};

Colours ColoursOf(Matrix matrix) {
  switch (matrix) {
    case Matrix::Bt709:
      return {"bt709", "bt709", "bt709"};
    case Matrix::Bt2020:
      return {"bt2020ncl", "bt2020", "bt2020-10"};
    default:
      return {"bt470bg", "bt709", "bt709"};
  }
}

std::string Joined(const std::vector<std::string>& steps) {
  std::string chain;
  for (const std::string& step : steps) {
    if (!chain.empty()) chain += ',';
    chain += step;
  }
  return chain;
}

std::string Scaled(int width, int height) {
  return "scale=w=" + std::to_string(width) + ":h=" + std::to_string(height) + ":flags=bicubic";
}

// How much line y differs from the mean of the lines `apart` above and below it in `other`
// (the same picture or another), summed over every fourth column.
long long LineDifference(const Luma& picture, const Luma& other, int y, int apart) {
  const std::uint8_t* row = picture.rows + static_cast<std::ptrdiff_t>(y) * picture.stride;
  const std::uint8_t* above = other.rows + static_cast<std::ptrdiff_t>(y - apart) * other.stride;
  const std::uint8_t* below = other.rows + static_cast<std::ptrdiff_t>(y + apart) * other.stride;
  long long sum = 0;
  for (int x = 0; x < picture.width; x += 4) {
    const int d = 2 * row[x] - above[x] - below[x];
    sum += d < 0 ? -d : d;
  }
  return sum;
}

// Recent evidence, kept within bounds so that a change of mind takes a few frames.
void Weigh(int& score, int vote) {
  constexpr int Memory = 8;
  score = std::clamp(score + vote, -Memory, Memory);
}

}  // namespace

FieldJudge::Verdict FieldJudge::Judge(const Luma& frame, const Luma* previous) {
  long long near = 0, far = 0;
  for (int y = 2; y + 2 < frame.height; ++y) {
    near += LineDifference(frame, frame, y, 1);
    far += LineDifference(frame, frame, y, 2);
  }
  // A few levels a sample: below that the picture stands still, and tells nothing.
  const long long samples = static_cast<long long>((frame.width + 3) / 4) * frame.height;
  if (near > 3 * far / 2 && near > 4 * samples) {
    Weigh(interlaced_, 1);
  } else if (near < far) {
    Weigh(interlaced_, -1);
  }
  if (previous != nullptr && previous->width == frame.width && previous->height == frame.height) {
    // Top first: the previous frame's bottom lines came just before this one's top lines.
    long long afterBottom = 0, afterTop = 0;
    for (int y = 2; y + 2 < frame.height; ++y) {
      (y % 2 == 0 ? afterBottom : afterTop) += LineDifference(frame, *previous, y, 1);
    }
    if (afterBottom * 5 < afterTop * 4) Weigh(topFirst_, 1);
    if (afterTop * 5 < afterBottom * 4) Weigh(topFirst_, -1);
  }
  return {interlaced_ > 0, topFirst_ >= 0};
}

Matrix GuessedMatrix(int width, int height) {
  return width >= 1280 || height > 576 ? Matrix::Bt709 : Matrix::Bt601;
}

Fields UnsaidFields(int height, double fps) {
  const bool broadcastSize = height == 480 || height == 486 || height == 576 || height == 1080;
  return broadcastSize && fps > 0 && fps < 31 ? Fields::Unknown : Fields::Progressive;
}

std::string PictureFilters(const PictureFacts& facts, const OutputSettings& plan) {
  std::vector<std::string> steps;
  // Fields are woven back before scaling mixes their lines. Frames of a source that does not
  // say are marked by the judge first.
  if (facts.fields != Fields::Progressive) {
    steps.emplace_back("bwdif=mode=send_frame:parity=auto:deint=interlaced");
  }

  // Scaled in the stored orientation, turned afterwards; colours are worked on the small picture.
  const bool sideways = facts.quarterTurns % 2 != 0;
  const int width = sideways ? plan.pictureHeight : plan.pictureWidth;
  const int height = sideways ? plan.pictureWidth : plan.pictureHeight;
  const char* range = facts.fullRange ? "pc" : "tv";
  if (facts.curve != Curve::Sdr && !facts.toneTable.empty()) {
    // The table maps the curve's light values, as RGB in the source's own colours.
    steps.push_back(Scaled(width, height) + ":in_color_matrix=" + ColoursOf(facts.matrix).space +
                    ":in_range=" + range);
    steps.emplace_back("format=rgb48le");
    steps.push_back("lut3d=file=" + facts.toneTable + ":interp=tetrahedral");
    steps.emplace_back("scale=out_color_matrix=bt601:out_range=tv");
    steps.emplace_back("format=yuv420p");
  } else if (facts.matrix == Matrix::Bt601 && !facts.fullRange) {
    steps.push_back(Scaled(width, height));
    steps.emplace_back("format=yuv420p");
  } else {
    // The scaler keeps the range it is given; the colorspace filter converts more exactly than
    // the scaler's own matrices, and brings BT.2020 colours into BT.709's.
    steps.push_back(Scaled(width, height) + ":in_range=" + range + ":out_range=" + range);
    steps.emplace_back("format=yuv420p");
    const Colours from = ColoursOf(facts.matrix);
    steps.push_back(std::string("colorspace=ispace=") + from.space +
                    ":iprimaries=" + from.primaries + ":itrc=" + from.curve + ":irange=" + range +
                    ":space=bt470bg:primaries=bt709:trc=bt709:range=tv:format=yuv420p");
  }

  switch (((facts.quarterTurns % 4) + 4) % 4) {
    case 1:
      steps.emplace_back("transpose=dir=clock");
      break;
    case 2:
      steps.emplace_back("hflip");
      steps.emplace_back("vflip");
      break;
    case 3:
      steps.emplace_back("transpose=dir=cclock");
      break;
    default:
      break;
  }
  steps.push_back("pad=w=" + std::to_string(plan.width) + ":h=" + std::to_string(plan.height) +
                  ":x=" + std::to_string(plan.left) + ":y=" + std::to_string(plan.top) +
                  ":color=black");
  // Subtitles are drawn here, on the whole canvas: inside the frame, never on the bars' edge.
  return Joined(steps);
}

}  // namespace brevlo::media
