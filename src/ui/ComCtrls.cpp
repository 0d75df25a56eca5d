#include "ui/ComCtrls.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "ui/Dpi.h"

namespace brevlo::ui {

TImageList::TImageList(TComponent* owner, int width, int height, bool masked)
    : TComponent(owner), width_(width), height_(height), masked_(masked) {
  handle_ = ImageList_Create(width, height, ILC_COLOR24 | (masked ? ILC_MASK : 0), 4, 16);
}

TImageList::~TImageList() {
  if (handle_ != nullptr) ImageList_Destroy(handle_);
}

int TImageList::Count() const {
  return ImageList_GetImageCount(handle_);
}

int TImageList::Add(HBITMAP image) {
  return ImageList_Add(handle_, image, nullptr);
}

HBITMAP TImageList::CopyBitmap(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width_, height_);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  ImageList_Draw(handle_, index, memory, 0, 0, ILD_NORMAL);
  SelectObject(memory, old);
  DeleteDC(memory);
  return bitmap;
}

void TImageList::Clear() {
  ImageList_RemoveAll(handle_);
}

void TImageList::SetCount(int count) {
  ImageList_SetImageCount(handle_, static_cast<UINT>(count < 0 ? 0 : count));
}

bool TImageList::Replace(int index, HBITMAP image) {
  return ImageList_Replace(handle_, index, image, nullptr) != FALSE;
}

// A picture copied in place costs a memory copy; ImageList_Replace blits it through a device
// context of its own, several times dearer under Wine for a fill of thousands of rows.
bool TImageList::SetPixels24(int index, const std::uint8_t* bgrTopDown, int stride) {
  if (masked_) return false;
  IMAGEINFO image{};
  if (!ImageList_GetImageInfo(handle_, index, &image)) return false;
  DIBSECTION dib{};
  if (GetObjectA(image.hbmImage, sizeof dib, &dib) != static_cast<int>(sizeof dib) ||
      dib.dsBm.bmBits == nullptr || dib.dsBm.bmBitsPixel != 24) {
    return false;
  }
  const RECT& r = image.rcImage;
  const int rows = dib.dsBm.bmHeight;
  if (r.right - r.left != width_ || r.bottom - r.top != height_ || r.left < 0 || r.top < 0 ||
      r.right > dib.dsBm.bmWidth || r.bottom > rows) {
    return false;
  }
  GdiFlush();
  auto* bits = static_cast<std::uint8_t*>(dib.dsBm.bmBits);
  const bool bottomUp = dib.dsBmih.biHeight > 0;
  for (int y = 0; y < height_; ++y) {
    const int row = bottomUp ? rows - 1 - (r.top + y) : r.top + y;
    std::memcpy(bits + static_cast<std::ptrdiff_t>(row) * dib.dsBm.bmWidthBytes + r.left * 3,
                bgrTopDown + static_cast<std::ptrdiff_t>(y) * stride,
                static_cast<std::size_t>(width_) * 3);
  }
  return true;
}

void TImageList::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  std::vector<TBitmap> images(static_cast<std::size_t>(Count()));
  for (int i = 0; i < Count(); ++i) {
    HBITMAP copy = CopyBitmap(i);
    images[static_cast<std::size_t>(i)].AssignScaled(copy, width, height);
    DeleteObject(copy);
  }
  // The handle stays: whoever shows the list keeps it.
  ImageList_SetIconSize(handle_, width, height);
  width_ = width;
  height_ = height;
  for (const TBitmap& image : images) ImageList_Add(handle_, image.Handle(), nullptr);
}

TCustomListView::TCustomListView(TComponent* owner) : TCustomListControl(owner) {
  Color = clWindow;
  ParentColor = false;
}

