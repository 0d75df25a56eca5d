#include "dirtree/DirTreeModel.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "library/PspNaming.h"

namespace brevlo::dirtree {

using library::WithTrailingBackslash;

namespace {

// The drive letter and colon that every drive caption carries at characters 3 and 4.
std::string DriveIdOf(const std::string& caption) {
  return caption.size() >= 4 ? caption.substr(2, 2) : std::string();
}

bool IsAncestor(const DirTreeNode& ancestor, const DirTreeNode* node) {
  for (; node != nullptr; node = node->Parent()) {
    if (node == &ancestor) return true;
  }
  return false;
}

}  // namespace

int DirTreeNode::Level() const {
  int level = 0;
  for (const DirTreeNode* p = parent_; p != nullptr; p = p->parent_) ++level;
  return level;
}

std::string DirTreeNode::Key() const {
  switch (kind_) {
    case NodeKind::Drive:
      return DriveIdOf(caption_) + "\\";
    case NodeKind::Folder:
      return caption_ + "\\";
    default:
      return {};
  }
}

std::string DriveCaption(char letter, const std::string& displayName) {
  const auto open = displayName.find('(');
  const std::string name = open == std::string::npos ? std::string() : displayName.substr(0, open);
  return std::string(" (") + letter + ":)  " + name;
}

std::string DriveRootPath(char letter) {
  return std::string(1, letter) + ":\\";
}

bool IsSubfolderEntry(const platform::DirEntry& entry) {
  return (entry.attributes & platform::AttrDirectory) != 0 && entry.name != "." &&
         entry.name != "..";
}

bool HasSubfolder(const std::string& path, platform::IFileSystem& fs) {
  // A folder of many files answers as soon as one subfolder turns up.
  bool found = false;
  fs.VisitDirectory(WithTrailingBackslash(path), "*", [&](const platform::DirEntry& entry) {
    found = IsSubfolderEntry(entry);
    return !found;
  });
  return found;
}

bool IsDriveReady(char drive, bool withMessages, platform::IDrives& drives,
                  platform::IDialogs& dialogs, platform::IBeeper& beeper) {
  if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 'a' + 'A');
  if (drive < 'A' || drive > 'Z') {
    dialogs.Show("Not a valid Drive ID", "Error", platform::MbOk | platform::MbIconError);
  }
  if (drives.HasMedium(DriveRootPath(drive))) return true;
  if (withMessages) {
    beeper.Beep(platform::MbIconError);  // MB_ICONHAND
    const std::string letter(1, drive);
    dialogs.Show("There is no disk in Drive " + letter + "\ror Drive " + letter + ": is not ready",
                 "Warning", platform::MbOk | WarningIcon);
  }
  return false;
}

// Keeps the view's update brackets balanced on every way out.
class DirTreeModel::UpdateBracket {
 public:
  explicit UpdateBracket(IDirTreeView* view) : view_(view) {
    if (view_ != nullptr) view_->BeginUpdate();
  }
  ~UpdateBracket() {
    if (view_ != nullptr) view_->EndUpdate();
  }
  UpdateBracket(const UpdateBracket&) = delete;
  UpdateBracket& operator=(const UpdateBracket&) = delete;

 private:
  IDirTreeView* view_;
};

DirTreeModel::~DirTreeModel() {
  view_ = nullptr;
  Clear();
}

void DirTreeModel::Clear() {
  selected_ = nullptr;
  // Last to first, so that no node outlives the list that holds it.
  while (!top_.empty()) top_.pop_back();
  if (view_ != nullptr) view_->Cleared();
}

