#pragma once

// The drive and folder tree behind the directory tree combo: the computer, its drives and
// their folders, listed lazily, with the mapping between nodes and paths. A window that shows
// the tree mirrors it through IDirTreeView and reports the user's own expanding, collapsing
// and selecting back through the OnView... calls.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/ShellInfo.h"

namespace brevlo::dirtree {

// What the combo stores as its path when the computer itself is picked.
inline constexpr const char* ComputerPath = "Drives";

// MB_ICONWARNING, which the platform's dialog flags do not name.
inline constexpr unsigned WarningIcon = 0x30;

// Virtual key codes the combo's edit hands to HandleArrowKey.
enum ArrowKey : int { KeyLeft = 37, KeyUp = 38, KeyRight = 39, KeyDown = 40 };

enum class NodeKind { Computer, Drive, Folder };

class DirTreeModel;

class DirTreeNode {
 public:
  DirTreeNode(const DirTreeNode&) = delete;
  DirTreeNode& operator=(const DirTreeNode&) = delete;

  NodeKind Kind() const { return kind_; }
  bool IsComputer() const { return kind_ == NodeKind::Computer; }
  bool IsDrive() const { return kind_ == NodeKind::Drive; }
  const std::string& Caption() const { return caption_; }
  int ImageIndex() const { return imageIndex_; }
  int SelectedImageIndex() const { return selectedImageIndex_; }
  // Whether the view shows an expand button before the node is opened.
  bool HasChildren() const { return hasChildren_; }
  bool Expanded() const { return expanded_; }
  // True once the node's folders have been searched; they are never searched again.
  bool Listed() const { return listed_; }
  DirTreeNode* Parent() const { return parent_; }
  // 0 for a top-level node.
  int Level() const;
  std::size_t Count() const { return children_.size(); }
  DirTreeNode* Child(std::size_t i) const {
    return i < children_.size() ? children_[i].get() : nullptr;
  }
  DirTreeNode* FirstChild() const { return Child(0); }
  DirTreeNode* LastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
  // Position among its siblings.
  std::size_t Index() const { return index_; }
  // The path component the node matches: "C:\" for a drive, "Windows\" for a folder, empty
  // for the computer.
  std::string Key() const;

  // Free for the view, which keeps its own item for the node here.
  void* handle = nullptr;

 private:
  friend class DirTreeModel;
  DirTreeNode(NodeKind kind, std::string caption, DirTreeNode* parent)
      : kind_(kind), caption_(std::move(caption)), parent_(parent) {}

  NodeKind kind_;
  std::string caption_;
  int imageIndex_ = -1;
  int selectedImageIndex_ = -1;
  bool hasChildren_ = false;
  bool expanded_ = false;
  bool listed_ = false;
  DirTreeNode* parent_;
  std::size_t index_ = 0;
  std::vector<std::unique_ptr<DirTreeNode>> children_;
};

// The window that mirrors the model. Every call reports a change already made to the model.
class IDirTreeView {
 public:
  virtual ~IDirTreeView() = default;
  // Brackets around a batch of changes; they nest and are always closed.
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
  // Every node is gone, and so is the selection.
  virtual void Cleared() {}
  // The node was appended as the last child of its parent, or as the last top-level node.
  virtual void NodeAdded(DirTreeNode& /*node*/) {}
  // The node's has-children flag changed.
  virtual void NodeChanged(DirTreeNode& /*node*/) {}
  // The children of a node (nullptr: the top-level nodes) now stand in Index() order.
  virtual void ChildrenSorted(DirTreeNode* /*parent*/) {}
  virtual void NodeExpanded(DirTreeNode& /*node*/) {}
  virtual void NodeCollapsed(DirTreeNode& /*node*/) {}
  virtual void SelectionChanged(DirTreeNode* /*node*/) {}
};

struct DirTreeEnvironment {
  platform::IFileSystem& fs;
  platform::IDrives& drives;
  platform::IShellInfo& shell;
  platform::ILocale& locale;
  platform::IDialogs& dialogs;
  platform::IBeeper& beeper;
};

// " (C:)  " + the display name cut before its first "(": characters 3 and 4 are always the
// drive letter and the colon, which the path mapping relies on.
std::string DriveCaption(char letter, const std::string& displayName);
// "C:\"
std::string DriveRootPath(char letter);
// A folder entry other than "." and ".."; hidden and system folders count.
bool IsSubfolderEntry(const platform::DirEntry& entry);
bool HasSubfolder(const std::string& path, platform::IFileSystem& fs);
// Whether the drive's medium answers; with messages, a drive that does not beeps and warns.
bool IsDriveReady(char drive, bool withMessages, platform::IDrives& drives,
                  platform::IDialogs& dialogs, platform::IBeeper& beeper);

class DirTreeModel {
 public:
  struct Pick {
    DirTreeNode* node;
    std::string path;     // what SelectedPath now holds
    bool removableDrive;  // a removable drive, whose readiness the combo then tests
  };

  explicit DirTreeModel(const DirTreeEnvironment& env) : env_(env) {}
  ~DirTreeModel();
  DirTreeModel(const DirTreeModel&) = delete;
  DirTreeModel& operator=(const DirTreeModel&) = delete;

