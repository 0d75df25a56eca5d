#include "skin/SkinMenuLayout.h"

#include "skin/SkinScale.h"

namespace brevlo::skin {
namespace {
// A span given by its offset from the leading edge and its width, placed left to right or
// mirrored onto the right edge.
struct Edges {
  int left, right;
  bool mirrored;
  int From(int offset, int width) const {
    return mirrored ? right - offset - width : left + offset;
  }
  Rect Span(int offset, int width, int top, int bottom) const {
    const int x = From(offset, width);
    return {x, top, x + width, bottom};
  }
};
}  // namespace

MenuItemLayout LayOutMenuItem(Rect item, bool rightToLeft, int shortCutWidth, int imageWidth,
                              int dpi) {
  auto at = [dpi](int length) { return ScaleLength(length, dpi); };
  const Edges edges{item.left, item.right, rightToLeft};
  const int top = item.top;
  const int width = item.Width();
  const int strip = at(MenuBarStripWidth), indent = at(MenuTextIndent);
  const int margin = at(MenuShortCutMargin), textTop = top + at(MenuTextTop);
  const int imageLeft = at(MenuImageLeft), imageTop = top + at(MenuImageTop);
  const int imageSize = at(MenuImageSize);
  MenuItemLayout layout;
  layout.strip = edges.Span(0, strip, top, item.bottom);
  layout.rest = edges.Span(strip, width - strip, top, item.bottom);
  // The line stays one pixel thick, in the middle of the separator.
  const int lineTop = top + at(MenuSeparatorHeight) / 2;
  layout.separatorLine = edges.Span(indent, width - indent - at(2), lineTop, lineTop + 1);
  layout.caption = edges.Span(indent, width - indent, textTop, item.bottom);
  // Mirrored, the shortcut keeps its margin from the edge: placed at "left + width - margin",
  // a short one would start outside the item.
  layout.shortCut = {rightToLeft ? item.left + margin : item.right - shortCutWidth - margin,
                     textTop};
  layout.check = {edges.From(imageLeft, imageSize), imageTop};
  // The frame is one pixel outside the image's edges plus a pixel of fill at any scale.
  layout.checkFrame =
      edges.Span(imageLeft - 2, imageSize + 3, imageTop - 2, imageTop + imageSize + 1);
  layout.checkFill = edges.Span(imageLeft - 1, imageSize + 1, imageTop - 1, imageTop + imageSize);
  layout.image = {edges.From(imageLeft, imageWidth), imageTop};
  layout.bitmap = edges.Span(imageLeft, imageSize, imageTop, imageTop + imageSize);
  return layout;
}

MenuItemSize MeasureMenuItem(bool separator, int captionWidth, int shortCutWidth, int dpi) {
  return {captionWidth + shortCutWidth + ScaleLength(MenuExtraWidth, dpi),
          ScaleLength(separator ? MenuSeparatorHeight : MenuItemHeight, dpi)};
}

}  // namespace brevlo::skin
