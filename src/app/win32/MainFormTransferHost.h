#pragma once

// The main window as the transfer engine's host: its lists, kind box, folders and refresh
// buttons, seen through the engine's interface.

#include <memory>

#include "app/VideoConverter.h"
#include "app/win32/MainForm.h"
#include "operations/TransferEngine.h"
#include "operations/win32/TransferForm.h"

namespace brevlo::app {

class TMainForm::TransferHost : public operations::ITransferHost {
 public:
  explicit TransferHost(TMainForm& form) : form_(form) {}

  int RowCount(operations::VideoListId list) override { return List(list)->Count(); }
  std::string RowCaption(operations::VideoListId list, int row) override {
    return List(list)->Item(row).caption;
  }
  bool RowSelected(operations::VideoListId list, int row) override {
    return List(list)->Selected(row);
  }
  int SelectedCount(operations::VideoListId list) override { return List(list)->SelCount(); }
  void SelectAll(operations::VideoListId list) override {
    ui::TListView* view = List(list);
    for (int i = 0; i < view->Count(); ++i) view->SetSelected(i, true);
  }
  int KindIndex() override { return form_.cmbType->ItemIndex(); }
  library::PaneFolders& Folders() override { return form_.folders_; }
  void ClickRefreshPc() override { ClickAsTransfer(form_.btnRefreshPC); }
  void ClickRefreshPsp() override { ClickAsTransfer(form_.btnRefreshPSP); }

  operations::TransferEngine& Engine() {
    if (!engine_) {
      operations::TransferEnvironment env{*form_.services_.fs,   *form_.services_.dialogs,
                                          *form_.services_.pump, *this,
                                          *TransferForm,         form_.values_.AppFolder,
                                          form_.pspTitles_,      form_.TitleEncoder()};
      if (form_.framePictures_) {
        env.pictureOf = [this](const std::string& video) { return form_.PictureOfFile(video); };
      }
      env.converter = form_.converter_.get();
      engine_ = std::make_unique<operations::TransferEngine>(env);
    }
    return *engine_;
  }

 private:
  // The refresh buttons take no click of the user's while a transfer runs, only its own.
  void ClickAsTransfer(ui::TButton* button) {
    form_.transferRefresh_ = true;
    button->Click();
    form_.transferRefresh_ = false;
  }
  ui::TListView* List(operations::VideoListId list) {
    return list == operations::VideoListId::Pc ? form_.ltvPC : form_.ltvPSP;
  }
  TMainForm& form_;
  std::unique_ptr<operations::TransferEngine> engine_;
};

}  // namespace brevlo::app