void DirTreeModel::BuildDriveTree() {
  UpdateBracket bracket(view_);
  Clear();
  DirTreeNode* computer = nullptr;
  if (const auto folder = env_.shell.ComputerFolder()) {
    auto node = std::unique_ptr<DirTreeNode>(
        new DirTreeNode(NodeKind::Computer, folder->displayName, nullptr));
    node->imageIndex_ = folder->iconIndex;
    node->selectedImageIndex_ = folder->iconIndex;
    node->listed_ = true;  // its drives are its whole content
    computer = &Append(top_, std::move(node));
  }
  const std::uint32_t mask = env_.drives.LogicalDriveMask();
  for (int i = 0; i < 26; ++i) {
    if ((mask & (1u << i)) == 0) continue;
    const char letter = static_cast<char>('A' + i);
    const std::string root = DriveRootPath(letter);
    auto node = std::unique_ptr<DirTreeNode>(new DirTreeNode(
        NodeKind::Drive, DriveCaption(letter, env_.shell.DisplayName(root)), computer));
    node->hasChildren_ = true;  // no drive is searched, nor tested for media, before it opens
    node->imageIndex_ = env_.shell.SmallIcon(root);
    node->selectedImageIndex_ = env_.shell.SmallOpenIcon(root);
    Append(computer != nullptr ? computer->children_ : top_, std::move(node));
  }
  if (computer != nullptr) computer->hasChildren_ = !computer->children_.empty();
  for (auto& node : top_) AnnounceSubtree(*node);
}

void DirTreeModel::ReloadTree() {
  UpdateBracket bracket(view_);
  Select(nullptr);
  BuildDriveTree();
}

DirTreeNode* DirTreeModel::ComputerNode() const {
  DirTreeNode* first = FirstNode();
  return first != nullptr && first->IsComputer() ? first : nullptr;
}

DirTreeNode& DirTreeModel::Append(NodeList& list, std::unique_ptr<DirTreeNode> node) {
  node->index_ = list.size();
  list.push_back(std::move(node));
  return *list.back();
}

void DirTreeModel::AnnounceSubtree(DirTreeNode& node) {
  if (view_ == nullptr) return;
  view_->NodeAdded(node);
  for (auto& child : node.children_) AnnounceSubtree(*child);
}

void DirTreeModel::ListSubfolders(DirTreeNode& node) {
  if (node.listed_ || !node.children_.empty()) return;
  node.listed_ = true;
  const std::string folder = WithTrailingBackslash(PathOfNode(&node));
  // "*" is what the kernel makes of "*.*"; the portable listing takes patterns literally.
  for (const auto& entry : env_.fs.ListDirectory(folder, "*")) {
    if (!IsSubfolderEntry(entry)) continue;
    const std::string full = folder + entry.name;
    auto child = std::unique_ptr<DirTreeNode>(new DirTreeNode(NodeKind::Folder, entry.name, &node));
    child->hasChildren_ = HasSubfolder(full, env_.fs);
    child->imageIndex_ = env_.shell.SmallIcon(full);
    child->selectedImageIndex_ = env_.shell.SmallOpenIcon(full);
    Append(node.children_, std::move(child));
  }
  // Sorted before the view hears of them, so that it can simply append.
  SortChildren(node.children_, &node, false);
  for (auto& child : node.children_) AnnounceSubtree(*child);
  const bool hadChildren = node.hasChildren_;
  node.hasChildren_ = !node.children_.empty();
  if (view_ != nullptr && hadChildren != node.hasChildren_) view_->NodeChanged(node);
}

bool DirTreeModel::CaptionBefore(const DirTreeNode& a, const DirTreeNode& b) const {
  const int order = env_.locale.CompareIgnoreCase(a.caption_, b.caption_);
  if (order != 0) return order < 0;
  // Names equal but for case only meet on hosts that tell them apart: lower case first.
  const auto& x = a.caption_;
  const auto& y = b.caption_;
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
    if (x[i] == y[i]) continue;
    const bool xLower = std::islower(static_cast<unsigned char>(x[i])) != 0;
    const bool yLower = std::islower(static_cast<unsigned char>(y[i])) != 0;
    if (xLower != yLower) return xLower;
    return static_cast<unsigned char>(x[i]) < static_cast<unsigned char>(y[i]);
  }
  return x.size() < y.size();
}

void DirTreeModel::SortChildren(NodeList& list, DirTreeNode* parent, bool tellView) {
  std::stable_sort(list.begin(), list.end(),
                   [this](const auto& a, const auto& b) { return CaptionBefore(*a, *b); });
  bool moved = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    moved = moved || list[i]->index_ != i;
    list[i]->index_ = i;
  }
  if (moved && tellView && view_ != nullptr) view_->ChildrenSorted(parent);
}

