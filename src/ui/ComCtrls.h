#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace brevlo::ui {

class TImageList : public TComponent {
  BREVLO_CLASS(TImageList, TComponent)
 public:
  TImageList(TComponent* owner, int width, int height, bool masked = false);
  ~TImageList() override;
  HIMAGELIST Handle() const { return handle_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const;
  int Add(HBITMAP image);
  // A copy of one image as a bitmap of its own; null for an index out of range.
  HBITMAP CopyBitmap(int index) const;
  void Clear();
  // Sets the number of images at once (new ones blank), so that a long fill does not grow the
  // list's bitmap image by image; Replace then puts each picture in place.
  void SetCount(int count);
  bool Replace(int index, HBITMAP image);
  // Puts 24-bit pixels (top row first) of the list's size straight into the list's own bitmap
  // at an index; false when that bitmap is not a 24-bit DIB section, so Replace must do it.
  bool SetPixels24(int index, const std::uint8_t* bgrTopDown, int stride);
  // Another image size; the images it holds are scaled smoothly to it.
  void SetSize(int width, int height);

 private:
  HIMAGELIST handle_;
  int width_;
  int height_;
  bool masked_;
};

class TCustomListControl : public TWinControl {
  BREVLO_CLASS(TCustomListControl, TWinControl)
 public:
  using TWinControl::TWinControl;
};

struct TListItemData {
  std::string caption;
  std::vector<std::string> subItems;
  int imageIndex = -1;
};

// Report view with a single column and no header; rows may be selected several at once. The
// rows live here and the control only asks for those it draws (owner data), so a long fill
// does not pay for the control's own per-row storage.
class TCustomListView : public TCustomListControl {
  BREVLO_CLASS(TCustomListView, TCustomListControl)
 public:
  explicit TCustomListView(TComponent* owner);
  int ColumnWidth = 220;  // at the design's scale
  bool MultiSelect = true;
  bool ReadOnly = true;
  bool ShowColumnHeaders = false;
  TImageList* SmallImages = nullptr;

  void Clear();
  // Room for that many rows, so a long fill does not grow the row store step by step.
  void Reserve(int count);
  int AddItem(const std::string& caption, const std::string& subItem, int imageIndex);
  int Count() const { return static_cast<int>(items_.size()); }
  const TListItemData& Item(int index) const { return items_[static_cast<std::size_t>(index)]; }
  bool Selected(int index);
  void SetSelected(int index, bool selected);
  int SelCount();
  std::vector<int> SelectedIndexes();
  void SelectAll();
  // The row with the focus rectangle, or -1.
  int FocusedIndex();
  // Redrawing is held off between these, for fills of many rows; rows added meanwhile reach
  // the control at EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  // After SmallImages changed their size: the rows take the new height.
  void ImagesChanged();
  // A row's picture changed in the image list.
  void RedrawRow(int index);
  // The rows in view: the first, and how many fit.
  int TopIndex();
  int RowsInView();

  std::function<void(TObject*, int index)> OnStartDrag;
  // The image of a row, asked each time the control draws it; unset: the row's imageIndex.
  std::function<int(TObject*, int index)> OnRowImage;
  // The tip of a row the mouse rests on (UTF-8, lines split by CR LF); asked each time the tip
  // shows. Empty: no tip.
  std::function<std::string(TObject*, int index)> OnInfoTip;
  // A second line under a row's caption, in a quieter colour, cut with an ellipsis; asked each
  // time the row is drawn (UTF-8). Empty: the row has one line.
  std::function<std::string(TObject*, int index)> OnSecondLine;
  // The tip window while the list has one, for those who look at it.
  HWND InfoTipHandle() const { return tip_; }

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;
  void WndProc(TMessage& message) override;
  void DpiChanged() override;

 private:
  void ShowRowCount();
  void AnswerDisplayInfo(LPARAM info, bool wide);
  LRESULT FindRow(LPARAM find, bool wide) const;
  void TrackInfoTip(const TMessage& message);
  void DropInfoTipRow();
  void AnswerInfoTip(LPARAM info, bool wide);
  LRESULT CustomDraw(LPARAM draw);

  std::vector<TListItemData> items_;
  std::size_t shownRows_ = 0;  // the row count the control was last told
  int updating_ = 0;
  HWND tip_ = nullptr;
  int tipRow_ = -1;
  UINT_PTR tipTool_ = 0;
  std::wstring tipWide_;
  std::string tipNarrow_;
};

class TListView : public TCustomListView {
  BREVLO_CLASS(TListView, TCustomListView)
 public:
  using TCustomListView::TCustomListView;
};

class TCustomStatusBar : public TWinControl {
  BREVLO_CLASS(TCustomStatusBar, TWinControl)
 public:
  explicit TCustomStatusBar(TComponent* owner);
  std::vector<int> PanelWidths;  // at the design's scale
  std::string PanelText(int index) const;
  void SetPanelText(int index, const std::string& text);

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;
  void DpiChanged() override;

 private:
  void ShowPanels();
  std::vector<std::string> texts_;
};

class TStatusBar : public TCustomStatusBar {
  BREVLO_CLASS(TStatusBar, TCustomStatusBar)
 public:
  using TCustomStatusBar::TCustomStatusBar;
};

class TProgressBar : public TWinControl {
  BREVLO_CLASS(TProgressBar, TWinControl)
 public:
  using TWinControl::TWinControl;
  int Min = 0;
  int Max = 100;
  int Position() const { return position_; }
  void SetPosition(int position);

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;

 private:
  int position_ = 0;
};

class TTimer : public TComponent {
  BREVLO_CLASS(TTimer, TComponent)
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  unsigned Interval = 1000;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TNotifyEvent OnTimer;

 private:
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
  void Update();
  bool enabled_ = false;
  UINT_PTR id_ = 0;
};

}  // namespace brevlo::ui
