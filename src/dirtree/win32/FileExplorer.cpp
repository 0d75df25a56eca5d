#include "dirtree/win32/FileExplorer.h"

#include <windowsx.h>

#include <algorithm>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32ShellInfo.h"
#include "ui/AppPorts.h"
#include "ui/Subclass.h"

namespace brevlo::dirtree {
namespace {

constexpr int ButtonSize = 17;
constexpr int InitialTreeHeight = 240;
constexpr int IconLeft = 5;
constexpr int TextLeftBesideIcon = 23;
constexpr WORD StockComboArrow = 32738;  // OBM_COMBO

const DirTreeEnvironment& Win32Environment() {
  static platform::Win32FileSystem fs;
  static platform::Win32Drives drives;
  static platform::Win32ShellInfo shell;
  static platform::Win32Locale locale;
  static ui::AppDialogs dialogs;
  static platform::Win32Beeper beeper;
  static const DirTreeEnvironment env{fs, drives, shell, locale, dialogs, beeper};
  return env;
}

// The platform's tree view under a class of our own, whose only class style is CS_SAVEBITS:
// the drop-down comes and goes over other windows, which should not have to repaint.
const char* DropDownClassName() {
  static const char* name = nullptr;
  if (name == nullptr) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(nullptr, WC_TREEVIEWA, &wc)) {
      wc.cbSize = sizeof wc;
      wc.style = CS_SAVEBITS;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "BrevloDirTreeView";
      if (RegisterClassExA(&wc) != 0) name = "BrevloDirTreeView";
    }
  }
  return name != nullptr ? name : WC_TREEVIEWA;
}

int CALLBACK CompareByModelOrder(LPARAM a, LPARAM b, LPARAM) {
  const auto* x = reinterpret_cast<const DirTreeNode*>(a);
  const auto* y = reinterpret_cast<const DirTreeNode*>(b);
  if (x == nullptr || y == nullptr) return 0;
  return x->Index() < y->Index() ? -1 : (x->Index() > y->Index() ? 1 : 0);
}

UINT FocusCheckMessage() {
  static const UINT message = RegisterWindowMessageA("BrevloDirTreeFocusCheck");
  return message;
}

bool IsKeyOfTheCombo(WPARAM key) {
  switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_F4:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---- TDirTreeButton ----------------------------------------------------------------------

TDirTreeButton::~TDirTreeButton() {
  if (glyph_ != nullptr) DeleteObject(glyph_);
}

void TDirTreeButton::SetGlyph(HBITMAP glyph) {
  if (glyph == nullptr) return;
  AdoptGlyph(static_cast<HBITMAP>(CopyImage(glyph, IMAGE_BITMAP, 0, 0, 0)));
}

void TDirTreeButton::AdoptGlyph(HBITMAP glyph) {
  if (glyph_ != nullptr && glyph_ != glyph) DeleteObject(glyph_);
  glyph_ = glyph;
  Invalidate();
}

void TDirTreeButton::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_RBUTTONUP:
      message.Result = 0;  // no context menu from the button
      return;
    case WM_LBUTTONDOWN:
      pressed_ = true;
      Invalidate();
      break;
    case WM_LBUTTONUP:
      pressed_ = false;
      Invalidate();
      break;
    default:
      break;
  }
  ui::TSpeedButton::WndProc(message);
}

