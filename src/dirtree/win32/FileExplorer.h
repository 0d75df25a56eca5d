#pragma once

// The directory tree combo: a read-only edit that shows a drive or folder with its icon, and a
// button that drops down the tree of the computer's drives and folders below (or above) it.

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "dirtree/DirTreeModel.h"
#include "ui/StdCtrls.h"
#include "ui/TreeView.h"

namespace brevlo::dirtree {

using TPathChangeEvent = std::function<void(ui::TObject* sender, std::string selectedPath)>;

class TDirTreeCombo;

// The file list a combo can lead. Nothing in the program makes one, so only the combo's side
// of the link exists.
class TFileListView {
 public:
  virtual ~TFileListView() = default;
  virtual void SetDirectory(const std::string& directory) = 0;
  virtual void Refill() = 0;
};

// The drop-down button: a speed button that also swallows right-button releases.
class TDirTreeButton : public ui::TSpeedButton {
  BREVLO_CLASS(TDirTreeButton, ui::TSpeedButton)
 public:
  using ui::TSpeedButton::TSpeedButton;
  ~TDirTreeButton() override;
  HBITMAP Glyph() const override { return glyph_; }
  // Copied; the caller keeps its bitmap. Null is ignored.
  void SetGlyph(HBITMAP glyph);
  // Takes the bitmap over.
  void AdoptGlyph(HBITMAP glyph);

 protected:
  void WndProc(ui::TMessage& message) override;
  void Paint(ui::TCanvas& canvas) override;

 private:
  HBITMAP glyph_ = nullptr;
  bool pressed_ = false;
};

// The floating tree of the drop-down. It mirrors the model, which holds the nodes, the paths
// and the ExpandRoot flag.
class TDirTreeView : public ui::TCustomTreeView, private IDirTreeView {
  BREVLO_CLASS(TDirTreeView, ui::TCustomTreeView)
 public:
  TDirTreeView(TDirTreeCombo* combo, const DirTreeEnvironment& env);
  ~TDirTreeView() override;

  DirTreeModel& Model() { return *model_; }
  bool MouseInside() const { return mouseInside_; }
  // The tree's row of a node, or null.
  static HTREEITEM ItemOf(const DirTreeNode* node) {
    return node != nullptr ? static_cast<HTREEITEM>(node->handle) : nullptr;
  }
  DirTreeNode* NodeOf(HTREEITEM item);
  // The window goes; the nodes stay for the next one.
  void ReleaseWindow();

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;
  void WndProc(ui::TMessage& message) override;
  bool CanExpand(HTREEITEM item) override;
  void Expanded(HTREEITEM item) override;
  void Collapsed(HTREEITEM item) override;
  void Change(HTREEITEM item) override;

 private:
  // IDirTreeView: the model's changes, copied into the window.
  void BeginUpdate() override;
  void EndUpdate() override;
  void Cleared() override;
  void NodeAdded(DirTreeNode& node) override;
  void NodeChanged(DirTreeNode& node) override;
  void ChildrenSorted(DirTreeNode* parent) override;
  void NodeExpanded(DirTreeNode& node) override;
  void NodeCollapsed(DirTreeNode& node) override;
  void SelectionChanged(DirTreeNode* node) override;

  void MouseMove(ui::TMessage& message);
  void LeftButtonDown(ui::TMessage& message);
  void MouseLeave();
  void TrackLeave();

  TDirTreeCombo* combo_;
  std::unique_ptr<DirTreeModel> model_;
  bool mouseInside_ = false;
  // Above zero while the window is told of the model's own changes; its echoes are ignored.
  int mirroring_ = 0;
};

class TDirTreeCombo : public ui::TCustomEdit {
  BREVLO_CLASS(TDirTreeCombo, ui::TCustomEdit)
 public:
  // Over the shell, the kernel and the application's message boxes.
  explicit TDirTreeCombo(ui::TComponent* owner);
  // Over the given ports; they must outlive the control.
  TDirTreeCombo(ui::TComponent* owner, const DirTreeEnvironment& env);
  ~TDirTreeCombo() override;

  TDirTreeButton* Btn;
  TDirTreeView* Tree;

  const std::string& SelectedPath() const;
  // Stores the path unless only its case differs; neither the tree, the edit nor
  // OnPathChange hear of it.
  void SetSelectedPath(const std::string& path);
  TFileListView* FileList() const { return fileList_; }
  void SetFileList(TFileListView* list);
  bool ExpandRoot() const;
  void SetExpandRoot(bool expand);
  bool HideSelection() const;
  void SetHideSelection(bool hide);
  std::string About() const { return "Version 2.8.7.0"; }
  void SetAbout(const std::string& /*ignored*/) {}
  HBITMAP Glyph() const;
  void SetGlyph(HBITMAP glyph);
  int TreeHeight() const;
  void SetTreeHeight(int height);
  bool GetReadOnly() const { return ReadOnly; }
  void SetReadOnly(bool readOnly);
  int EditImageIndex() const { return editImageIndex_; }
  HIMAGELIST SmallIcons() const { return smallIcons_; }
  bool DroppedDown() const;

  void SetBounds(int left, int top, int width, int height) override;
  void ToggleDropDown();
  // From a click in the drop-down (sender Tree) or Enter (sender the combo). False when a
  // removable drive without a medium stopped it.
  bool PickNode(ui::TObject* sender);
  // Makes the tree and the edit follow an existing folder, and tells OnPathChange.
  void OpenPath(const std::string& path);
  // Lists the drives anew; the path, the edit text and its icon stay.
  void ReloadTree();
  // A new window, as a change of window style would make; the tree is built again.
  void RecreateWnd();

  TPathChangeEvent OnPathChange;

 protected:
  void CreateParamsFor(CreateParams& params) override;
  void AfterCreate() override;
  void WndProc(ui::TMessage& message) override;

 private:
  friend class TDirTreeView;
  void Init();
  void SetEditRect();
  void ShowInEdit(int imageIndex, const std::string& caption);
  // Disabled and hidden, the capture given up; to the back when asked.
  void CloseDropDown(bool toBack);
  // True when the key goes no further.
  bool KeyDown(WORD key);
  void Paint();
  void ButtonClicked();

  DirTreeEnvironment env_;
  TFileListView* fileList_ = nullptr;
  HIMAGELIST smallIcons_ = nullptr;
  int editImageIndex_ = -1;
  bool inMouseUp_ = false;
  bool toggleAfterMouseUp_ = false;
};

}  // namespace brevlo::dirtree
