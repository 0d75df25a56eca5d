#include "ui/Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "ui/Menus.h"
#include "ui/Subclass.h"

namespace brevlo::ui {
namespace {
constexpr UINT_PTR SubclassId = 0x42524556;  // one id for all our subclasses

// The window of ours the mouse was last seen over.
TWinControl*& HoveredWindow() {
  static TWinControl* window = nullptr;
  return window;
}

// Which of our controls owns a window; filled when the window is subclassed.
std::unordered_map<HWND, TWinControl*>& HandleMap() {
  static std::unordered_map<HWND, TWinControl*> map;
  return map;
}

// Child window identifiers, unique among all our windows until they wrap; the dialog manager
// and the command messages only need siblings to differ.
UINT_PTR NextChildId() {
  static UINT_PTR next = 0x1000;
  const UINT_PTR id = next;
  next = next >= 0x7FFF ? 0x1000 : next + 1;
  return id;
}

HCURSOR CursorHandle(TCursor cursor) {
  switch (cursor) {
    case TCursor::Hand:
      return LoadCursor(nullptr, IDC_HAND);
    case TCursor::IBeam:
      return LoadCursor(nullptr, IDC_IBEAM);
    case TCursor::Wait:
      return LoadCursor(nullptr, IDC_WAIT);
    default:
      return LoadCursor(nullptr, IDC_ARROW);
  }
}
}  // namespace

struct THookLink {
  TWndHook hook;
  std::function<void()> onGone;
  TControl* control = nullptr;       // null once unchained or the control went
  TControl* owner = nullptr;         // the control it was chained to, to pass messages on
  std::shared_ptr<bool> ownerAlive;  // false from the moment the control starts to go
  std::shared_ptr<THookLink> inner;  // kept while unchained, for a call still running
};

bool TWndNext::operator()(TMessage& message) const {
  // The link outlives this call (the caller holds it); its inner link is where the message
  // goes now, even when hooks were added or removed meanwhile.
  if (!*link_->ownerAlive) {
    message.Result = 0;
    return false;
  }
  const std::shared_ptr<THookLink> inner = link_->inner;
  TControl::CallFrom(link_->owner, inner, message);
  return link_->control != nullptr;
}

THookHandle& THookHandle::operator=(THookHandle&& other) noexcept {
  if (this != &other) {
    Unchain();
    link_ = std::move(other.link_);
  }
  return *this;
}

bool THookHandle::Chained() const {
  return link_ != nullptr && link_->control != nullptr;
}

void THookHandle::Unchain() {
  if (link_ == nullptr) return;
  const std::shared_ptr<THookLink> link = std::move(link_);
  TControl* control = link->control;
  if (control == nullptr) return;
  link->control = nullptr;
  if (control->hooks_ == link) {
    control->hooks_ = link->inner;
    return;
  }
  for (THookLink* outer = control->hooks_.get(); outer != nullptr; outer = outer->inner.get()) {
    if (outer->inner == link) {
      outer->inner = link->inner;
      return;
    }
  }
}

bool TObject::InheritsFrom(const char* name) const {
  return std::string_view(name) == "TObject";
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
  if (owner_ != nullptr) {
    owner_->components_.push_back(this);
    loading_ = owner_->loading_;  // made while its owner builds: loaded with it
  }
}

TComponent::~TComponent() {
  destroying_ = true;
  if (self_ != nullptr) *self_ = nullptr;
  while (!components_.empty()) {
    TComponent* last = components_.back();
    components_.pop_back();
    last->owner_ = nullptr;
    delete last;
  }
  if (owner_ != nullptr) {
    auto& siblings = owner_->components_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
  }
}

void TComponent::BeginLoading() {
  loading_ = true;
  for (auto* c : components_) c->BeginLoading();
}

void TComponent::EndLoading() {
  if (!loading_) return;
  loading_ = false;
  Loaded();
  for (auto* c : std::vector<TComponent*>(components_)) c->EndLoading();
}

std::shared_ptr<TComponent* const> TComponent::Observe() {
  if (self_ == nullptr) self_ = std::make_shared<TComponent*>(destroying_ ? nullptr : this);
  return self_;
}

TComponent* TComponent::FindComponent(const std::string& name) const {
  for (auto* c : components_) {
    if (c->Name == name) return c;
  }
  return nullptr;
}

TControl::TControl(TComponent* owner) : TComponent(owner) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
}