void TDirTreeButton::Paint(ui::TCanvas& canvas) {
  RECT r{0, 0, Width(), Height()};
  const bool down = pressed_ || Down;
  DrawFrameControl(canvas.Handle(), &r, DFC_BUTTON,
                   DFCS_BUTTONPUSH | (down ? DFCS_PUSHED : 0) | (Enabled() ? 0 : DFCS_INACTIVE));
  if (glyph_ == nullptr) return;
  BITMAP info{};
  GetObjectA(glyph_, sizeof info, &info);
  const int shift = down ? 1 : 0;
  HDC memory = CreateCompatibleDC(canvas.Handle());
  HGDIOBJ old = SelectObject(memory, glyph_);
  // The stock arrow carries its own face colour; only the inside of the frame is covered.
  const int w = std::min<int>(info.bmWidth, Width() - 4);
  const int h = std::min<int>(info.bmHeight, Height() - 4);
  const int x = (Width() - w) / 2 + shift;
  const int y = (Height() - h) / 2 + shift;
  BitBlt(canvas.Handle(), x, y, w, h, memory, (info.bmWidth - w) / 2, (info.bmHeight - h) / 2,
         SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
}

// ---- TDirTreeView ------------------------------------------------------------------------

TDirTreeView::TDirTreeView(TDirTreeCombo* combo, const DirTreeEnvironment& env)
    : ui::TCustomTreeView(combo), combo_(combo), model_(std::make_unique<DirTreeModel>(env)) {
  ReadOnly = true;
  visible_ = false;
  enabled_ = false;
  model_->SetView(this);
}

TDirTreeView::~TDirTreeView() {
  DestroyHandle();
  model_->SetView(nullptr);
}

DirTreeNode* TDirTreeView::NodeOf(HTREEITEM item) {
  return reinterpret_cast<DirTreeNode*>(ItemData(item));
}

void TDirTreeView::ReleaseWindow() {
  DestroyHandle();
}

void TDirTreeView::CreateParamsFor(CreateParams& params) {
  ui::TCustomTreeView::CreateParamsFor(params);
  params.className = DropDownClassName();
  params.style |= WS_BORDER;
  params.exStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void TDirTreeView::AfterCreate() {
  ui::TCustomTreeView::AfterCreate();
  HWND h = Handle();
  // Off the form: the drop-down floats above everything and is placed on the screen. A
  // window without a parent is a pop-up, and a pop-up's identifier would be read as a menu.
  ::SetParent(h, nullptr);
  SetWindowLongPtrA(h, GWLP_ID, 0);
  const LONG_PTR style = GetWindowLongPtrA(h, GWL_STYLE);
  SetWindowLongPtrA(h, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_CHILD)) | WS_POPUP);
  SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  // The tree draws as focused without taking the keyboard from anyone.
  ui::DefSubclass(h, WM_SETFOCUS, 0, 0);
}

bool TDirTreeView::CanExpand(HTREEITEM item) {
  if (mirroring_ > 0) return true;
  if (DirTreeNode* node = NodeOf(item)) model_->OnViewExpanding(*node);
  return true;
}

void TDirTreeView::Expanded(HTREEITEM item) {
  if (mirroring_ > 0) return;
  if (DirTreeNode* node = NodeOf(item)) model_->OnViewExpanded(*node);
}

void TDirTreeView::Collapsed(HTREEITEM item) {
  if (mirroring_ > 0) return;
  if (DirTreeNode* node = NodeOf(item)) model_->OnViewCollapsed(*node);
}

void TDirTreeView::Change(HTREEITEM item) {
  if (mirroring_ > 0) return;
  model_->OnViewSelected(NodeOf(item));
}

void TDirTreeView::BeginUpdate() {
  ui::TCustomTreeView::BeginUpdate();
}
void TDirTreeView::EndUpdate() {
  ui::TCustomTreeView::EndUpdate();
}

void TDirTreeView::Cleared() {
  ++mirroring_;
  Clear();
  --mirroring_;
}

void TDirTreeView::NodeAdded(DirTreeNode& node) {
  ++mirroring_;
  node.handle =
      AddChild(ItemOf(node.Parent()), node.Caption(), node.ImageIndex(), node.SelectedImageIndex(),
               node.HasChildren(), reinterpret_cast<LPARAM>(&node));
  --mirroring_;
}

void TDirTreeView::NodeChanged(DirTreeNode& node) {
  ++mirroring_;
  SetHasChildren(ItemOf(&node), node.HasChildren());
  --mirroring_;
}

void TDirTreeView::ChildrenSorted(DirTreeNode* parent) {
  ++mirroring_;
  SortChildren(ItemOf(parent), CompareByModelOrder, 0);
  --mirroring_;
}

void TDirTreeView::NodeExpanded(DirTreeNode& node) {
  ++mirroring_;
  Expand(ItemOf(&node));
  --mirroring_;
}

void TDirTreeView::NodeCollapsed(DirTreeNode& node) {
  ++mirroring_;
  Collapse(ItemOf(&node));
  --mirroring_;
}

void TDirTreeView::SelectionChanged(DirTreeNode* node) {
  ++mirroring_;
  Select(ItemOf(node));
  --mirroring_;
}

void TDirTreeView::TrackLeave() {
  TRACKMOUSEEVENT track{};
  track.cbSize = sizeof track;
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = Handle();
  TrackMouseEvent(&track);
}

