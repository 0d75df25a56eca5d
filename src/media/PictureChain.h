#pragma once

// The picture's way from the decoder to the PSP's encoder, written as a filter chain: fields
// woven, colours brought to what the PSP reads, scaled, turned and put on the 480 x 272 canvas.
// Pure: it sees facts, not the libraries' types.

#include <cstdint>
#include <string>

#include "media/Conversion.h"

namespace brevlo::media {

// The YCbCr matrix the source was made with. The PSP reads every video as Bt601, limited range.
enum class Matrix { Bt601, Bt709, Bt2020 };
// How light was coded: an ordinary gamma, or a high dynamic range curve.
enum class Curve { Sdr, Pq, Hlg };
enum class Fields { Progressive, Interlaced, Unknown };

struct PictureFacts {
  int quarterTurns = 0;  // clockwise, as shown
  Matrix matrix = Matrix::Bt601;
  bool fullRange = false;
  Curve curve = Curve::Sdr;
  Fields fields = Fields::Unknown;
  // A high dynamic range source is mapped through this 3D table (a .cube file, already
  // escaped for a filter description); empty: none made.
  std::string toneTable;
};

// What a source that does not say which matrix it uses was most likely made with.
Matrix GuessedMatrix(int width, int height);

// A source that does not say whether it holds fields: judged frame by frame only at the sizes
// and rates that broadcast and camcorder video comes in.
Fields UnsaidFields(int height, double fps);

// A picture's brightness plane: width x height samples of 8 bits, rows stride bytes apart.
struct Luma {
  const std::uint8_t* rows = nullptr;
  int stride = 0, width = 0, height = 0;
};

// Tells, frame by frame, whether a source that does not say holds fields, and which comes
// first: neighbouring lines that differ far more than lines two apart hold two moments, and the
// earlier field is the one that lies far from the previous frame's later one. Keeps its verdict
// through still pictures, and changes it only on the evidence of several frames.
class FieldJudge {
 public:
  struct Verdict {
    bool interlaced = false;
    bool topFirst = true;
  };
  // previous: the frame before, of the same size (none for the first).
  Verdict Judge(const Luma& frame, const Luma* previous);

 private:
  int interlaced_ = 0;  // recent frames: above 0 more interlaced than whole
  int topFirst_ = 0;    // above or at 0: top field first
};

// The filter chain from the decoded frames to 480 x 272 yuv420p frames in BT.601 limited range,
// the picture at plan's place inside black bars.
std::string PictureFilters(const PictureFacts& facts, const OutputSettings& plan);

}  // namespace brevlo::media