TControl::~TControl() {
  DropHooks();
  if (parent_ != nullptr) parent_->RemoveControl(this);
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  TMessage m{msg, wParam, lParam, 0};
  Dispatch(m);
  return m.Result;
}

void TControl::Dispatch(TMessage& message) {
  CallFrom(this, hooks_, message);
}

void TControl::CallFrom(TControl* control, const std::shared_ptr<THookLink>& link,
                        TMessage& message) {
  // Links unchained while a message was on its way keep their way on, but are passed over.
  std::shared_ptr<THookLink> keep = link;  // the hook may unchain itself while it runs
  while (keep != nullptr && keep->control == nullptr) keep = keep->inner;
  if (keep == nullptr) {
    control->WindowProc(message);
    return;
  }
  keep->hook(message, TWndNext(keep.get()));
}

THookHandle TControl::ChainWindowProc(TWndHook hook, std::function<void()> onGone) {
  auto link = std::make_shared<THookLink>();
  link->hook = std::move(hook);
  link->onGone = std::move(onGone);
  link->control = this;
  link->owner = this;
  link->ownerAlive = alive_;
  link->inner = hooks_;
  hooks_ = link;
  return THookHandle(link);
}

void TControl::DropHooks() {
  *alive_ = false;
  std::vector<std::shared_ptr<THookLink>> links;
  for (auto link = hooks_; link != nullptr; link = link->inner) links.push_back(link);
  hooks_.reset();
  for (auto& link : links) link->control = nullptr;
  for (auto& link : links) {
    if (link->onGone) link->onGone();
  }
}

void TControl::Notify(UINT msg) {
  TMessage m{msg, 0, 0, 0};
  Dispatch(m);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent_ == parent) return;
  if (parent_ != nullptr) parent_->RemoveControl(this);
  parent_ = parent;
  if (parent_ != nullptr) parent_->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (!scaling_) design_ = UnscaleRectByDpi(BoundsRect(), dpi_);
}

void TControl::ChangeDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  if (Font.Height != madeFont_) designFont_ = UnscaleByDpi(Font.Height, dpi_);
  dpi_ = dpi;
  Font.Height = madeFont_ = FontHeightAtDpi(designFont_, dpi);
  scaling_ = true;
  PlaceAtDpi();
  scaling_ = false;
  FontChanged();
  DpiChanged();
}

void TControl::PlaceAtDpi() {
  const RECT r = ScaleRectByDpi(design_, dpi_);
  SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void TControl::SetVisible(bool visible) {
  visible_ = visible;
}
void TControl::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Notify(CM_ENABLEDCHANGED);
}

void TControl::SetCaption(const std::string& text) {
  caption_ = text;
  Invalidate();
  Notify(CM_TEXTCHANGED);
}

TColor TControl::EffectiveColor() const {
  if (ParentColor && parent_ != nullptr) return parent_->EffectiveColor();
  return Color;
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::Invalidate() {}

POINT TControl::ClientToScreen(POINT client) const {
  POINT p{client.x + left_, client.y + top_};
  if (parent_ != nullptr) return parent_->ClientToScreen(p);
  return p;
}

POINT TControl::ScreenToClient(POINT screen) const {
  POINT origin = ClientToScreen(POINT{0, 0});
  return POINT{screen.x - origin.x, screen.y - origin.y};
}

void TControl::WndProc(TMessage& message) {
  DefaultHandler(message);
}

void TGraphicControl::Invalidate() {
  if (Parent() != nullptr && Parent()->HandleAllocated()) {
    RECT r = PaintBounds();
    InvalidateRect(Parent()->Handle(), &r, TRUE);
  }
}

void TGraphicControl::SetBounds(int left, int top, int width, int height) {
  Invalidate();
  TControl::SetBounds(left, top, width, height);
  Invalidate();
}

void TGraphicControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  Invalidate();
}

void TGraphicControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_PAINT: {
      TCanvas canvas(reinterpret_cast<HDC>(message.WParam));
      Paint(canvas);
      message.Result = 0;
      return;
    }
    case WM_LBUTTONDOWN:
      pressed_ = true;
      return;
    case WM_LBUTTONUP: {
      const bool wasPressed = pressed_;
      pressed_ = false;
      const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      if (wasPressed && p.x >= 0 && p.y >= 0 && p.x < Width() && p.y < Height() && Enabled()) {
        Click();
      }
      return;
    }
    case WM_LBUTTONDBLCLK:
      if (OnDblClick) OnDblClick(this);
      return;
    case WM_SETCURSOR:
      if (Cursor != TCursor::Default) {
        SetCursor(CursorHandle(Cursor));
        message.Result = TRUE;
      }
      return;
    default:
      TControl::WndProc(message);
  }
}

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  // Nothing chained in front sees the window go: its owners hear of it first.
  DropHooks();
  // Children go before the window that holds them.
  for (auto* c : std::vector<TControl*>(controls_)) c->SetParent(nullptr);
  DestroyHandle();
}

void TWinControl::DestroyHandle() {
  if (HoveredWindow() == this) HoveredWindow() = nullptr;
  if (handle_ != nullptr) {
    HWND h = handle_;
    Unsubclass(h, SubclassProc, SubclassId);
    HandleMap().erase(h);
    handle_ = nullptr;
    DestroyWindow(h);
  }
}

TWinControl* TWinControl::FromHandle(HWND hwnd) {
  if (hwnd == nullptr) return nullptr;
  const auto it = HandleMap().find(hwnd);
  return it == HandleMap().end() ? nullptr : it->second;
}

void TWinControl::CreateParamsFor(CreateParams& params) {
  params.style =
      WS_CHILD | WS_CLIPSIBLINGS | (visible_ ? WS_VISIBLE : 0) | (enabled_ ? 0 : WS_DISABLED);
  params.parent = Parent() != nullptr ? Parent()->Handle() : nullptr;
  params.x = left_;
  params.y = top_;
  params.width = width_;
  params.height = height_;
}

void TWinControl::CreateWnd() {
  CreateParams params;
  CreateParamsFor(params);
  HMENU id = (params.style & WS_CHILD) != 0 ? reinterpret_cast<HMENU>(NextChildId()) : nullptr;
  handle_ = CreateWindowExA(params.exStyle, params.className, caption_.c_str(), params.style,
                            params.x, params.y, params.width, params.height, params.parent, id,
                            GetModuleHandleA(nullptr), nullptr);
  if (handle_ == nullptr) return;
  HandleMap()[handle_] = this;
  Subclass(handle_, SubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
  SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), FALSE);
  AfterCreate();
  for (auto* c : controls_) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->Handle();
  }
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND h = Handle();
  if (h == nullptr) return TControl::Perform(msg, wParam, lParam);
  return SendMessageA(h, msg, wParam, lParam);
}

HWND TWinControl::Handle() {
  if (handle_ == nullptr) CreateWnd();
  return handle_;
}

void TWinControl::SetParent(TWinControl* parent) {
  TControl::SetParent(parent);
  if (handle_ != nullptr && parent != nullptr) {
    ::SetParent(handle_, parent->Handle());
  }
}