void DirTreeModel::SetExpanded(DirTreeNode& node, bool expanded, bool tellView) {
  if (node.expanded_ == expanded) return;
  node.expanded_ = expanded;
  if (!tellView || view_ == nullptr) return;
  if (expanded) {
    view_->NodeExpanded(node);
  } else {
    view_->NodeCollapsed(node);
  }
}

void DirTreeModel::Expand(DirTreeNode& node) {
  UpdateBracket bracket(view_);
  ListSubfolders(node);
  // A node without children has nothing to open, as the tree view sees it.
  if (node.children_.empty()) return;
  SetExpanded(node, true, true);
  SortChildren(node.children_, &node, true);
}

void DirTreeModel::OnViewExpanded(DirTreeNode& node) {
  if (node.children_.empty()) return;
  UpdateBracket bracket(view_);
  SetExpanded(node, true, false);
  SortChildren(node.children_, &node, true);
}

void DirTreeModel::CollapseBelow(DirTreeNode& node, bool tellView) {
  for (auto& child : node.children_) {
    SetExpanded(*child, false, tellView);
    CollapseBelow(*child, tellView);
  }
}

void DirTreeModel::MoveSelectionOutOf(DirTreeNode& collapsed, bool tellView) {
  // The tree view moves a selection hidden by a collapse up to the collapsed node.
  if (selected_ == nullptr || selected_ == &collapsed || !IsAncestor(collapsed, selected_)) {
    return;
  }
  selected_ = &collapsed;
  if (tellView && view_ != nullptr) view_->SelectionChanged(selected_);
}

void DirTreeModel::Collapse(DirTreeNode& node, bool recursive) {
  SetExpanded(node, false, true);
  if (recursive) CollapseBelow(node, true);
  MoveSelectionOutOf(node, true);
}

void DirTreeModel::OnViewCollapsed(DirTreeNode& node) {
  SetExpanded(node, false, false);
  MoveSelectionOutOf(node, false);
}

void DirTreeModel::Select(DirTreeNode* node) {
  if (node != nullptr) {
    std::vector<DirTreeNode*> hidden;
    for (DirTreeNode* p = node->parent_; p != nullptr; p = p->parent_) {
      if (!p->expanded_) hidden.push_back(p);
    }
    // Outermost first, as the view opens them.
    for (auto it = hidden.rbegin(); it != hidden.rend(); ++it) Expand(**it);
  }
  if (selected_ == node) return;
  selected_ = node;
  if (view_ != nullptr) view_->SelectionChanged(node);
}

void DirTreeModel::OnViewSelected(DirTreeNode* node) {
  selected_ = node;
}

const std::string& DirTreeModel::PathOfNode(const DirTreeNode* node) {
  nodePath_.clear();
  for (; node != nullptr; node = node->parent_) {
    switch (node->kind_) {
      case NodeKind::Folder:
        nodePath_ = nodePath_.empty() ? node->caption_ : node->caption_ + "\\" + nodePath_;
        break;
      case NodeKind::Drive:
        nodePath_ = DriveIdOf(node->caption_) + "\\" + nodePath_;
        break;
      case NodeKind::Computer:
        break;
    }
  }
  return nodePath_;
}

DirTreeNode* DirTreeModel::SelectPathNode(const std::string& path) {
  if (top_.empty()) return nullptr;
  UpdateBracket bracket(view_);
  DirTreeNode* current = ComputerNode();
  if (current != nullptr && current->expanded_) Collapse(*current, true);
  std::string rest = path;
  for (auto slash = rest.find('\\'); slash != std::string::npos; slash = rest.find('\\')) {
    const std::string component = rest.substr(0, slash + 1);
    rest.erase(0, slash + 1);
    // Without a computer node the drives themselves stand at the top.
    const NodeList& candidates = current != nullptr ? current->children_ : top_;
    DirTreeNode* match = nullptr;
    for (const auto& child : candidates) {
      if (env_.locale.CompareIgnoreCase(child->Key(), component) == 0) {
        match = child.get();
        break;
      }
    }
    if (match == nullptr) return nullptr;
    Select(match);
    Expand(*match);
    current = match;
  }
  return current;
}

bool DirTreeModel::SetSelectedPath(const std::string& path) {
  if (env_.locale.CompareIgnoreCase(path, selectedPath_) == 0) return false;
  selectedPath_ = path;
  return true;
}

