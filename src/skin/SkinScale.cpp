#include "skin/SkinScale.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace brevlo::skin {

namespace {

struct Share {
  int index;
  int weight;
};

// For each of `to` new pixels along an axis, the old pixels it covers and by how much. Old pixel
// i spans [i * to, (i + 1) * to) and new pixel j spans [j * from, (j + 1) * from): every weight
// is a whole number and a new pixel's weights add up to `from`.
std::vector<std::vector<Share>> Shares(int from, int to) {
  std::vector<std::vector<Share>> out(static_cast<std::size_t>(to));
  for (int j = 0; j < to; ++j) {
    const long long begin = static_cast<long long>(j) * from;
    const long long end = begin + from;
    for (auto i = static_cast<int>(begin / to); i < from && static_cast<long long>(i) * to < end;
         ++i) {
      const long long overlap =
          std::min(end, static_cast<long long>(i + 1) * to) - std::max(begin, 1LL * i * to);
      if (overlap > 0) out[static_cast<std::size_t>(j)].push_back({i, static_cast<int>(overlap)});
    }
  }
  return out;
}

}  // namespace

int ScaleLength(int value, int dpi) {
  if (value == -1 || dpi == SkinDesignDpi) return value;
  const long long scaled =
      (std::llabs(static_cast<long long>(value)) * dpi + SkinDesignDpi / 2) / SkinDesignDpi;
  return static_cast<int>(value < 0 ? -scaled : scaled);
}

TskBitmap ResizeBitmap(const TskBitmap& source, int width, int height) {
  if (source.Empty() || width <= 0 || height <= 0) return {};
  if (width == source.Width() && height == source.Height()) return source;
  const auto columns = Shares(source.Width(), width);
  const auto rows = Shares(source.Height(), height);
  const long long whole = static_cast<long long>(source.Width()) * source.Height();
  TskBitmap out(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      long long key = 0, r = 0, g = 0, b = 0;
      for (const Share& row : rows[static_cast<std::size_t>(y)]) {
        for (const Share& column : columns[static_cast<std::size_t>(x)]) {
          const long long w = static_cast<long long>(row.weight) * column.weight;
          const Pixel p = source.At(column.index, row.index);
          if (p == Magenta) {
            key += w;
          } else {
            r += w * PixelRed(p);
            g += w * PixelGreen(p);
            b += w * PixelBlue(p);
          }
        }
      }
      // Ties stay drawn, so that a line one pixel thick never drops out.
      const long long drawn = whole - key;
      if (key > drawn) {
        out.Set(x, y, Magenta);
        continue;
      }
      // Colours that are not magenta never average to it: red and blue at 255 leave green above 0.
      out.Set(x, y,
              MakePixel(static_cast<int>((r + drawn / 2) / drawn),
                        static_cast<int>((g + drawn / 2) / drawn),
                        static_cast<int>((b + drawn / 2) / drawn)));
    }
  }
  return out;
}

TskBitmap ScaleBitmap(const TskBitmap& source, int dpi) {
  if (source.Empty() || dpi == SkinDesignDpi) return source;
  return ResizeBitmap(source, std::max(ScaleLength(source.Width(), dpi), 1),
                      std::max(ScaleLength(source.Height(), dpi), 1));
}

bool GetScaledImage(const TskSkinReader& reader, std::string_view name, TskBitmap& bitmap,
                    int dpi) {
  if (!reader.GetImage(name, bitmap)) return false;
  if (dpi != SkinDesignDpi) bitmap = ScaleBitmap(bitmap, dpi);
  return true;
}

bool GetScaledImageFrame(const TskSkinReader& reader, std::string_view name, TskBitmap& bitmap,
                         int count, int index, int dpi) {
  if (!reader.GetImageFrame(name, bitmap, count, index)) return false;
  if (dpi != SkinDesignDpi) bitmap = ScaleBitmap(bitmap, dpi);
  return true;
}

}  // namespace brevlo::skin