void TWinControl::SetBounds(int left, int top, int width, int height) {
  TControl::SetBounds(left, top, width, height);
  if (handle_ != nullptr) {
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TWinControl::ChangeDpi(int dpi) {
  if (dpi <= 0 || dpi == Dpi()) return;
  // Children first: a control that places its children finds them at the new scale already.
  for (auto* c : std::vector<TControl*>(controls_)) c->ChangeDpi(dpi);
  TControl::ChangeDpi(dpi);
}

RECT TWinControl::ClientRect() const {
  RECT r{};
  if (handle_ != nullptr) {
    GetClientRect(handle_, &r);
  } else {
    r = RECT{0, 0, width_, height_};
  }
  return r;
}

void TWinControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (handle_ != nullptr) ShowWindow(handle_, visible ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool enabled) {
  if (handle_ != nullptr) EnableWindow(handle_, enabled ? TRUE : FALSE);
  TControl::SetEnabled(enabled);
}

void TWinControl::SetCaption(const std::string& text) {
  caption_ = text;
  if (handle_ != nullptr) SetWindowTextA(handle_, text.c_str());
  Notify(CM_TEXTCHANGED);
}

std::string TWinControl::GetText() const {
  if (handle_ == nullptr) return caption_;
  const int length = GetWindowTextLengthA(handle_);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(handle_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void TWinControl::FontChanged() {
  Font.Changed();
  if (handle_ != nullptr) {
    SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font.Handle()), TRUE);
  }
}

void TWinControl::Invalidate() {
  if (handle_ != nullptr) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::SetFocus() {
  if (handle_ != nullptr) ::SetFocus(handle_);
}

bool TWinControl::Focused() const {
  return handle_ != nullptr && GetFocus() == handle_;
}

void TWinControl::ApplyTabOrder() {
  std::vector<TWinControl*> children;
  for (auto* c : controls_) {
    auto* w = dynamic_cast<TWinControl*>(c);
    // Windows of their own, such as a drop-down, are no siblings to tab through.
    if (w != nullptr && w->HandleAllocated() &&
        (GetWindowLongPtrA(w->handle_, GWL_STYLE) & WS_CHILD) != 0) {
      children.push_back(w);
    }
  }
  // The dialog manager tabs through siblings in z-order.
  std::stable_sort(children.begin(), children.end(), [](TWinControl* a, TWinControl* b) {
    const unsigned ka = static_cast<unsigned>(a->TabOrder);  // -1 sorts last
    const unsigned kb = static_cast<unsigned>(b->TabOrder);
    return ka < kb;
  });
  HWND after = HWND_TOP;
  for (auto* child : children) {
    // Most are in place already; moving one there anyway costs a round of messages.
    const HWND next =
        after == HWND_TOP ? GetWindow(handle_, GW_CHILD) : GetWindow(after, GW_HWNDNEXT);
    if (next != child->handle_) {
      SetWindowPos(child->handle_, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    after = child->handle_;
    child->ApplyTabOrder();
  }
}

void TWinControl::InsertControl(TControl* control) {
  controls_.push_back(control);
  // Made in design units like the rest, whenever it comes.
  control->ChangeDpi(Dpi());
  if (handle_ != nullptr) {
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
      w->Handle();
    } else {
      control->Invalidate();
    }
  }
}

void TWinControl::RemoveControl(TControl* control) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
  if (mouseCapture_ == control) mouseCapture_ = nullptr;
  if (hoverGraphic_ == control) hoverGraphic_ = nullptr;
}

void TWinControl::SetHoverGraphic(TGraphicControl* graphic) {
  if (hoverGraphic_ == graphic) return;
  TGraphicControl* old = hoverGraphic_;
  hoverGraphic_ = graphic;
  if (old != nullptr) {
    old->mouseInside_ = false;
    old->Notify(CM_MOUSELEAVE);
  }
  if (graphic != nullptr) {
    graphic->mouseInside_ = true;
    graphic->Notify(CM_MOUSEENTER);
  }
}

void TWinControl::MouseLeft() {
  if (HoveredWindow() == this) HoveredWindow() = nullptr;
  if (!mouseInside_) return;
  SetHoverGraphic(nullptr);
  mouseInside_ = false;
  Notify(CM_MOUSELEAVE);
}

void TWinControl::TrackMouse(const TMessage& message) {
  if (message.Msg == WM_MOUSEMOVE) {
    // The mouse is over one window at a time. The platform may tell the last one late that it
    // left (Wine checks on a timer), so it hears it now.
    if (HoveredWindow() != this) {
      if (HoveredWindow() != nullptr) HoveredWindow()->MouseLeft();
      HoveredWindow() = this;
    }
    if (!mouseInside_) {
      mouseInside_ = true;
      TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, handle_, 0};
      TrackMouseEvent(&track);
      Notify(CM_MOUSEENTER);
    }
    if (!controls_.empty() || hoverGraphic_ != nullptr) {
      const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
      SetHoverGraphic(GraphicAt(p));
    }
  } else if (message.Msg == WM_MOUSELEAVE) {
    MouseLeft();
  }
}

TGraphicControl* TWinControl::GraphicAt(POINT client) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    auto* g = dynamic_cast<TGraphicControl*>(*it);
    if (g != nullptr && g->Visible()) {
      const RECT r = g->BoundsRect();
      if (PtInRect(&r, client)) return g;
    }
  }
  return nullptr;
}

void TWinControl::PaintControls(HDC dc, const RECT* clip) {
  for (auto* c : controls_) {
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (g == nullptr || !g->Visible()) continue;
    const RECT r = g->PaintBounds();
    RECT overlap;
    if (clip != nullptr && !IntersectRect(&overlap, &r, clip)) continue;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    OffsetViewportOrgEx(dc, g->Left(), g->Top(), nullptr);
    g->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
  }
}