void DirTreeModel::SetExpandRoot(bool expand) {
  expandRoot_ = expand;
  if (expand && FirstNode() != nullptr) Expand(*FirstNode());
}

std::optional<DirTreeModel::Pick> DirTreeModel::PickNode() {
  if (selected_ == nullptr) return std::nullopt;
  const std::string& path = PathOfNode(selected_);
  selectedPath_ = selected_->IsComputer() ? std::string(ComputerPath) : path;
  const bool removable =
      selected_->IsDrive() && env_.drives.TypeOf(selectedPath_) == platform::DriveType::Removable;
  return Pick{selected_, selectedPath_, removable};
}

DirTreeNode* DirTreeModel::OpenPath(const std::string& path) {
  if (path.size() <= 1 || !env_.fs.DirectoryExists(path)) return nullptr;
  const std::string full = WithTrailingBackslash(path);
  DirTreeNode* node = SelectPathNode(full);
  if (node == nullptr) return nullptr;
  SetSelectedPath(full);
  return node;
}

bool DirTreeModel::HandleArrowKey(int key) {
  DirTreeNode* node = selected_;
  if (node == nullptr) return false;
  DirTreeNode* first = FirstNode();
  switch (key) {
    case KeyLeft: {
      if (node->expanded_) Collapse(*node, true);
      DirTreeNode* previous = PreviousVisible(*node);
      if (first == PreviousSibling(*node) || first == previous) return true;
      if (node == first) return true;
      if (previous != nullptr) Select(previous);
      return false;
    }
    case KeyUp: {
      if (node == first) return true;
      if (DirTreeNode* previous = PreviousVisible(*node)) Select(previous);
      return false;
    }
    case KeyRight:
      Expand(*node);
      return false;
    case KeyDown: {
      DirTreeNode* next = NextInTreeOrder(*node);
      DirTreeNode* below = NextVisible(*node);
      if (next == nullptr || below == nullptr) return true;
      Select(node->expanded_ ? next : below);
      return false;
    }
    default:
      return false;
  }
}

DirTreeModel::NodeList& DirTreeModel::SiblingsOf(const DirTreeNode& node) {
  return node.parent_ != nullptr ? node.parent_->children_ : top_;
}

const DirTreeModel::NodeList& DirTreeModel::SiblingsOf(const DirTreeNode& node) const {
  return node.parent_ != nullptr ? node.parent_->children_ : top_;
}

DirTreeNode* DirTreeModel::NextSibling(const DirTreeNode& node) const {
  const NodeList& list = SiblingsOf(node);
  return node.index_ + 1 < list.size() ? list[node.index_ + 1].get() : nullptr;
}

DirTreeNode* DirTreeModel::PreviousSibling(const DirTreeNode& node) const {
  return node.index_ > 0 ? SiblingsOf(node)[node.index_ - 1].get() : nullptr;
}

DirTreeNode* DirTreeModel::NextInTreeOrder(const DirTreeNode& node) const {
  if (!node.children_.empty()) return node.children_.front().get();
  for (const DirTreeNode* n = &node; n != nullptr; n = n->parent_) {
    if (DirTreeNode* next = NextSibling(*n)) return next;
  }
  return nullptr;
}

bool DirTreeModel::IsVisible(const DirTreeNode& node) const {
  for (const DirTreeNode* p = node.parent_; p != nullptr; p = p->parent_) {
    if (!p->expanded_) return false;
  }
  return true;
}

DirTreeNode* DirTreeModel::NextVisible(const DirTreeNode& node) const {
  if (!IsVisible(node)) return nullptr;
  if (node.expanded_ && !node.children_.empty()) return node.children_.front().get();
  for (const DirTreeNode* n = &node; n != nullptr; n = n->parent_) {
    if (DirTreeNode* next = NextSibling(*n)) return next;
  }
  return nullptr;
}

DirTreeNode* DirTreeModel::PreviousVisible(const DirTreeNode& node) const {
  if (!IsVisible(node)) return nullptr;
  DirTreeNode* previous = PreviousSibling(node);
  if (previous == nullptr) return node.parent_;
  while (previous->expanded_ && !previous->children_.empty()) {
    previous = previous->children_.back().get();
  }
  return previous;
}

}  // namespace brevlo::dirtree
