#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/Controls.h"

namespace brevlo::ui {

class TCustomControl : public TWinControl {
  BREVLO_CLASS(TCustomControl, TWinControl)
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void WndProc(TMessage& message) override;
  // Background, then the windowless children; derived classes may draw more.
  virtual void Paint(TCanvas& canvas, const RECT& clip);
};

class TCustomPanel : public TCustomControl {
  BREVLO_CLASS(TCustomPanel, TCustomControl)
 public:
  using TCustomControl::TCustomControl;
  bool Bevel = false;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void Paint(TCanvas& canvas, const RECT& clip) override;
};

class TPanel : public TCustomPanel {
  BREVLO_CLASS(TPanel, TCustomPanel)
 public:
  using TCustomPanel::TCustomPanel;
};

class TCustomLabel : public TGraphicControl {
  BREVLO_CLASS(TCustomLabel, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
  bool Transparent = false;
  bool AutoSize = true;
  void SetCaption(const std::string& text) override;
  void FontChanged() override;
  void AdjustSize();
  // Some renderers draw a line a few pixels wider than they measure it; the text may run
  // into that margin rather than lose its last letters.
  RECT PaintBounds() const override;

 protected:
  void Paint(TCanvas& canvas) override;
};

class TLabel : public TCustomLabel {
  BREVLO_CLASS(TLabel, TCustomLabel)
 public:
  using TCustomLabel::TCustomLabel;
};

class TImage : public TGraphicControl {
  BREVLO_CLASS(TImage, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
  TBitmap Picture;
  bool Stretch = false;
  bool AutoSize = false;
  void PictureChanged();

 protected:
  void Paint(TCanvas& canvas) override;
  void DpiChanged() override { PictureChanged(); }

 private:
  // The picture smoothly scaled, made once per size, for a scale other than the design's.
  TBitmap scaled_;
  HBITMAP scaledFrom_ = nullptr;
};

class TSpeedButton : public TGraphicControl {
  BREVLO_CLASS(TSpeedButton, TGraphicControl)
 public:
  using TGraphicControl::TGraphicControl;
  bool Down = false;
  virtual HBITMAP Glyph() const { return nullptr; }

 protected:
  void Paint(TCanvas& canvas) override;
};

class TButtonControl : public TWinControl {
  BREVLO_CLASS(TButtonControl, TWinControl)
 public:
  using TWinControl::TWinControl;
};

class TButton : public TButtonControl {
  BREVLO_CLASS(TButton, TButtonControl)
 public:
  using TButtonControl::TButtonControl;
  // Enter in its form presses the default button, Escape the cancel one (one may be both).
  bool Default = false;
  bool Cancel = false;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void WndProc(TMessage& message) override;
};

// Glyph buttons: the push button with a picture beside its caption.
class TBitBtn : public TButton {
  BREVLO_CLASS(TBitBtn, TButton)
 public:
  using TButton::TButton;
  HBITMAP Glyph = nullptr;  // not owned
};

// What check boxes and radio buttons share: a checked state kept while there is no window.
class TCheckableButton : public TButtonControl {
  BREVLO_CLASS(TCheckableButton, TButtonControl)
 public:
  using TButtonControl::TButtonControl;
  bool Checked() const;
  void SetChecked(bool checked);

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;
  void WndProc(TMessage& message) override;
  virtual DWORD ButtonStyle() const = 0;

 private:
  bool checked_ = false;
};

class TCustomCheckBox : public TCheckableButton {
  BREVLO_CLASS(TCustomCheckBox, TCheckableButton)
 public:
  using TCheckableButton::TCheckableButton;

 protected:
  DWORD ButtonStyle() const override { return BS_AUTOCHECKBOX; }
};

class TCheckBox : public TCustomCheckBox {
  BREVLO_CLASS(TCheckBox, TCustomCheckBox)
 public:
  using TCustomCheckBox::TCustomCheckBox;
};

// Not a check box to the class library, though the platform makes both from one class.
class TRadioButton : public TCheckableButton {
  BREVLO_CLASS(TRadioButton, TCheckableButton)
 public:
  using TCheckableButton::TCheckableButton;

 protected:
  DWORD ButtonStyle() const override { return BS_AUTORADIOBUTTON; }
};

class TScrollBar : public TWinControl {
  BREVLO_CLASS(TScrollBar, TWinControl)
 public:
  using TWinControl::TWinControl;
  bool Vertical = false;

 protected:
  void CreateParamsFor(CreateParams& params) override;
};

class TCustomEdit : public TWinControl {
  BREVLO_CLASS(TCustomEdit, TWinControl)
 public:
  explicit TCustomEdit(TComponent* owner);
  bool ReadOnly = false;
  TNotifyEvent OnChange;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void WndProc(TMessage& message) override;
};

class TEdit : public TCustomEdit {
  BREVLO_CLASS(TEdit, TCustomEdit)
 public:
  using TCustomEdit::TCustomEdit;
};

class TCustomMemo : public TCustomEdit {
  BREVLO_CLASS(TCustomMemo, TCustomEdit)
 public:
  using TCustomEdit::TCustomEdit;

 protected:
  void CreateParamsFor(CreateParams& params) override;
};

class TMemo : public TCustomMemo {
  BREVLO_CLASS(TMemo, TCustomMemo)
 public:
  using TCustomMemo::TCustomMemo;
};

class TCustomGroupBox : public TWinControl {
  BREVLO_CLASS(TCustomGroupBox, TWinControl)
 public:
  using TWinControl::TWinControl;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void WndProc(TMessage& message) override;
};

class TGroupBox : public TCustomGroupBox {
  BREVLO_CLASS(TGroupBox, TCustomGroupBox)
 public:
  using TCustomGroupBox::TCustomGroupBox;
};

class TCustomComboBox : public TWinControl {
  BREVLO_CLASS(TCustomComboBox, TWinControl)
 public:
  using TWinControl::TWinControl;
  std::vector<std::string> Items;
  int ItemIndex() const;
  void SetItemIndex(int index);
  TNotifyEvent OnChange;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;
  void WndProc(TMessage& message) override;

 private:
  int itemIndex_ = -1;
};

class TComboBox : public TCustomComboBox {
  BREVLO_CLASS(TComboBox, TCustomComboBox)
 public:
  using TCustomComboBox::TCustomComboBox;
};

}  // namespace brevlo::ui