void TWinControl::DispatchMouseToGraphic(TMessage& message) {
  const POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  TGraphicControl* target = mouseCapture_ != nullptr ? mouseCapture_ : GraphicAt(p);
  if (target == nullptr) return;
  if (message.Msg == WM_LBUTTONDOWN) {
    mouseCapture_ = target;
    SetCapture(handle_);
  }
  const LPARAM local = MAKELPARAM(p.x - target->Left(), p.y - target->Top());
  target->Perform(message.Msg, message.WParam, local);
  if (message.Msg == WM_LBUTTONUP && mouseCapture_ != nullptr) {
    mouseCapture_ = nullptr;
    ReleaseCapture();
  }
}

void TWinControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND: {
      auto* child = FromHandle(reinterpret_cast<HWND>(message.LParam));
      if (child != nullptr && child != this) {
        message.Result = child->Perform(CN_COMMAND, message.WParam, message.LParam);
        return;
      }
      if (message.LParam == 0 && HIWORD(message.WParam) == 0 &&
          TMenuItem::DispatchCommand(LOWORD(message.WParam))) {
        return;
      }
      break;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
      auto* child = FromHandle(header->hwndFrom);
      if (child != nullptr && child != this) {
        message.Result = child->Perform(CN_NOTIFY, message.WParam, message.LParam);
        return;
      }
      break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN: {
      auto* child = FromHandle(reinterpret_cast<HWND>(message.LParam));
      if (child != nullptr && child != this) {
        message.Result = child->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
        if (message.Result != 0) return;
      }
      break;
    }
    case WM_MEASUREITEM:
      if (message.WParam == 0 &&
          TMenuItem::DispatchMeasure(reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam))) {
        message.Result = TRUE;
        return;
      }
      break;
    case WM_DRAWITEM:
      if (message.WParam == 0 &&
          TMenuItem::DispatchDraw(reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam))) {
        message.Result = TRUE;
        return;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
      if (!controls_.empty()) DispatchMouseToGraphic(message);
      break;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(message.WParam) == handle_ && LOWORD(message.LParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(handle_, &p);
        if (auto* g = GraphicAt(p)) {
          g->Dispatch(message);
          if (message.Result != 0) return;
        }
      }
      break;
    case WM_CONTEXTMENU:
      if (PopupMenu != nullptr && reinterpret_cast<HWND>(message.WParam) == handle_) {
        POINT p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
        if (p.x == -1 && p.y == -1) {
          p = POINT{0, 0};
          ::ClientToScreen(handle_, &p);
        }
        PopupMenu->Popup(p.x, p.y, handle_);
        message.Result = 0;
        return;
      }
      break;
    case WM_KEYDOWN:
      if (OnKeyDown) {
        WORD key = static_cast<WORD>(message.WParam);
        OnKeyDown(this, key, 0);
        if (key == 0) return;
      }
      break;
    case WM_CHAR:
      if (OnKeyPress) {
        char key = static_cast<char>(message.WParam);
        OnKeyPress(this, key);
        if (key == 0) return;
      }
      break;
    default:
      break;
  }
  DefaultHandler(message);
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (handle_ == nullptr) {
    message.Result = 0;
    return;
  }
  if (message.Msg >= CN_BASE && message.Msg < CN_BASE + 0x400) {
    message.Result = 0;  // a reflected message nobody took
    return;
  }
  message.Result = DefSubclass(handle_, message.Msg, message.WParam, message.LParam);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR refData) {
  auto* self = reinterpret_cast<TWinControl*>(refData);
  if (msg == WM_NCDESTROY) {
    Unsubclass(hwnd, SubclassProc, SubclassId);
    HandleMap().erase(hwnd);
    if (self->handle_ == hwnd) self->handle_ = nullptr;
    return DefSubclass(hwnd, msg, wParam, lParam);
  }
  TMessage m{msg, wParam, lParam, 0};
  if (msg == WM_MOUSEMOVE || msg == WM_MOUSELEAVE) self->TrackMouse(m);
  self->Dispatch(m);
  return m.Result;
}

}  // namespace brevlo::ui
