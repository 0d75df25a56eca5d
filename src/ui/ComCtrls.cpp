#include "ui/ComCtrls.h"

#include <map>

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

TCustomListView::TCustomListView(TComponent* owner) : TCustomListControl(owner) {
  Color = clWindow;
  ParentColor = false;
}

void TCustomListView::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = WC_LISTVIEWA;
  params.style |= WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS |
                  (ShowColumnHeaders ? 0 : LVS_NOCOLUMNHEADER) | (MultiSelect ? 0 : LVS_SINGLESEL) |
                  (ReadOnly ? 0 : LVS_EDITLABELS);
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomListView::AfterCreate() {
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = ColumnWidth;
  SendMessageA(Handle(), LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  if (SmallImages != nullptr) {
    SendMessageA(Handle(), LVM_SETIMAGELIST, LVSIL_SMALL,
                 reinterpret_cast<LPARAM>(SmallImages->Handle()));
  }
}

void TCustomListView::Clear() {
  items_.clear();
  SendMessageA(Handle(), LVM_DELETEALLITEMS, 0, 0);
}

int TCustomListView::AddItem(const std::string& caption, const std::string& subItem,
                             int imageIndex) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = static_cast<int>(items_.size());
  item.pszText = const_cast<char*>(caption.c_str());
  item.iImage = imageIndex;
  const int index =
      static_cast<int>(SendMessageA(Handle(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (index < 0) return index;
  items_.push_back(TListItemData{caption, {subItem}, imageIndex});
  return index;
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

void TCustomListView::BeginUpdate() {
  if (updating_++ == 0) SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TCustomListView::EndUpdate() {
  if (updating_ > 0 && --updating_ == 0) {
    SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

void TCustomListView::WndProc(TMessage& message) {
  if (message.Msg == CN_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
    switch (header->code) {
      case NM_CLICK:
        Click();
        break;
      case NM_DBLCLK:
        if (OnDblClick) OnDblClick(this);
        break;
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

void TCustomStatusBar::AfterCreate() {
  std::vector<int> edges;
  int right = 0;
  for (std::size_t i = 0; i < PanelWidths.size(); ++i) {
    right += PanelWidths[i];
    edges.push_back(i + 1 == PanelWidths.size() ? -1 : right);
  }
  SendMessageA(Handle(), SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
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
