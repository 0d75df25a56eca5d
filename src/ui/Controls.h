#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

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

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

using TWndMethod = std::function<void(TMessage&)>;
using TNotifyEvent = std::function<void(class TObject* sender)>;

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
  TComponent* Owner() const { return owner_; }
  const std::vector<TComponent*>& Components() const { return components_; }
  TComponent* FindComponent(const std::string& name) const;

 private:
  TComponent* owner_;
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

  // Every message for the control passes through here; replace it to take the control over and
  // put the previous one back to let go.
  TWndMethod WindowProc;
  virtual LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
  virtual void SetBounds(int left, int top, int width, int height);
  virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }

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
  std::string caption_;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  bool enabled_ = true;

 private:
  TWinControl* parent_ = nullptr;
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
  void PaintGraphics(HDC dc, const RECT* clip);
  void DestroyHandle();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR refData);
  void DispatchMouseToGraphic(TMessage& message);
  HWND handle_ = nullptr;
  std::vector<TControl*> controls_;
  TGraphicControl* mouseCapture_ = nullptr;
  bool inDefault_ = false;
};

}  // namespace brevlo::ui
