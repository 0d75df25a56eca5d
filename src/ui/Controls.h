#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/Dpi.h"
#include "ui/Graphics.h"

namespace brevlo::ui {

// Messages reflected from a parent to the control that caused them (notifications, colours).
inline constexpr UINT CN_BASE = 0xBC00;
inline constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
inline constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
inline constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
inline constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
inline constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
inline constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;

// Notifications of the class library itself, sent through a control's message handling so that
// whoever is chained in front of it hears of them too.
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_MOUSEENTER = CM_BASE + 1;
inline constexpr UINT CM_MOUSELEAVE = CM_BASE + 2;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 3;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 4;
inline constexpr UINT CM_RELEASE = CM_BASE + 5;

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = std::function<void(TMessage&)>;
using TNotifyEvent = std::function<void(class TObject* sender)>;

class TControl;
struct THookLink;

// Hands a message to the handling behind a hook. Answers false when the hook was unchained (or
// its control went) meanwhile: its owner may be gone, so the hook must touch nothing more.
class TWndNext {
 public:
  bool operator()(TMessage& message) const;

 private:
  friend class TControl;
  explicit TWndNext(THookLink* link) : link_(link) {}
  THookLink* link_;
};

using TWndHook = std::function<void(TMessage&, const TWndNext& next)>;

// One hook in front of a control's message handling. Unchaining is safe at any time: while the
// hook runs, in any order among other hooks, and after the control is gone.
class THookHandle {
 public:
  THookHandle() = default;
  explicit THookHandle(std::shared_ptr<THookLink> link) : link_(std::move(link)) {}
  THookHandle(THookHandle&&) noexcept = default;
  THookHandle& operator=(THookHandle&& other) noexcept;
  THookHandle(const THookHandle&) = delete;
  THookHandle& operator=(const THookHandle&) = delete;
  ~THookHandle() { Unchain(); }
  void Unchain();
  bool Chained() const;

 private:
  std::shared_ptr<THookLink> link_;
};

// Class names as the class library reports them, so that code can ask what a control is
// without knowing the C++ type (the skinner tables rely on it).
#define BREVLO_CLASS(Name, Base)                                        \
 public:                                                                \
  const char* ClassName() const override {                              \
    return #Name;                                                       \
  }                                                                     \
  bool InheritsFrom(const char* name) const override {                  \
    return std::string_view(name) == #Name || Base::InheritsFrom(name); \
  }

class TObject {
 public:
  virtual ~TObject() = default;
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual const char* ClassName() const { return "TObject"; }
  virtual bool InheritsFrom(const char* name) const;
};

// Owns the components created with it as owner and frees them, last created first.
class TComponent : public TObject {
  BREVLO_CLASS(TComponent, TObject)
 public:
  explicit TComponent(TComponent* owner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  std::string Name;
  int Tag = 0;
  // Set while the component and its owner build their parts; Loaded ends it for all of them.
  bool Loading() const { return loading_; }
  void BeginLoading();
  void EndLoading();
  bool Designing() const { return designing_; }
  void SetDesigning(bool designing) { designing_ = designing; }
  bool Destroying() const { return destroying_; }
  // A pointer that turns null when the component is destroyed.
  std::shared_ptr<TComponent* const> Observe();
  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  TComponent* FindComponent(const std::string& name) const;

 protected:
  // Called once when loading ends, owner first, then the components it owns.
  virtual void Loaded() {}
  void MarkDestroying() { destroying_ = true; }

 private:
  TComponent* owner_;
  std::shared_ptr<TComponent*> self_;
  bool loading_ = false;
  bool designing_ = false;
  bool destroying_ = false;
  std::vector<TComponent*> components_;
};

class TWinControl;
class TPopupMenu;

enum class TCursor { Default, Hand, Arrow, IBeam, Wait };

class TControl : public TComponent {
  BREVLO_CLASS(TControl, TComponent)
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // The control's own message handling; replaceable. Hooks chained in front of it see every
  // message first.
  TWndMethod WindowProc;
  virtual LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Every message enters here: the hooks, newest first, then WindowProc.
  void Dispatch(TMessage& message);
  // onGone is called when the control is destroyed while the hook is chained.
  THookHandle ChainWindowProc(TWndHook hook, std::function<void()> onGone = {});
  bool MouseInControl() const { return mouseInside_; }

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual void SetBounds(int left, int top, int width, int height);
  virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }

  // Places, sizes and fonts are given at DesignDpi and shown at the control's own scale.
  // SetBounds takes pixels at that scale; the design is kept beside them, so that a change
  // of scale starts from it and rounding never piles up.
  int Dpi() const { return dpi_; }
  // Lays the control out at another scale, a windowed control its children too.
  virtual void ChangeDpi(int dpi);
  // A design length at the control's scale.
  int Scaled(int value) const { return ScaleByDpi(value, dpi_); }

  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);