void TCustomListView::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = WC_LISTVIEWA;
  params.style |= WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS |
                  LVS_SHAREIMAGELISTS | (ShowColumnHeaders ? 0 : LVS_NOCOLUMNHEADER) |
                  (MultiSelect ? 0 : LVS_SINGLESEL) | (ReadOnly ? 0 : LVS_EDITLABELS);
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::AfterCreate() {
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = Scaled(ColumnWidth);
  SendMessageA(Handle(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  if (SmallImages != nullptr) {
    SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(SmallImages->Handle()));
  }
}

void TCustomListView::DpiChanged() {
  if (HandleAllocated()) SendMessageA(Handle(), LVM_SETCOLUMNWIDTH, 0, Scaled(ColumnWidth));
}

void TCustomListView::ImagesChanged() {
  if (!HandleAllocated() || SmallImages == nullptr) return;
  // Set again: the control measures its rows when it is given the images.
  SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL, 0);
  SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL,
               reinterpret_cast<LPARAM>(SmallImages->Handle()));
}

void TCustomListView::RedrawRow(int index) {
  if (HandleAllocated()) ListView_RedrawItems(Handle(), index, index);
}

int TCustomListView::TopIndex() {
  return HandleAllocated() ? ListView_GetTopIndex(Handle()) : 0;
}

int TCustomListView::RowsInView() {
  return HandleAllocated() ? ListView_GetCountPerPage(Handle()) : 0;
}

void TCustomListView::Clear() {
  DropInfoTipRow();
  items_.clear();
  shownRows_ = 0;
  SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

void TCustomListView::Reserve(int count) {
  if (count > 0) items_.reserve(static_cast<std::size_t>(count));
}

int TCustomListView::AddItem(const std::string& caption, const std::string& subItem,
                             int imageIndex) {
  items_.push_back(TListItemData{caption, {subItem}, imageIndex});
  if (updating_ == 0) ShowRowCount();
  return static_cast<int>(items_.size()) - 1;
}

void TCustomListView::ShowRowCount() {
  if (shownRows_ == items_.size()) return;
  shownRows_ = items_.size();
  SendMessageA(Handle(), LVM_SETITEMCOUNT, shownRows_, LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
}

// The control asks for the caption, the size text and the image of a row it is about to use.
void TCustomListView::AnswerDisplayInfo(LPARAM info, bool wide) {
  // Both notifications carry the same item layout; only the text pointer's type differs.
  auto& item = reinterpret_cast<NMLVDISPINFOA*>(info)->item;
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= items_.size()) return;
  const TListItemData& row = items_[static_cast<std::size_t>(item.iItem)];
  if ((item.mask & LVIF_IMAGE) != 0) {
    item.iImage = OnRowImage ? OnRowImage(this, item.iItem) : row.imageIndex;
  }
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  static const std::string none;
  const std::string& text = item.iSubItem == 0 ? row.caption
                            : static_cast<std::size_t>(item.iSubItem) <= row.subItems.size()
                                ? row.subItems[static_cast<std::size_t>(item.iSubItem) - 1]
                                : none;
  if (wide) {
    auto* out = reinterpret_cast<wchar_t*>(item.pszText);
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, out, item.cchTextMax);
    if (n == 0) out[item.cchTextMax - 1] = L'\0';
  } else {
    lstrcpynA(item.pszText, text.c_str(), item.cchTextMax);
  }
}

// Typing in the list jumps to the next row whose caption starts with what was typed.
LRESULT TCustomListView::FindRow(LPARAM find, bool wide) const {
  const auto& request = *reinterpret_cast<const NMLVFINDITEMA*>(find);
  const LVFINDINFOA& info = request.lvfi;
  if ((info.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || info.psz == nullptr) return -1;
  std::string wanted;
  if (wide) {
    const auto* text = reinterpret_cast<const wchar_t*>(info.psz);
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return -1;
    wanted.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(CP_ACP, 0, text, -1, wanted.data(), n, nullptr, nullptr);
    wanted.resize(static_cast<std::size_t>(n) - 1);
  } else {
    wanted = info.psz;
  }
  const bool partial = (info.flags & LVFI_PARTIAL) != 0;
  const auto count = static_cast<int>(items_.size());
  const int start = request.iStart < 0 || request.iStart >= count ? 0 : request.iStart;
  const int span = (info.flags & LVFI_WRAP) != 0 ? count : count - start;
  for (int k = 0; k < span; ++k) {
    const int index = (start + k) % count;
    const std::string& caption = items_[static_cast<std::size_t>(index)].caption;
    if (partial ? caption.size() < wanted.size() : caption.size() != wanted.size()) continue;
    if (CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, caption.c_str(),
                       static_cast<int>(wanted.size()), wanted.c_str(),
                       static_cast<int>(wanted.size())) == CSTR_EQUAL) {
      return index;
    }
  }
  return -1;
}