void TDirTreeView::MouseMove(ui::TMessage& message) {
  const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  const RECT client = ClientRect();
  if (PtInRect(&client, p)) {
    if (!mouseInside_) {
      // Inside, the tree works as any tree; the capture only waits for the pointer outside.
      mouseInside_ = true;
      if (GetCapture() == Handle()) ReleaseCapture();
    }
    TrackLeave();
    if (Enabled()) {
      UINT flags = 0;
      HTREEITEM item = HitTest(p, &flags);
      if (item != nullptr && (flags & TVHT_ONITEMLABEL) != 0) {
        if (DirTreeNode* node = NodeOf(item)) model_->Select(node);
      }
    }
  }
  ui::TCustomTreeView::WndProc(message);
}

void TDirTreeView::MouseLeave() {
  mouseInside_ = false;
  if (IsWindowVisible(Handle())) {
    // The next click anywhere comes here and closes the drop-down.
    SetCapture(Handle());
  } else if (GetCapture() == Handle()) {
    ReleaseCapture();
  }
}

void TDirTreeView::LeftButtonDown(ui::TMessage& message) {
  const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  const RECT client = ClientRect();
  if (!PtInRect(&client, p)) {
    POINT screen = p;
    ::ClientToScreen(Handle(), &screen);
    const LPARAM at = MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y));
    const LRESULT hit = SendMessageA(Handle(), WM_NCHITTEST, 0, at);
    if (hit == HTVSCROLL || hit == HTHSCROLL) {
      // The tree's own scroll bar, which the capture would take for a click elsewhere: the
      // platform tracks the press and scrolls, and the drop-down stays.
      if (GetCapture() == Handle()) ReleaseCapture();
      SendMessageA(Handle(), WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit), at);
      if (IsWindowVisible(Handle()) && !mouseInside_) SetCapture(Handle());
      message.Result = 0;
      return;
    }
    // Captured and clicked elsewhere on the screen: close without a pick.
    if (combo_->DroppedDown()) combo_->CloseDropDown(false);
    if (GetCapture() == Handle()) ReleaseCapture();
    message.Result = 0;
    return;
  }
  UINT flags = 0;
  HTREEITEM item = HitTest(p, &flags);
  ui::TCustomTreeView::WndProc(message);
  if (item != nullptr && (flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)) != 0 && Enabled()) {
    if (DirTreeNode* node = NodeOf(item)) {
      model_->Select(node);
      combo_->PickNode(this);
    }
  }
  // The keyboard goes back to the edit. The edit takes the capture for a text selection whose
  // button-up the tree has already eaten; it gets none.
  if (combo_->HandleAllocated()) {
    HWND edit = combo_->Handle();
    SendMessageA(edit, WM_LBUTTONDOWN, 0, 0);
    if (GetCapture() == edit) ReleaseCapture();
  }
}

void TDirTreeView::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEMOVE:
      MouseMove(message);
      return;
    case WM_MOUSELEAVE:
      MouseLeave();
      break;
    case WM_LBUTTONDOWN:
      LeftButtonDown(message);
      return;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: {
      // While captured, clicks outside the window are not the tree's.
      const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      const RECT client = ClientRect();
      if (!PtInRect(&client, p)) {
        message.Result = 0;
        return;
      }
      break;
    }
    case WM_KEYDOWN:
      // With the focus here the keys work as they do in the edit.
      if (IsKeyOfTheCombo(message.WParam) && combo_->HandleAllocated()) {
        combo_->Perform(WM_KEYDOWN, message.WParam, message.LParam);
        if (!combo_->DroppedDown() && GetFocus() == Handle()) combo_->SetFocus();
        message.Result = 0;
        return;
      }
      break;
    case WM_KILLFOCUS: {
      ui::TCustomTreeView::WndProc(message);
      // On its way back to the edit the focus passes through the edit's form, which the
      // platform activates first; where it ends up is known once the hand-over is done.
      if (combo_->DroppedDown()) PostMessageA(Handle(), FocusCheckMessage(), 0, 0);
      return;
    }
    default:
      if (message.Msg == FocusCheckMessage()) {
        HWND focus = GetFocus();
        if (combo_->DroppedDown() && combo_->HandleAllocated() && focus != Handle() &&
            focus != combo_->Handle()) {
          combo_->CloseDropDown(false);
        }
        message.Result = 0;
        return;
      }
      break;
  }
  ui::TCustomTreeView::WndProc(message);
}

