#include "skin/SkinMenuLayout.h"

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

MenuItemLayout LayOutMenuItem(Rect item, bool rightToLeft, int shortCutWidth, int imageWidth) {
  const Edges edges{item.left, item.right, rightToLeft};
  const int top = item.top;
  const int width = item.Width();
  MenuItemLayout layout;
  layout.strip = edges.Span(0, MenuBarStripWidth, top, item.bottom);
  layout.rest = edges.Span(MenuBarStripWidth, width - MenuBarStripWidth, top, item.bottom);
  layout.separatorLine = edges.Span(MenuTextIndent, width - MenuTextIndent - 2, top + 2, top + 3);
  layout.caption =
      edges.Span(MenuTextIndent, width - MenuTextIndent, top + MenuTextTop, item.bottom);
  // Mirrored, the shortcut keeps its margin from the edge: placed at "left + width - margin",
  // a short one would start outside the item.
  layout.shortCut = {rightToLeft ? item.left + MenuShortCutMargin
                                 : item.right - shortCutWidth - MenuShortCutMargin,
                     top + MenuTextTop};
  layout.check = {edges.From(MenuImageLeft, MenuImageSize), top + MenuImageTop};
  layout.checkFrame = edges.Span(2, 19, top + 1, top + 20);
  layout.checkFill = edges.Span(3, 17, top + 2, top + 19);
  layout.image = {edges.From(MenuImageLeft, imageWidth), top + MenuImageTop};
  layout.bitmap = edges.Span(MenuImageLeft, MenuImageSize, top + MenuImageTop,
                             top + MenuImageTop + MenuImageSize);
  return layout;
}

MenuItemSize MeasureMenuItem(bool separator, int captionWidth, int shortCutWidth) {
  return {captionWidth + shortCutWidth + MenuExtraWidth,
          separator ? MenuSeparatorHeight : MenuItemHeight};
}

}  // namespace brevlo::skin