bool TCustomListView::Selected(int index) {
  return (SendMessageA(Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_SELECTED) &
          LVIS_SELECTED) != 0;
}

void TCustomListView::SetSelected(int index, bool selected) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(&item));
}

int TCustomListView::SelCount() {
  return static_cast<int>(SendMessageA(Handle(), LVM_GETSELECTEDCOUNT, 0, 0));
}

std::vector<int> TCustomListView::SelectedIndexes() {
  std::vector<int> result;
  int index = -1;
  while ((index = static_cast<int>(SendMessageA(Handle(), LVM_GETNEXTITEM,
                                                static_cast<WPARAM>(index), LVNI_SELECTED))) >= 0) {
    result.push_back(index);
  }
  return result;
}

void TCustomListView::SelectAll() {
  SetSelected(-1, true);
}

int TCustomListView::FocusedIndex() {
  return static_cast<int>(
      SendMessageA(Handle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void TCustomListView::BeginUpdate() {
  if (updating_++ == 0) SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TCustomListView::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0) {
    ShowRowCount();
    SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

// The list's own info tips (LVS_EX_INFOTIP) are not shown by every common-controls library
// that runs our program, so the list keeps a tip window of its own: one tool for the row under
// the mouse, made anew when the mouse reaches another row, so that the tip waits its usual
// delay again and then asks for that row's text.
void TCustomListView::TrackInfoTip(const TMessage& message) {
  if (!OnInfoTip) return;
  if (tip_ == nullptr) {
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                           WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, nullptr, nullptr);
    if (tip_ == nullptr) return;
    // A width makes the tip honour its line breaks; the lines are long, so is the reading.
    SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, ScaleByDpi(520, WindowDpi(Handle())));
    SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
  }
  if (message.Msg == WM_MOUSEMOVE) {
    LVHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(message.LParam)),
              static_cast<short>(HIWORD(message.LParam))};
    SendMessageA(Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const int row = (hit.flags & LVHT_ONITEM) != 0 ? hit.iItem : -1;
    if (row != tipRow_) {
      DropInfoTipRow();
      RECT bounds{LVIR_BOUNDS, 0, 0, 0};
      if (row >= 0 && SendMessageA(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                                   reinterpret_cast<LPARAM>(&bounds)) != 0) {
        TTTOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = Handle();
        tool.uId = ++tipTool_;
        // A click meant for whatever lies under the tip goes there.
        tool.uFlags = TTF_TRANSPARENT;
        tool.rect = bounds;
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        if (SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) != 0) {
          tipRow_ = row;
        }
      }
    }
  }
  MSG relayed{Handle(), message.Msg, message.WParam, message.LParam, 0, {}};
  SendMessageW(tip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void TCustomListView::DropInfoTipRow() {
  if (tip_ == nullptr || tipRow_ < 0) return;
  SendMessageW(tip_, TTM_POP, 0, 0);
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = Handle();
  tool.uId = tipTool_;
  SendMessageW(tip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  tipRow_ = -1;
}

void TCustomListView::AnswerInfoTip(LPARAM info, bool wide) {
  // No tip while the window waits for another of ours (rename, a transfer): the tip would raise
  // it above that one. An empty text keeps the tip hidden.
  HWND root = GetAncestor(Handle(), GA_ROOT);
  const bool shown = IsWindowEnabled(root) && GetActiveWindow() == root;
  const std::string text =
      shown && tipRow_ >= 0 && tipRow_ < Count() ? OnInfoTip(this, tipRow_) : std::string();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  tipWide_.assign(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, tipWide_.data(), n);
  if (wide) {
    auto* request = reinterpret_cast<NMTTDISPINFOW*>(info);
    request->lpszText = tipWide_.data();
    request->hinst = nullptr;
  } else {
    const int m =
        WideCharToMultiByte(CP_ACP, 0, tipWide_.c_str(), -1, nullptr, 0, nullptr, nullptr);
    tipNarrow_.assign(static_cast<std::size_t>(m > 0 ? m : 1), '\0');
    if (m > 0) {
      WideCharToMultiByte(CP_ACP, 0, tipWide_.c_str(), -1, tipNarrow_.data(), m, nullptr, nullptr);
    }
    auto* request = reinterpret_cast<NMTTDISPINFOA*>(info);
    request->lpszText = tipNarrow_.data();
    request->hinst = nullptr;
  }
}

LRESULT TCustomListView::CustomDraw(LPARAM draw) {
  auto& request = *reinterpret_cast<NMLVCUSTOMDRAW*>(draw);
  if (!OnSecondLine) return CDRF_DODEFAULT;
  if (request.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
  if (request.nmcd.dwDrawStage == CDDS_ITEMPREPAINT) return CDRF_NOTIFYPOSTPAINT;
  if (request.nmcd.dwDrawStage != CDDS_ITEMPOSTPAINT) return CDRF_DODEFAULT;
  const auto row = static_cast<int>(request.nmcd.dwItemSpec);
  if (row < 0 || row >= Count()) return CDRF_DODEFAULT;
  const std::string line = OnSecondLine(this, row);
  if (line.empty()) return CDRF_DODEFAULT;
  RECT label{LVIR_LABEL, 0, 0, 0};
  if (SendMessageA(Handle(), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                   reinterpret_cast<LPARAM>(&label)) == 0) {
    return CDRF_DODEFAULT;
  }
  // The caption sits in the middle of the row; the second line goes just below it.
  HDC dc = request.nmcd.hdc;
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int height = metrics.tmHeight;
  RECT place{label.left + GetSystemMetrics(SM_CXEDGE) * 2, (label.top + label.bottom + height) / 2,
             label.right - GetSystemMetrics(SM_CXEDGE), 0};
  place.bottom = std::min<LONG>(place.top + height, label.bottom);
  if (place.bottom <= place.top || place.right <= place.left) return CDRF_DODEFAULT;
  const int n = MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, line.c_str(), -1, wide.data(), n);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  DrawTextW(dc, wide.c_str(), -1, &place,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
  return CDRF_DODEFAULT;
}

void TCustomListView::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      TrackInfoTip(message);
      break;
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_KEYDOWN:
      // The rows move under the mouse: the tip would name the wrong one.
      DropInfoTipRow();
      break;
    case WM_GETDLGCODE: {
      // A list that hears its keys hears Enter too, rather than the dialog's default button.
      const auto* msg = reinterpret_cast<const MSG*>(message.LParam);
      if (OnKeyDown && msg != nullptr && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN) {
        DefaultHandler(message);
        message.Result |= DLGC_WANTMESSAGE;
        return;
      }
      break;
    }
    case WM_NOTIFYFORMAT:
      if (tip_ != nullptr && reinterpret_cast<HWND>(message.WParam) == tip_) {
        message.Result = NFR_UNICODE;
        return;
      }
      break;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
      if (tip_ != nullptr && header->hwndFrom == tip_ &&
          (header->code == TTN_GETDISPINFOW || header->code == TTN_GETDISPINFOA)) {
        AnswerInfoTip(message.LParam, header->code == TTN_GETDISPINFOW);
        message.Result = 0;
        return;
      }
      break;
    }
    case WM_NCDESTROY:
      // The tip window is owned by the list and goes with it.
      tip_ = nullptr;
      tipRow_ = -1;
      break;
    default:
      break;
  }
  if (message.Msg == CN_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    switch (header->code) {
      case NM_CLICK:
        Click();
        break;
      case NM_DBLCLK:
        if (OnDblClick) OnDblClick(this);
        break;
      case LVN_GETDISPINFOA:
      case LVN_GETDISPINFOW:
        AnswerDisplayInfo(message.LParam, header->code == LVN_GETDISPINFOW);
        break;
      case LVN_ODFINDITEMA:
      case LVN_ODFINDITEMW:
        message.Result = FindRow(message.LParam, header->code == LVN_ODFINDITEMW);
        return;
      case NM_CUSTOMDRAW:
        message.Result = CustomDraw(message.LParam);
        return;
      case LVN_BEGINDRAG:
        if (OnStartDrag) {
          OnStartDrag(this, reinterpret_cast<const NMLISTVIEW*>(message.LParam)->iItem);
        }
        break;
      default:
        break;
    }
    message.Result = 0;
    return;
  }
  TCustomListControl::WndProc(message);
}

TCustomStatusBar::TCustomStatusBar(TComponent* owner) : TWinControl(owner) {}

void TCustomStatusBar::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = STATUSCLASSNAMEA;
  params.style |= CCS_BOTTOM;
}

