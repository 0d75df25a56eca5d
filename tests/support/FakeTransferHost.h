#pragma once

// The lists, kind box and folders a transfer works on, held in plain vectors and texts, for
// tests of the transfer engine without a window.

#include <functional>
#include <string>
#include <vector>

#include "library/PaneFolders.h"
#include "operations/TransferEngine.h"

namespace brevlo::testing {

class FakeTransferHost : public operations::ITransferHost {
 public:
  struct Row {
    std::string caption;
    bool selected = false;
  };
  FakeTransferHost() { folders.SetPspDrive("G:\\"); }

  std::vector<Row> pc;
  std::vector<Row> psp;
  int kind = 0;
  library::PaneFolders folders;
  std::function<void()> onRefreshPc;
  std::function<void()> onRefreshPsp;

  std::vector<Row>& Of(operations::VideoListId list) {
    return list == operations::VideoListId::Pc ? pc : psp;
  }
  int RowCount(operations::VideoListId list) override { return static_cast<int>(Of(list).size()); }
  std::string RowCaption(operations::VideoListId list, int row) override {
    return Of(list)[static_cast<std::size_t>(row)].caption;
  }
  bool RowSelected(operations::VideoListId list, int row) override {
    return Of(list)[static_cast<std::size_t>(row)].selected;
  }
  int SelectedCount(operations::VideoListId list) override {
    int n = 0;
    for (const auto& r : Of(list)) n += r.selected ? 1 : 0;
    return n;
  }
  void SelectAll(operations::VideoListId list) override {
    for (auto& r : Of(list)) r.selected = true;
  }
  int KindIndex() override { return kind; }
  library::PaneFolders& Folders() override { return folders; }
  void ClickRefreshPc() override {
    if (onRefreshPc) onRefreshPc();
  }
  void ClickRefreshPsp() override {
    if (onRefreshPsp) onRefreshPsp();
  }
};

}  // namespace brevlo::testing
