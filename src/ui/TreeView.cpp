#include "ui/TreeView.h"

#include <vector>

namespace brevlo::ui {

TCustomTreeView::TCustomTreeView(TComponent* owner) : TWinControl(owner) {
  Color = clWindow;
  ParentColor = false;
}

void TCustomTreeView::CreateParamsFor(CreateParams& params) {
  TWinControl::CreateParamsFor(params);
  params.className = WC_TREEVIEWA;
  params.style |= WS_TABSTOP | (ShowButtons ? TVS_HASBUTTONS : 0) | (ShowLines ? TVS_HASLINES : 0) |
                  (ShowRoot ? TVS_LINESATROOT : 0) | (ReadOnly ? 0 : TVS_EDITLABELS) |
                  (hideSelection_ ? 0 : TVS_SHOWSELALWAYS);
  params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomTreeView::AfterCreate() {
  if (images_ != nullptr) {
    SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images_));
  }
}

void TCustomTreeView::SetHideSelection(bool hide) {
  hideSelection_ = hide;
  if (!HandleAllocated()) return;
  LONG_PTR style = GetWindowLongPtrA(Handle(), GWL_STYLE);
  style = hide ? (style & ~static_cast<LONG_PTR>(TVS_SHOWSELALWAYS)) : (style | TVS_SHOWSELALWAYS);
  SetWindowLongPtrA(Handle(), GWL_STYLE, style);
  Invalidate();
}

void TCustomTreeView::SetImages(HIMAGELIST images) {
  images_ = images;
  if (HandleAllocated()) {
    SendMessageA(Handle(), TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  }
}

HTREEITEM TCustomTreeView::AddChild(HTREEITEM parent, const std::string& text, int image,
                                    int selectedImage, bool hasChildren, LPARAM data) {
  if (!HandleAllocated()) return nullptr;
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent != nullptr ? parent : TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.iImage = image;
  insert.item.iSelectedImage = selectedImage;
  insert.item.cChildren = hasChildren ? 1 : 0;
  insert.item.lParam = data;
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TCustomTreeView::Clear() {
  if (HandleAllocated()) {
    SendMessageA(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
  }
}

void TCustomTreeView::SetHasChildren(HTREEITEM item, bool hasChildren) {
  if (!HandleAllocated() || item == nullptr) return;
  TVITEMA tvi{};
  tvi.mask = TVIF_CHILDREN | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.cChildren = hasChildren ? 1 : 0;
  SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tvi));
}

void TCustomTreeView::Expand(HTREEITEM item) {
  if (HandleAllocated() && item != nullptr) {
    SendMessageA(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
  }
}

void TCustomTreeView::Collapse(HTREEITEM item) {
  if (HandleAllocated() && item != nullptr) {
    SendMessageA(Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
  }
}

void TCustomTreeView::Select(HTREEITEM item) {
  if (HandleAllocated()) {
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
  }
}

HTREEITEM TCustomTreeView::Selected() {
  if (!HandleAllocated()) return nullptr;
  return reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
}

HTREEITEM TCustomTreeView::FirstItem() {
  if (!HandleAllocated()) return nullptr;
  return reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_GETNEXTITEM, TVGN_ROOT, 0));
}

void TCustomTreeView::SortChildren(HTREEITEM parent, PFNTVCOMPARE compare, LPARAM data) {
  if (!HandleAllocated()) return;
  TVSORTCB sort{};
  sort.hParent = parent != nullptr ? parent : TVI_ROOT;
  sort.lpfnCompare = compare;
  sort.lParam = data;
  SendMessageA(Handle(), TVM_SORTCHILDRENCB, FALSE, reinterpret_cast<LPARAM>(&sort));
}

LPARAM TCustomTreeView::ItemData(HTREEITEM item) {
  if (!HandleAllocated() || item == nullptr) return 0;
  TVITEMA tvi{};
  tvi.mask = TVIF_PARAM | TVIF_HANDLE;
  tvi.hItem = item;
  if (!SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi))) return 0;
  return tvi.lParam;
}

std::string TCustomTreeView::ItemText(HTREEITEM item) {
  if (!HandleAllocated() || item == nullptr) return {};
  std::vector<char> buffer(1024, '\0');
  TVITEMA tvi{};
  tvi.mask = TVIF_TEXT | TVIF_HANDLE;
  tvi.hItem = item;
  tvi.pszText = buffer.data();
  tvi.cchTextMax = static_cast<int>(buffer.size());
  if (!SendMessageA(Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tvi))) return {};
  return tvi.pszText;
}

bool TCustomTreeView::ItemExpanded(HTREEITEM item) {
  if (!HandleAllocated() || item == nullptr) return false;
  const LRESULT state =
      SendMessageA(Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED);
  return (state & TVIS_EXPANDED) != 0;
}

bool TCustomTreeView::ItemRect(HTREEITEM item, RECT& rect, bool textOnly) {
  if (!HandleAllocated() || item == nullptr) return false;
  // The item goes in through the rectangle itself.
  *reinterpret_cast<HTREEITEM*>(&rect) = item;
  return SendMessageA(Handle(), TVM_GETITEMRECT, textOnly ? TRUE : FALSE,
                      reinterpret_cast<LPARAM>(&rect)) != 0;
}

HTREEITEM TCustomTreeView::HitTest(POINT client, UINT* flags) {
  TVHITTESTINFO info{};
  info.pt = client;
  HTREEITEM item = nullptr;
  if (HandleAllocated()) {
    item = reinterpret_cast<HTREEITEM>(
        SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)));
  }
  if (flags != nullptr) *flags = item != nullptr ? info.flags : TVHT_NOWHERE;
  return item;
}

void TCustomTreeView::BeginUpdate() {
  if (updating_++ == 0 && HandleAllocated()) SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TCustomTreeView::EndUpdate() {
  if (updating_ == 0) return;
  if (--updating_ == 0 && HandleAllocated()) {
    SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

void TCustomTreeView::WndProc(TMessage& message) {
  if (message.Msg != CN_NOTIFY) {
    TWinControl::WndProc(message);
    return;
  }
  // The parent chooses 8-bit or wide notifications; the fields used here sit alike in both.
  const auto* header = reinterpret_cast<const NMHDR*>(message.LParam);
  const auto* tree = reinterpret_cast<const NMTREEVIEWA*>(message.LParam);
  message.Result = 0;
  switch (header->code) {
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW:
      if ((tree->action & TVE_EXPAND) != 0 && !CanExpand(tree->itemNew.hItem)) {
        message.Result = TRUE;
      }
      return;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
      if ((tree->action & TVE_EXPAND) != 0) {
        Expanded(tree->itemNew.hItem);
      } else if ((tree->action & TVE_COLLAPSE) != 0) {
        Collapsed(tree->itemNew.hItem);
      }
      return;
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      Change(tree->itemNew.hItem);
      return;
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW:
      message.Result = ReadOnly ? TRUE : FALSE;
      return;
    default:
      return;
  }
}

}  // namespace brevlo::ui