// ---- TDirTreeCombo -----------------------------------------------------------------------

TDirTreeCombo::TDirTreeCombo(ui::TComponent* owner) : TDirTreeCombo(owner, Win32Environment()) {}

TDirTreeCombo::TDirTreeCombo(ui::TComponent* owner, const DirTreeEnvironment& env)
    : ui::TCustomEdit(owner), Btn(nullptr), Tree(nullptr), env_(env) {
  Init();
}

void TDirTreeCombo::Init() {
  SetBounds(Left(), Top(), 216, 21);
  TabOrder = 0;
  ReadOnly = true;
  Btn = new TDirTreeButton(this);
  Btn->SetBounds(Width() - ButtonSize - 4, 0, ButtonSize, ButtonSize);
  Btn->SetParent(this);
  Tree = new TDirTreeView(this, env_);
  Tree->SetParent(this);
  Tree->SetBounds(0, Top() + Height(), 0, InitialTreeHeight);
  Tree->SetVisible(false);
  // Shared by every tree of the program: never ours to free.
  smallIcons_ = platform::SmallIconList();
  Tree->SetImages(smallIcons_);
}

TDirTreeCombo::~TDirTreeCombo() {
  if (Tree->HandleAllocated() && GetCapture() == Tree->Handle()) ReleaseCapture();
  // Nodes go last to first, before the windows that show them.
  Tree->Model().Clear();
  smallIcons_ = nullptr;
}

const std::string& TDirTreeCombo::SelectedPath() const {
  return Tree->Model().SelectedPath();
}

void TDirTreeCombo::SetSelectedPath(const std::string& path) {
  Tree->Model().SetSelectedPath(path);
  if (fileList_ != nullptr) fileList_->SetDirectory(SelectedPath());
}

void TDirTreeCombo::SetFileList(TFileListView* list) {
  fileList_ = list;
  if (fileList_ != nullptr && !SelectedPath().empty()) {
    fileList_->SetDirectory(SelectedPath());
    fileList_->Refill();
  }
}

bool TDirTreeCombo::ExpandRoot() const {
  return Tree->Model().ExpandRoot();
}
void TDirTreeCombo::SetExpandRoot(bool expand) {
  Tree->Model().SetExpandRoot(expand);
}
bool TDirTreeCombo::HideSelection() const {
  return Tree->HideSelection();
}
void TDirTreeCombo::SetHideSelection(bool hide) {
  Tree->SetHideSelection(hide);
}
HBITMAP TDirTreeCombo::Glyph() const {
  return Btn->Glyph();
}
void TDirTreeCombo::SetGlyph(HBITMAP glyph) {
  Btn->SetGlyph(glyph);
}
int TDirTreeCombo::TreeHeight() const {
  return Tree->Height();
}

void TDirTreeCombo::SetTreeHeight(int height) {
  Tree->SetBounds(Tree->Left(), Tree->Top(), Tree->Width(), height);
}

void TDirTreeCombo::SetReadOnly(bool readOnly) {
  ReadOnly = readOnly;
  if (HandleAllocated()) SendMessageA(Handle(), EM_SETREADONLY, readOnly ? TRUE : FALSE, 0);
}

bool TDirTreeCombo::DroppedDown() const {
  return Tree->Enabled();
}

