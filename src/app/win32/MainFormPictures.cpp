// The rows' pictures: their thumbnails read and the pictures of videos without one made off the
// window's thread by one worker, for the rows on screen first and then those near them, kept in a
// few hundred places of each list's image list; and "Make Thumbnails", which writes pictures as
// the PSP's own thumbnails.
#include "app/win32/MainForm.h"

#include <windows.h>

#include <algorithm>

#include "library/PspNaming.h"
#include "media/PictureWorker.h"
#include "operations/MakeThumbnails.h"
#include "operations/TransferEngine.h"
#include "operations/VideoPaths.h"
#include "platform/win32/Win32Platform.h"

namespace brevlo::app {

namespace {
// Posted by the worker when pictures wait to be taken.
constexpr UINT PicturesReadyMessage = WM_APP + 0x31;
// Posted to itself when rows that were drawn want pictures; wParam: the list.
constexpr UINT PicturesWantedMessage = WM_APP + 0x32;
// Pages of rows below the view read ahead, and above it kept.
constexpr int PagesAhead = 3;
constexpr int PagesBehind = 1;
}  // namespace

void TMainForm::StartPictures() {
  if (framePictures_ && services_.pictures == nullptr) {
    ownPictures_ = std::make_unique<media::VideoPictures>();
    services_.pictures = ownPictures_.get();
  }
  HWND window = Handle();
  // The worker's reads go past the services the window's thread uses: a file adapter that
  // serves the windows while it waits is for that thread alone.
  auto files = std::make_shared<platform::Win32FileSystem>();
  pictures_ = std::make_unique<media::PictureWorker>(
      framePictures_ ? services_.pictures : nullptr,
      [window] { PostMessageA(window, PicturesReadyMessage, 0, 0); },
      [files](const std::string& path, std::vector<std::uint8_t>& out) {
        return files->ReadFile(path, out, platform::MaxJpegBytes);
      });
}

// The two fixed places: the default thumbnail and a blank for a picture on its way. The default
// is read once per fill, as the folder may have a new one.
void TMainForm::PreparePlaces(int which) {
  ui::TImageList* images = which == 0 ? imlPC : imlPSP;
  library::RowPictures& rows = *rowPictures_[which];
  if (images->Count() != rows.Places()) images->SetCount(rows.Places());
  platform::Thumbnail blank(images->Width(), images->Height());
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  for (std::size_t i = 0; i + 2 < blank.bgr.size(); i += 3) {
    blank.bgr[i] = GetBValue(window);
    blank.bgr[i + 1] = GetGValue(window);
    blank.bgr[i + 2] = GetRValue(window);
  }
  PutPicture(images, library::RowPictures::BlankPlace, blank);
  platform::Thumbnail picture(images->Width(), images->Height());
  std::vector<std::uint8_t> bytes;
  bool ok = false;
  if (services_.fs->ReadFile(values_.AppFolder + library::DefaultThumbnailName, bytes,
                             platform::MaxJpegBytes)) {
    const auto result = pictureDecoder_.Decode(bytes.data(), bytes.size(), picture);
    ok = result.ok;
    if (!ok && jpegError_[which] == 0) jpegError_[which] = result.errorCode;
  }
  if (!ok) std::fill(picture.bgr.begin(), picture.bgr.end(), 0xC0);
  PutPicture(images, library::RowPictures::DefaultPlace, picture);
}

void TMainForm::PutPicture(ui::TImageList* images, int place, const platform::Thumbnail& picture) {
  if (picture.width != images->Width() || picture.height != images->Height()) return;
  if (!images->SetPixels24(place, picture.bgr.data(), picture.Stride())) {
    imgPreview->Picture.SetPixels24(picture.width, picture.height, picture.bgr.data(),
                                    picture.Stride());
    images->Replace(place, imgPreview->Picture.Handle());
  }
}

// The rows on screen when a fill ends are read here and now, a handful of small files, so that
// the list is first drawn whole; their broken thumbnails are reported with the fill.
void TMainForm::ShowFirstPictures(int which) {
  ui::TListView* list = which == 0 ? ltvPC : ltvPSP;
  ui::TImageList* images = which == 0 ? imlPC : imlPSP;
  library::RowPictures& rows = *rowPictures_[which];
  PreparePlaces(which);
  const int top = list->TopIndex();
  const int end = std::min(rows.Rows(), top + std::max(list->RowsInView(), 1) + 1);
  std::vector<std::uint8_t> bytes;
  platform::Thumbnail picture(images->Width(), images->Height());
  for (int row = top; row < end; ++row) {
    const library::ListedVideo& video = rows.Row(row);
    if (video.thumbnail.empty()) continue;
    if (!services_.fs->ReadFile(pictureFolder_[which] + video.thumbnail, bytes,
                                platform::MaxJpegBytes)) {
      continue;
    }
    const auto result = pictureDecoder_.Decode(bytes.data(), bytes.size(), picture);
    if (result.ok) {
      PutPicture(images, rows.Take(row), picture);
    } else {
      if (jpegError_[which] == 0) jpegError_[which] = result.errorCode;
      // A thumbnail that cannot be shown is none: the video's own picture may follow.
      if (!framePictures_) rows.SetNone(row);
    }
  }
  AskPictures(which);
}

int TMainForm::RowImage(int which, int row) {
  library::RowPictures& rows = *rowPictures_[which];
  const int place = rows.PlaceFor(row);
  // A row outside the rows last asked for: the view moved, and so do the rows read ahead.
  if (row < asked_[which][0] || row >= asked_[which][1]) WantPictures(which);
  return place;
}

void TMainForm::WantPictures(int which) {
  if (wanted_[which] || !HandleAllocated()) return;
  wanted_[which] = true;
  PostMessageA(Handle(), PicturesWantedMessage, static_cast<WPARAM>(which), 0);
}

// Hands the worker the rows that want pictures: those on screen, then those near them, each
// time those with thumbnails first, as they come quickly.
void TMainForm::AskPictures(int which) {
  wanted_[which] = false;
  if (!pictures_) return;
  ui::TListView* list = which == 0 ? ltvPC : ltvPSP;
  ui::TImageList* images = which == 0 ? imlPC : imlPSP;
  library::RowPictures& rows = *rowPictures_[which];
  const int count = rows.Rows();
  const int page = std::max(list->RowsInView(), 1);
  const int top = std::clamp(list->TopIndex(), 0, std::max(count - 1, 0));
  const int end = std::min(count, top + page + 1);
  asked_[which][0] = top;
  asked_[which][1] = end;
  const int reach = (rows.Places() - 2) / 2;
  const int ahead = std::min(count, std::min(end + PagesAhead * page, end + reach));
  const int behind = std::max(0, top - PagesBehind * page);
  const bool frames = framePictures_ && services_.pictures != nullptr;
  std::vector<media::PictureJob> jobs;
  auto add = [&](int first, int last, bool thumbnails) {
    for (int row = first; row < last; ++row) {
      if (!rows.Wanted(row)) continue;
      const library::ListedVideo& video = rows.Row(row);
      if (video.thumbnail.empty() != !thumbnails) continue;
      if (video.thumbnail.empty() && !frames) {
        rows.SetNone(row);
        continue;
      }
      media::PictureJob job;
      job.list = which;
      job.generation = fillGeneration_[which];
      job.row = row;
      job.file = {pictureFolder_[which] + video.name, video.size, video.modified};
      if (!video.thumbnail.empty()) job.thumbnail = pictureFolder_[which] + video.thumbnail;
      job.frame = frames;
      job.width = images->Width();
      job.height = images->Height();
      jobs.push_back(std::move(job));
    }
  };
  for (const bool thumbnails : {true, false}) add(top, end, thumbnails);
  for (const bool thumbnails : {true, false}) {
    add(end, ahead, thumbnails);
    add(behind, top, thumbnails);
  }
  pictures_->Submit(which, std::move(jobs));
}

void TMainForm::ApplyPictures(const std::vector<media::PictureDone>& done) {
  int error[2] = {0, 0};
  for (const auto& d : done) {
    const int which = d.job.list;
    if (which < 0 || which > 1 || d.job.generation != fillGeneration_[which]) continue;
    library::RowPictures& rows = *rowPictures_[which];
    const int row = d.job.row;
    if (row >= rows.Rows()) continue;
    ui::TListView* list = which == 0 ? ltvPC : ltvPSP;
    ui::TImageList* images = which == 0 ? imlPC : imlPSP;
    if (d.jpegError != 0 && error[which] == 0) error[which] = d.jpegError;
    if (d.source == media::PictureSource::None) {
      rows.SetNone(row);
    } else if (d.pixels.width == images->Width() && d.pixels.height == images->Height()) {
      int evicted = -1;
      PutPicture(images, rows.Take(row, &evicted), d.pixels);
      // The row that had this place shows the blank until it is read again.
      if (evicted >= 0) list->RedrawRow(evicted);
    }
    list->RedrawRow(row);
  }
  for (int which = 0; which < 2; ++which) {
    if (error[which] == 0 || jpegReported_[which] || transferRunning_) continue;
    jpegReported_[which] = true;
    services_.dialogs->ShowError(platform::JpegErrorText(error[which]));
  }
}

bool TMainForm::PicturesMessage(ui::TMessage& message) {
  if (message.Msg == PicturesWantedMessage) {
    const int which = message.WParam == 0 ? 0 : 1;
    if (wanted_[which]) AskPictures(which);
    message.Result = 0;
    return true;
  }
  if (message.Msg != PicturesReadyMessage) return false;
  if (pictures_) ApplyPictures(pictures_->TakeDone());
  message.Result = 0;
  return true;
}

std::size_t TMainForm::PicturesPending() const {
  return (pictures_ ? pictures_->Pending() : 0) + (wanted_[0] ? 1 : 0) + (wanted_[1] ? 1 : 0);
}

void TMainForm::PausePictures() {
  if (pictures_) pictures_->Pause();
}

void TMainForm::ResumePictures() {
  if (!pictures_) return;
  pictures_->Resume();
  // Rows dropped by the pause and not asked for again by a refill.
  WantPictures(0);
  WantPictures(1);
}

std::vector<std::uint8_t> TMainForm::PictureOfFile(const std::string& path,
                                                   const std::function<bool()>& stop) {
  if (!pictures_ || !framePictures_) return {};
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
  if (transferRunning_ || !pictures_ || !framePictures_ || folders_.PspDrive().empty()) return;
  const std::vector<std::string> selected = SelectedCaptions(ltvPSP);
  if (selected.empty()) return;
  const std::string folder = folders_.PspFolder();
  if (!operations::IsRootedFolder(folder)) return;
  operations::ThumbnailsReport report;
  PausePictures();
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
  ResumePictures();
  const std::string text = operations::ThumbnailsReportText(report);
  if (!text.empty()) {
    services_.dialogs->Show(text, operations::MakeThumbnailsCaption,
                            platform::MbOk | platform::MbIconInformation);
  }
}

}  // namespace brevlo::app
