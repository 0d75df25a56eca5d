#include "operations/VideoTitle.h"

#include "platform/CopyPlan.h"
#include "video/TitleWriter.h"

namespace brevlo::operations {
namespace {

TitleOutcome Tell(TitleEnvironment& env, const char* text, TitleOutcome outcome) {
  env.dialogs.Show(text, TitleCaption, platform::MbOk | platform::MbIconInformation);
  return outcome;
}

std::string FreeTemporaryName(platform::IFileSystem& fs, const std::string& path) {
  for (int n = 1; n < 1000; ++n) {
    const std::string temp = path + ".part" + (n > 1 ? std::to_string(n) : std::string());
    if (!fs.FileExists(temp) && !fs.DirectoryExists(temp)) return temp;
  }
  return {};
}

}  // namespace

TitleOutcome ChangeVideoTitle(TitleEnvironment& env, const std::string& path,
                              const std::string& title) {
  if (video::HasControlCharacters(title)) {
    return Tell(env, TitleControlText, TitleOutcome::Refused);
  }
  std::optional<video::TitleEdit> edit;
  {
    const auto reader = env.fs.OpenReader(path);
    if (reader == nullptr) return Tell(env, TitleFailedText, TitleOutcome::Failed);
    edit = video::PlanTitleChange(*reader, title, env.encoder);
  }
  if (!edit) return Tell(env, TitleUnknownText, TitleOutcome::Failed);
  if (edit->unchanged) return TitleOutcome::Unchanged;
  if (edit->inPlace) {
    // A few small writes, yet a memory stick being pulled out can hold each for long.
    std::size_t tried = 0;
    const bool written = platform::RunWhilePumping(env.pump, [&] {
      const auto now = env.fs.OpenReader(path);
      if (now == nullptr || !edit->source || now->Stamp() != edit->source) return false;
      for (const video::PlacedBytes& write : edit->writes) {
        ++tried;
        if (!env.fs.WriteAt(path, write.offset, write.bytes)) return false;
      }
      return true;
    });
    if (written) return TitleOutcome::Changed;
    return Tell(env, tried == 0 ? TitleFailedText : TitleBrokenOffText, TitleOutcome::Failed);
  }

  const std::string temp = FreeTemporaryName(env.fs, path);
  if (temp.empty()) return Tell(env, TitleFailedText, TitleOutcome::Failed);
  TransferStopFlag stop;
  env.progress.ShowProgress(stop);
  env.progress.SetSource(path);
  env.progress.SetDestination(path);
  env.progress.SetPosition(0);
  env.pump.ProcessMessages();
  env.progress.SetCopying(true);
  int shown = 0;
  const platform::CopyResult copied = env.fs.CopyPlanInSteps(
      path, temp, edit->rewrite, [&](std::uint64_t done, std::uint64_t total) {
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        if (percent != shown) env.progress.SetPosition(shown = percent);
        env.pump.ProcessMessages();
        return !stop.Stopped();
      });
  env.progress.SetCopying(false);
  const bool stopped = stop.Stopped() || copied == platform::CopyResult::Canceled;
  env.progress.CloseProgress();
  bool whole = copied == platform::CopyResult::Done;
  if (whole) {
    const auto size = env.fs.FileSize(temp);
    whole = size && *size == platform::PlanSize(edit->rewrite);
  }
  if (whole && !stopped && env.fs.Replace(temp, path)) return TitleOutcome::Changed;
  env.fs.Delete(temp);
  if (stopped) return Tell(env, TitleStoppedText, TitleOutcome::Stopped);
  return Tell(env, TitleFailedText, TitleOutcome::Failed);
}

}  // namespace brevlo::operations