void TCustomStatusBar::ShowPanels() {
  // Each edge scaled, not each width, so the panels end where the scaled design puts them.
  std::vector<int> edges;
  int right = 0;
  for (std::size_t i = 0; i < PanelWidths.size(); ++i) {
    right += PanelWidths[i];
    edges.push_back(i + 1 == PanelWidths.size() ? -1 : Scaled(right));
  }
  SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
}

void TCustomStatusBar::DpiChanged() {
  if (HandleAllocated()) ShowPanels();
}

void TCustomStatusBar::AfterCreate() {
  ShowPanels();
  texts_.resize(PanelWidths.size());
  for (std::size_t i = 0; i < texts_.size(); ++i) {
    SendMessageA(Handle(), SB_SETTEXTA, i, reinterpret_cast<LPARAM>(texts_[i].c_str()));
  }
}

std::string TCustomStatusBar::PanelText(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= texts_.size()) return {};
  return texts_[static_cast<std::size_t>(index)];
}

void TCustomStatusBar::SetPanelText(int index, const std::string& text) {
  if (index < 0) return;
  if (texts_.size() <= static_cast<std::size_t>(index)) {
    texts_.resize(static_cast<std::size_t>(index) + 1);
  }
  texts_[static_cast<std::size_t>(index)] = text;
  SendMessageA(Handle(), SB_SETTEXTA, static_cast<WPARAM>(index),
               reinterpret_cast<LPARAM>(text.c_str()));
}

void TProgressBar::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = PROGRESS_CLASSA;
}

void TProgressBar::AfterCreate() {
  SendMessageA(Handle(), PBM_SETRANGE32, static_cast<WPARAM>(Min), Max);
  SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

void TProgressBar::SetPosition(int position) {
  position_ = position;
  if (HandleAllocated()) SendMessageA(Handle(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

namespace {
std::map<UINT_PTR, TTimer*>& Timers() {
  static std::map<UINT_PTR, TTimer*> timers;
  return timers;
}
}  // namespace

TTimer::TTimer(TComponent* owner) : TComponent(owner) {}

TTimer::~TTimer() {
  SetEnabled(false);
}

void TTimer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Update();
}

void TTimer::Update() {
  if (id_ != 0) {
    KillTimer(nullptr, id_);
    Timers().erase(id_);
    id_ = 0;
  }
  if (enabled_ && Interval > 0) {
    id_ = SetTimer(nullptr, 0, Interval, TimerProc);
    if (id_ != 0) Timers()[id_] = this;
  }
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Timers().find(id);
  if (it != Timers().end() && it->second->OnTimer) it->second->OnTimer(it->second);
}

}  // namespace brevlo::ui