  const std::string& Caption() const { return caption_; }
  virtual void SetCaption(const std::string& text);
  std::string Text() const { return GetText(); }
  void SetText(const std::string& text) { SetCaption(text); }

  TFont Font;
  TColor Color = clBtnFace;
  bool ParentColor = true;
  TCursor Cursor = TCursor::Default;
  TPopupMenu* PopupMenu = nullptr;
  virtual void FontChanged() {}
  TColor EffectiveColor() const;

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;

  virtual void Click();
  virtual void Invalidate();
  // Parent's client coordinates to this control's.
  POINT ScreenToClient(POINT screen) const;
  POINT ClientToScreen(POINT client) const;

 protected:
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message) { message.Result = 0; }
  virtual std::string GetText() const { return caption_; }
  // Puts the control at its design place at the new scale (Dpi() already tells it).
  virtual void PlaceAtDpi();
  // After place and font follow a new scale, for what else the control sizes by it.
  virtual void DpiChanged() {}
  std::string caption_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool mouseInside_ = false;
  // Hooks see no more messages; their owners hear that the control goes.
  void DropHooks();
  void Notify(UINT msg);

 private:
  friend class TWndNext;
  friend class TWinControl;
  friend class THookHandle;
  static void CallFrom(TControl* control, const std::shared_ptr<THookLink>& link,
                       TMessage& message);
  TWinControl* parent_ = nullptr;
  RECT design_{};
  int designFont_ = 0;
  int madeFont_ = 0;  // the font height last set for a scale; another one was set by hand
  int dpi_ = DesignDpi;
  bool scaling_ = false;
  std::shared_ptr<THookLink> hooks_;  // outermost first
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Drawn by its parent, no window of its own; the parent passes paint and mouse messages
// through the control's WindowProc.
class TGraphicControl : public TControl {
  BREVLO_CLASS(TGraphicControl, TControl)
 public:
  using TControl::TControl;
  void Invalidate() override;
  void SetBounds(int left, int top, int width, int height) override;
  void SetVisible(bool visible) override;
  // Where the control may paint, in its parent's client coordinates.
  virtual RECT PaintBounds() const { return BoundsRect(); }

 protected:
  void WndProc(TMessage& message) override;
  // Canvas origin is the control's top-left corner.
  virtual void Paint(TCanvas& canvas) = 0;

 private:
  bool pressed_ = false;
};

class TWinControl : public TControl {
  BREVLO_CLASS(TWinControl, TControl)
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();
  // Sent to the window, so that the message takes the same road as one from the system.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) override;
  bool HandleAllocated() const { return handle_ != nullptr; }
  void SetParent(TWinControl* parent) override;
  void SetBounds(int left, int top, int width, int height) override;
  RECT ClientRect() const override;
  void ChangeDpi(int dpi) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetCaption(const std::string& text) override;
  void FontChanged() override;
  void Invalidate() override;
  void SetFocus();
  bool Focused() const;
  // Place among the windowed siblings when Tab moves on; -1: after those that have one, in the
  // order they were made. Takes effect with ApplyTabOrder.
  int TabOrder = -1;
  // Puts the windowed children, and theirs, in tab order.
  void ApplyTabOrder();

  const std::vector<TControl*>& Controls() const { return controls_; }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // Topmost visible windowless child under a client point.
  TGraphicControl* GraphicAt(POINT client) const;
  // Paints the visible windowless children that meet the clip (all when null) onto a DC whose
  // origin is this control's client origin; for those that paint the control themselves.
  void PaintControls(HDC dc, const RECT* clip);
  static TWinControl* FromHandle(HWND hwnd);

  std::function<void(TObject*, char& key)> OnKeyPress;
  std::function<void(TObject*, WORD& key, UINT shift)> OnKeyDown;

 protected:
  struct CreateParams {
    const char* className = "STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD exStyle = 0;
    HWND parent = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
  };
  virtual void CreateParamsFor(CreateParams& params);
  virtual void CreateWnd();
  virtual void AfterCreate() {}
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  std::string GetText() const override;
  void DestroyHandle();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR refData);
  void DispatchMouseToGraphic(TMessage& message);
  // Mouse-enter and mouse-leave for this window and its windowless children.
  void TrackMouse(const TMessage& message);
  void SetHoverGraphic(TGraphicControl* graphic);
  void MouseLeft();
  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;
  TGraphicControl* mouseCapture_ = nullptr;
  TGraphicControl* hoverGraphic_ = nullptr;
  bool inDefault_ = false;
};

}  // namespace brevlo::ui