void TDirTreeCombo::CreateParamsFor(CreateParams& params) {
  ui::TCustomEdit::CreateParamsFor(params);
  // Only a multi-line edit honours a formatting rectangle, which keeps the text clear of the
  // icon and the button.
  params.style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TDirTreeCombo::AfterCreate() {
  ui::TCustomEdit::AfterCreate();
  Btn->SetBounds(Width() - Scaled(ButtonSize) - Scaled(4), 0, Scaled(ButtonSize),
                 Scaled(ButtonSize));
  Btn->Cursor = ui::TCursor::Arrow;
  Btn->Down = false;
  Btn->OnClick = [this](ui::TObject*) { ButtonClicked(); };
  Btn->AdoptGlyph(LoadBitmapA(nullptr, MAKEINTRESOURCEA(StockComboArrow)));

  Tree->Handle();
  Tree->SetBounds(0, 0, 0, Tree->Height());
  DirTreeModel& model = Tree->Model();
  model.BuildDriveTree();
  model.SetExpandRoot(true);
  Tree->ReadOnly = true;
  Tree->SetEnabled(false);
  Tree->SetVisible(false);

  if (model.Selected() == nullptr) {
    if (const DirTreeNode* first = model.FirstNode()) {
      editImageIndex_ = first->ImageIndex();
      SetText(first->Caption());
    } else {
      editImageIndex_ = -1;
    }
  }
  SetEditRect();
}

void TDirTreeCombo::RecreateWnd() {
  if (!HandleAllocated()) return;
  if (DroppedDown()) CloseDropDown(false);
  Tree->ReleaseWindow();
  DestroyHandle();
  Handle();
}

void TDirTreeCombo::SetBounds(int left, int top, int width, int height) {
  ui::TCustomEdit::SetBounds(left, top, width, height);
  if (Parent() == nullptr || Btn == nullptr) return;
  Btn->SetBounds(width - Btn->Width() - Scaled(4), Btn->Top(), Btn->Width(), height - Scaled(4));
  SetEditRect();
}

void TDirTreeCombo::SetEditRect() {
  if (!HandleAllocated()) return;
  const RECT client = ClientRect();
  HIMAGELIST images = Tree->Images();
  const int count = images != nullptr ? ImageList_GetImageCount(images) : 0;
  const bool icon = editImageIndex_ >= 0 && editImageIndex_ < count;
  RECT r{icon ? Scaled(TextLeftBesideIcon) : 0, 0, client.right - Btn->Width() - Scaled(2),
         client.bottom + 1};
  SendMessageA(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TDirTreeCombo::ShowInEdit(int imageIndex, const std::string& caption) {
  editImageIndex_ = imageIndex;
  SetText(caption);
  SetEditRect();
  Invalidate();
}

void TDirTreeCombo::Paint() {
  HDC dc = GetDC(Handle());
  const RECT client = ClientRect();
  HIMAGELIST images = Tree->Images();
  if (images != nullptr && editImageIndex_ >= 0 &&
      editImageIndex_ < ImageList_GetImageCount(images)) {
    int iconWidth = 16;
    int iconHeight = 16;
    ImageList_GetIconSize(images, &iconWidth, &iconHeight);
    ImageList_Draw(images, editImageIndex_, dc, Scaled(IconLeft), (client.bottom - iconHeight) / 2,
                   ILD_NORMAL);
  }
  PaintControls(dc, nullptr);
  ReleaseDC(Handle(), dc);
}

void TDirTreeCombo::ButtonClicked() {
  // Inside a button-up the class library still holds the capture for the button and lets it
  // go afterwards, which would take the drop-down's capture with it.
  if (inMouseUp_) {
    toggleAfterMouseUp_ = true;
  } else {
    ToggleDropDown();
  }
}

void TDirTreeCombo::ToggleDropDown() {
  if (Parent() == nullptr || !Parent()->HandleAllocated() || !Tree->HandleAllocated()) return;
  POINT p{Left(), Top() + Height()};
  ::ClientToScreen(Parent()->Handle(), &p);
  if (GetSystemMetrics(SM_CYSCREEN) < p.y + TreeHeight()) {
    p = POINT{Left(), Top() - TreeHeight()};
    ::ClientToScreen(Parent()->Handle(), &p);
  }
  Tree->SetBounds(p.x, p.y, Width(), TreeHeight());
  if (DroppedDown()) {
    CloseDropDown(true);
    return;
  }
  HWND tree = Tree->Handle();
  Tree->SetEnabled(true);
  Tree->SetVisible(true);
  SetWindowPos(tree, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetCapture(tree);
  if (GetFocus() != tree) ::SetFocus(tree);
}

void TDirTreeCombo::CloseDropDown(bool toBack) {
  if (!Tree->HandleAllocated()) return;
  HWND tree = Tree->Handle();
  if (toBack) {
    SetWindowPos(tree, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  // A hidden window cannot keep the keyboard; it goes back to the edit, not to whoever the
  // platform would pick.
  if (GetFocus() == tree && HandleAllocated()) ::SetFocus(Handle());
  Tree->SetEnabled(false);
  Tree->SetVisible(false);
  if (GetCapture() == tree) ReleaseCapture();
}

bool TDirTreeCombo::PickNode(ui::TObject* sender) {
  DirTreeModel& model = Tree->Model();
  const auto pick = model.PickNode();
  if (!pick) return true;
  SetSelectedPath(pick->path);
  // Copies: an event handler may rebuild the tree.
  const std::string path = SelectedPath();
  const DirTreeNode* node = pick->node;
  const int image = node->ImageIndex();
  const std::string caption = node->Caption();
  const bool removable = pick->removableDrive;

  if (sender == Tree) {
    ShowInEdit(image, caption);
    if (OnPathChange) OnPathChange(Tree, path);
    CloseDropDown(false);
    if (removable && !path.empty()) model.IsDriveReady(path[0], true);
    if (Tree->HandleAllocated() && GetCapture() == Tree->Handle()) ReleaseCapture();
    return true;
  }

  if (OnPathChange) OnPathChange(this, path);
  CloseDropDown(true);
  if (removable && !path.empty() && !model.IsDriveReady(path[0], true)) return false;
  ShowInEdit(image, caption);
  return true;
}

void TDirTreeCombo::OpenPath(const std::string& path) {
  DirTreeModel& model = Tree->Model();
  DirTreeNode* node = model.OpenPath(path);
  if (node == nullptr) return;
  const DirTreeNode* selected = model.Selected();
  ShowInEdit(selected != nullptr ? selected->ImageIndex() : node->ImageIndex(), node->Caption());
  if (OnPathChange) OnPathChange(this, SelectedPath());
}

void TDirTreeCombo::ReloadTree() {
  Tree->Model().ReloadTree();
}

bool TDirTreeCombo::KeyDown(WORD key) {
  switch (key) {
    case VK_RETURN:
      return !PickNode(this);
    case VK_ESCAPE:
      if (DroppedDown()) CloseDropDown(false);
      return false;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      return Tree->Model().HandleArrowKey(key);
    case VK_F4:
      ToggleDropDown();
      if (Tree->HandleAllocated() && IsWindowVisible(Tree->Handle())) Tree->SetFocus();
      return false;
    default:
      return false;
  }
}

void TDirTreeCombo::WndProc(ui::TMessage& message) {
  switch (message.Msg) {
    case WM_KEYDOWN: {
      const WORD key = static_cast<WORD>(message.WParam);
      message.Result = 0;
      if (KeyDown(key)) return;
      if (key == VK_RETURN || key == VK_ESCAPE) {
        // A multi-line edit would take these as a dialog's keys; only the listener hears them.
        WORD heard = key;
        if (OnKeyDown) OnKeyDown(this, heard, 0);
        return;
      }
      break;
    }
    case WM_CHAR:
      // One line only, and Escape is not the edit's to act on.
      if (message.WParam == '\r' || message.WParam == '\n' || message.WParam == VK_ESCAPE) {
        message.Result = 0;
        return;
      }
      break;
    case WM_GETDLGCODE: {
      // Asked by the edit itself, a multi-line edit would claim Tab and treat Enter and Escape
      // as the dialog's; this one wants its arrows, Enter, Escape and characters.
      message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
      const auto* msg = reinterpret_cast<const MSG*>(message.LParam);
      if (msg != nullptr && msg->message == WM_KEYDOWN &&
          (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        message.Result |= DLGC_WANTMESSAGE;
      }
      return;
    }
    case WM_KILLFOCUS: {
      HWND next = reinterpret_cast<HWND>(message.WParam);
      // Opening hands the focus to the drop-down, which must not close it again.
      if (DroppedDown() && !(Tree->HandleAllocated() && next == Tree->Handle())) {
        CloseDropDown(false);
      }
      break;
    }
    case WM_RBUTTONUP: {
      const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      const RECT button = Btn->BoundsRect();
      if (Btn->Visible() && PtInRect(&button, p)) {
        Btn->Perform(WM_RBUTTONUP, message.WParam, MAKELPARAM(p.x - Btn->Left(), p.y - Btn->Top()));
      }
      message.Result = 0;
      return;
    }
    case WM_PAINT:
      ui::TCustomEdit::WndProc(message);
      Paint();
      return;
    case WM_LBUTTONUP:
      inMouseUp_ = true;
      ui::TCustomEdit::WndProc(message);
      inMouseUp_ = false;
      if (toggleAfterMouseUp_) {
        toggleAfterMouseUp_ = false;
        ToggleDropDown();
      }
      return;
    default:
      break;
  }
  ui::TCustomEdit::WndProc(message);
}

}  // namespace brevlo::dirtree