  // Not owned; nullptr detaches. The view is not told of nodes that exist already.
  void SetView(IDirTreeView* view) { view_ = view; }

  // The computer with one node per drive below it, or the drives alone at the top when the
  // shell cannot name the computer. The drive mask is read anew each time.
  void BuildDriveTree();
  // Clears the selection and all nodes and builds again; the paths stored stay.
  void ReloadTree();
  void Clear();

  std::size_t TopCount() const { return top_.size(); }
  DirTreeNode* Top(std::size_t i) const { return i < top_.size() ? top_[i].get() : nullptr; }
  DirTreeNode* FirstNode() const { return Top(0); }
  DirTreeNode* ComputerNode() const;
  DirTreeNode* Selected() const { return selected_; }

  // The handler for a node about to expand: searches its folders the first time only, then
  // sorts them. Expansion is always allowed.
  void ListSubfolders(DirTreeNode& node);
  // Lists, expands (not recursively) and sorts, as the view does when a node opens.
  void Expand(DirTreeNode& node);
  void Collapse(DirTreeNode& node, bool recursive);
  // Selects a node (nullptr clears), expanding its ancestors so that it can be seen.
  void Select(DirTreeNode* node);

  // The user acted in the view itself: the model follows without echoing to the view, except
  // for nodes that a listing adds or a sort moves.
  void OnViewExpanding(DirTreeNode& node) { ListSubfolders(node); }
  void OnViewExpanded(DirTreeNode& node);
  void OnViewCollapsed(DirTreeNode& node);
  void OnViewSelected(DirTreeNode* node);

  // "C:\" for a drive, "C:\Windows\System32" for a folder, empty for the computer and for
  // nullptr; the result also stays in NodePath.
  const std::string& PathOfNode(const DirTreeNode* node);
  const std::string& NodePath() const { return nodePath_; }
  // Walks a path ending in "\" from the computer down, case ignored, selecting and expanding
  // each node matched. Returns the last node matched, or nullptr when a component matches no
  // node (nodes matched before it stay selected and expanded).
  DirTreeNode* SelectPathNode(const std::string& path);

  const std::string& SelectedPath() const { return selectedPath_; }
  // Stores the path unless it equals the stored one, case ignored; true when stored.
  bool SetSelectedPath(const std::string& path);
  bool ExpandRoot() const { return expandRoot_; }
  // When set and the tree has a first node, that node is expanded.
  void SetExpandRoot(bool expand);

  // Takes the selected node's path as SelectedPath: "Drives" for the computer. Nothing
  // changes and nothing is returned without a selected node.
  std::optional<Pick> PickNode();
  // Makes the tree follow an existing folder: selects its node and stores the path with a
  // trailing "\". Returns the node, or nullptr when nothing changed.
  DirTreeNode* OpenPath(const std::string& path);
  // The combo's arrow keys; true when the key goes no further. Without a selected node,
  // nothing changes and the key goes on.
  bool HandleArrowKey(int key);

  bool IsDriveReady(char drive, bool withMessages) {
    return dirtree::IsDriveReady(drive, withMessages, env_.drives, env_.dialogs, env_.beeper);
  }

  // Neighbours as the tree view sees them; nullptr where there is none.
  DirTreeNode* NextSibling(const DirTreeNode& node) const;
  DirTreeNode* PreviousSibling(const DirTreeNode& node) const;
  // First child, else next sibling, else the next sibling of the nearest ancestor that has one.
  DirTreeNode* NextInTreeOrder(const DirTreeNode& node) const;
  // The rows below and above in the view; nullptr for a node hidden under a collapsed one.
  DirTreeNode* NextVisible(const DirTreeNode& node) const;
  DirTreeNode* PreviousVisible(const DirTreeNode& node) const;
  bool IsVisible(const DirTreeNode& node) const;

 private:
  class UpdateBracket;
  using NodeList = std::vector<std::unique_ptr<DirTreeNode>>;

  NodeList& SiblingsOf(const DirTreeNode& node);
  const NodeList& SiblingsOf(const DirTreeNode& node) const;
  DirTreeNode& Append(NodeList& list, std::unique_ptr<DirTreeNode> node);
  void AnnounceSubtree(DirTreeNode& node);
  // Orders children by caption; tells the view only when asked and the order changed.
  void SortChildren(NodeList& list, DirTreeNode* parent, bool tellView);
  bool CaptionBefore(const DirTreeNode& a, const DirTreeNode& b) const;
  void SetExpanded(DirTreeNode& node, bool expanded, bool tellView);
  void CollapseBelow(DirTreeNode& node, bool tellView);
  void MoveSelectionOutOf(DirTreeNode& collapsed, bool tellView);

  DirTreeEnvironment env_;
  IDirTreeView* view_ = nullptr;
  NodeList top_;
  DirTreeNode* selected_ = nullptr;
  std::string nodePath_;
  std::string selectedPath_;
  bool expandRoot_ = true;
};

}  // namespace brevlo::dirtree
