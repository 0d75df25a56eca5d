#pragma once

// The geometry of a skinned window frame: where the client area, caption, caption buttons and
// borders are for a window of a given size, what the mouse is over, how the caption text is
// shortened and which region the window is cut to. The drawing and the hit test both read it,
// so that a button is pressed exactly where it is drawn.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "skin/SkinBitmap.h"
#include "skin/SkinDraw.h"
#include "skin/SkinReader.h"

namespace brevlo::skin {

// The skin's metrics as they apply to one window.
struct FrameMetrics {
  int captionHeight = 0;  // 0 while the caption is hidden
  int borderWidth = 0;
  int bottomBorderHeight = 0;
  // The top of the frame the platform gave the window before it was skinned; the caption is
  // never lower than that. 0: the window had no frame.
  int platformFrameHeight = 0;
  int menuBarHeight = 0;
  bool borderShown = true;
  bool maximizedMdiChild = false;
  // The lengths above are already at this scale; the frame's own constants follow it.
  int dpi = 96;

  // Side borders are never thinner than this at 96 dots per inch, whatever the skin draws in
  // them.
  static constexpr int MinimumSide = 4;
  int MinimumSideAtDpi() const;
  int Side() const;
  int Bottom() const;
  int CaptionBand() const;
};

// The client rectangle for a window rectangle.
Rect ClientFromWindow(Rect window, const FrameMetrics& metrics);
// The window size that gives a client of the given size.
void WindowSizeForClient(const FrameMetrics& metrics, int clientWidth, int clientHeight,
                         int& windowWidth, int& windowHeight);

// Hot-button numbers, as the frame records them.
enum class CaptionButtonKind {
  None = -1,
  SystemMenu = 0,
  Close = 1,
  MaxRestore = 2,
  Minimize = 3,
  Help = 4
};

struct CaptionButton {
  CaptionButtonKind kind = CaptionButtonKind::None;
  Rect rect;                                            // in caption-bitmap coordinates
  int normalFrame = 0, hotFrame = 0, pressedFrame = 0;  // 1-based, of 18
  int Frame(bool hot, bool mouseDown) const;
};

struct CaptionInput {
  int width = 0;  // of the caption bitmap
  int buttonWidth = 0, buttonHeight = 0;
  int buttonTop = -1;  // the skin's value; -1 when it has none
  int leftOffset = -1;
  int rightOffset = -1;
  bool minimized = false;
  bool maximized = false;
  bool icon = false, close = false, maximize = false, minimize = false, help = false;
  int dpi = 96;  // of the sizes above; the gaps and the icon follow it
};

struct CaptionLayout {
  int top = 0;                         // of the buttons and the icon
  Rect icon;                           // empty without an icon
  std::vector<CaptionButton> buttons;  // right to left
  int textLeft = 0;
  int textRight = 0;  // the caption text ends before this
};

CaptionLayout LayOutCaption(const CaptionInput& input);
// The button under a point of the caption bitmap (the icon counts as the system-menu button).
CaptionButtonKind HotButton(const CaptionLayout& layout, int x, int y);

// The longest start of `text` that fits `room` pixels followed by "...", at least one character,
// or the whole text when it fits. `width` measures a piece of text.
std::wstring ShortenCaption(const std::wstring& text, int room,
                            const std::function<int(std::wstring_view)>& width);

// What a window-relative point is over, as the platform's hit-test codes.
enum HitCode : int {
  HitNowhere = 0,
  HitClient = 1,
  HitCaption = 2,
  HitLeft = 10,
  HitRight = 11,
  HitTop = 12,
  HitTopLeft = 13,
  HitTopRight = 14,
  HitBottom = 15,
  HitBottomLeft = 16,
  HitBottomRight = 17,
  HitBorder = 18
};
HitCode HitTest(int width, int height, const FrameMetrics& metrics, bool sizeable, bool minimized,
                int x, int y);

// The caption art, cut from the skin.
struct CaptionArt {
  TskBitmap left, client, right, minimized;
  Pixel background = 0;
};

// Everything a frame is drawn from, read once per skin.
struct FrameArt {
  CaptionArt caption;                               // its background is left for the caller to set
  std::vector<TskBitmap> buttons;                   // the 18 button frames, or none
  bool buttonsTransparent = false;                  // magenta in a button frame shows the caption
  TskBitmap leftBorder, rightBorder, bottomBorder;  // the right one is the left turned round
  Pixel borderColor = 0;
  int buttonTop = -1, buttonLeftOffset = -1, buttonRightOffset = -1;
  int topCorner = 0, bottomCorner = 0;
  int minWidth = -1;
  int ButtonWidth() const { return buttons.empty() ? 0 : buttons.front().Width(); }
  int ButtonHeight() const { return buttons.empty() ? 0 : buttons.front().Height(); }
};
// At dpi, each picture scaled on its own and the skin's lengths with it.
FrameArt LoadFrameArt(const TskSkinReader& reader, int dpi = 96);

// The frame's sizes and pictures at one scale, made once per skin and scale.
struct FrameAtDpi {
  int dpi = 96;
  FrameArt art;
  int captionHeight = 0;
  int borderWidth = 0;
  int bottomBorderHeight = 0;
};
FrameAtDpi LoadFrameAtDpi(const TskSkinReader& reader, int dpi);

// The title images composed into a caption bitmap. A minimised window with a minimised image gets
// that image alone (answers true: no borders are drawn then). A dialog or minimised window
// narrower than the left image keeps only its first and last 25 columns. `inset` keeps the fill
// below a low client image inside the side borders.
bool ComposeCaption(const PixelView& view, const CaptionArt& art, bool minimized, bool dialog,
                    int inset, int dpi = 96);

// How one strip of the border is drawn.
struct BorderPiece {
  enum class Kind { LeftImage, RightImage, BottomImage, BorderColor, Background, MenuBar };
  Kind kind;
  Rect dest;  // in window coordinates
};
// The border strips of a w x h window, outermost first. `leftImage` and friends say whether the
// skin has that image; without one the strip is filled with the border colour.
std::vector<BorderPiece> BorderPieces(int width, int height, const FrameMetrics& metrics,
                                      bool leftImage, bool rightImage, bool bottomImage);

// The window region: an upper and a lower half, each a rounded rectangle cut to its half so that
// only its outer corners are round.
struct RegionHalf {
  Rect roundRect;  // as the platform's rounded-rectangle regions take it (one past the size)
  int diameter = 0;
  Rect keep;
};
std::vector<RegionHalf> RegionHalves(int width, int height, int topCorner, int bottomCorner);

}  // namespace brevlo::skin
