// Pictures of the videos without a thumbnail: made off the window's thread by one worker, put
// into their rows as they arrive; and "Make Thumbnails", which writes them as the PSP's own.
#include "app/win32/MainForm.h"

#include <windows.h>

#include "library/PspNaming.h"
#include "media/PictureWorker.h"
#include "operations/MakeThumbnails.h"
#include "operations/TransferEngine.h"
#include "operations/VideoPaths.h"

namespace brevlo::app {

namespace {
// Posted by the worker when pictures wait to be taken.
constexpr UINT PicturesReadyMessage = WM_APP + 0x31;
}  // namespace

void TMainForm::StartPictures() {
  if (!framePictures_) return;
  if (services_.pictures == nullptr) {
    ownPictures_ = std::make_unique<media::VideoPictures>();
    services_.pictures = ownPictures_.get();
  }
  HWND window = Handle();
  pictures_ = std::make_unique<media::PictureWorker>(
      *services_.pictures, [window] { PostMessageA(window, PicturesReadyMessage, 0, 0); });
}

void TMainForm::QueuePictures(int which, unsigned generation,
                              const std::vector<library::RowWithoutThumbnail>& rows) {
  if (!pictures_) return;
  ui::TListView* list = which == 0 ? ltvPC : ltvPSP;
  // The rows in view first, then the others in list order.
  const int top = list->TopIndex();
  const int end = top + std::max(list->RowsInView(), 1) + 1;
  std::vector<media::PictureJob> jobs;
  jobs.reserve(rows.size());
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& row : rows) {
      const bool inView = row.row >= top && row.row < end;
      if (inView == (pass == 0)) {
        jobs.push_back({which, generation, row.row, {row.path, row.size, row.modified}});
      }
    }
  }
  ApplyPictures(pictures_->Submit(which, std::move(jobs)));
}

void TMainForm::ApplyPictures(const std::vector<media::PictureDone>& done) {
  for (const auto& d : done) {
    const int which = d.job.list;
    if (which < 0 || which > 1 || d.job.generation != fillGeneration_[which]) continue;
    if (!d.picture || d.picture->empty()) continue;
    ui::TListView* list = which == 0 ? ltvPC : ltvPSP;
    ui::TImageList* images = which == 0 ? imlPC : imlPSP;
    // A row whose fill is still running, or that another fill replaced, is left alone.
    if (d.job.row >= list->Count() || list->Item(d.job.row).imageIndex != d.job.row) continue;
    platform::Thumbnail thumb(images->Width(), images->Height());
    if (!pictureDecoder_.Decode(d.picture->data(), d.picture->size(), thumb).ok) continue;
    if (!images->SetPixels24(d.job.row, thumb.bgr.data(), thumb.Stride())) {
      imgPreview->Picture.SetPixels24(thumb.width, thumb.height, thumb.bgr.data(), thumb.Stride());
      images->Replace(d.job.row, imgPreview->Picture.Handle());
    }
    list->RedrawRow(d.job.row);
  }
}

bool TMainForm::PicturesMessage(ui::TMessage& message) {
  if (message.Msg != PicturesReadyMessage) return false;
  if (pictures_) ApplyPictures(pictures_->TakeDone());
  message.Result = 0;
  return true;
}

std::size_t TMainForm::PicturesPending() const {
  return pictures_ ? pictures_->Pending() : 0;
}

std::vector<std::uint8_t> TMainForm::PictureOfFile(const std::string& path,
                                                   const std::function<bool()>& stop) {
  if (!pictures_) return {};
  media::PictureKey key{path, 0, 0};
  // The same file as a row of a list: its picture is made once.
  services_.fs->VisitDirectory(operations::FolderPartOf(path), operations::FileNamePartOf(path),
                               [&](const platform::DirEntry& e) {
                                 key.size = e.size;
                                 key.modified = e.modified;
                                 return false;
                               });
  const media::PictureBytes bytes = pictures_->PictureOf(key, stop);
  return bytes ? *bytes : std::vector<std::uint8_t>();
}

void TMainForm::MakeThumbnails2Click(ui::TObject*) {
  if (transferRunning_ || !pictures_ || folders_.PspDrive().empty()) return;
  const std::vector<std::string> selected = SelectedCaptions(ltvPSP);
  if (selected.empty()) return;
  const std::string folder = folders_.PspFolder();
  if (!operations::IsRootedFolder(folder)) return;
  operations::ThumbnailsReport report;
  {
    // No other operation starts while the pictures are made; the windows are served meanwhile.
    // The end of the program or of the session stops it within the picture in hand.
    operations::TransferStopFlag stop;
    const auto stopped = [&stop] { return stop.Stopped(); };
    transferRunning_ = true;
    thumbnailsStop_ = &stop;
    report = operations::MakeThumbnails(
        *services_.fs, folder, selected,
        [&](const std::string& video) {
          return platform::RunWhilePumping(*services_.pump,
                                           [&] { return PictureOfFile(video, stopped); });
        },
        stopped);
    thumbnailsStop_ = nullptr;
    transferRunning_ = false;
  }
  if (EndIfAsked()) return;
  btnRefreshPSP->Click();
  const std::string text = operations::ThumbnailsReportText(report);
  if (!text.empty()) {
    services_.dialogs->Show(text, operations::MakeThumbnailsCaption,
                            platform::MbOk | platform::MbIconInformation);
  }
}

}  // namespace brevlo::app
