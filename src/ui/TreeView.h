#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "ui/Controls.h"

namespace brevlo::ui {

// The platform's tree view. Items are addressed by their handles and carry one value of the
// caller's; the control tells derived classes of expanding, expanded and selection changes.
class TCustomTreeView : public TWinControl {
  BREVLO_CLASS(TCustomTreeView, TWinControl)
 public:
  explicit TCustomTreeView(TComponent* owner);

  bool ReadOnly = false;
  bool ShowButtons = true;
  bool ShowLines = true;
  bool ShowRoot = true;
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool hide);
  // Not owned: a shared list stays the platform's.
  HIMAGELIST Images() const { return images_; }
  void SetImages(HIMAGELIST images);

  // All item calls do nothing (or answer null) while the window does not exist.
  HTREEITEM AddChild(HTREEITEM parent, const std::string& text, int image, int selectedImage,
                     bool hasChildren, LPARAM data);
  void Clear();
  void SetHasChildren(HTREEITEM item, bool hasChildren);
  void Expand(HTREEITEM item);
  void Collapse(HTREEITEM item);
  void Select(HTREEITEM item);
  HTREEITEM Selected();
  HTREEITEM FirstItem();
  // Children of one item (null: the top-level items) in the order compare gives, not recursive.
  void SortChildren(HTREEITEM parent, PFNTVCOMPARE compare, LPARAM data);
  LPARAM ItemData(HTREEITEM item);
  std::string ItemText(HTREEITEM item);
  bool ItemExpanded(HTREEITEM item);
  bool ItemRect(HTREEITEM item, RECT& rect, bool textOnly);
  // Item under a client point, with the TVHT_ flags of the part that was hit.
  HTREEITEM HitTest(POINT client, UINT* flags);
  // Redrawing is held off between these; they nest.
  void BeginUpdate();
  void EndUpdate();

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;
  void WndProc(TMessage& message) override;
  // False refuses the expansion.
  virtual bool CanExpand(HTREEITEM /*item*/) { return true; }
  virtual void Expanded(HTREEITEM /*item*/) {}
  virtual void Collapsed(HTREEITEM /*item*/) {}
  virtual void Change(HTREEITEM /*item*/) {}

 private:
  HIMAGELIST images_ = nullptr;
  bool hideSelection_ = true;
  int updating_ = 0;
};

class TTreeView : public TCustomTreeView {
  BREVLO_CLASS(TTreeView, TCustomTreeView)
 public:
  using TCustomTreeView::TCustomTreeView;
};

}  // namespace brevlo::ui
