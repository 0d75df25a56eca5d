#include "ui/DragDrop.h"

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <map>
#include <optional>
#include <utility>

namespace brevlo::ui {

namespace {

FORMATETC FilesFormat() {
  return FORMATETC{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
}

bool IsFilesFormat(const FORMATETC* format) {
  return format != nullptr && format->cfFormat == CF_HDROP &&
         (format->tymed & TYMED_HGLOBAL) != 0 && format->dwAspect == DVASPECT_CONTENT;
}

std::wstring Wide(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 1) return {};
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
  wide.resize(static_cast<std::size_t>(n) - 1);
  return wide;
}

std::string Narrow(const wchar_t* text) {
  const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string narrow(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), n, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(n) - 1);
  return narrow;
}

// The reference count every one of our COM objects keeps; each deletes itself at zero.
template <typename Interface>
class Counted : public Interface {
 public:
  virtual ~Counted() = default;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, Own())) {
      *out = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }

 protected:
  virtual REFIID Own() const = 0;

 private:
  std::atomic<ULONG> refs_{1};
};

class FilesData : public Counted<IDataObject> {
 public:
  explicit FilesData(std::vector<std::string> paths) : paths_(std::move(paths)) {}
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (medium == nullptr) return E_POINTER;
    if (!IsFilesFormat(format)) return DV_E_FORMATETC;
    HGLOBAL block = MakeDropFiles(paths_);
    if (block == nullptr) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return IsFilesFormat(format) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out != nullptr) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    FORMATETC format = FilesFormat();
    return SHCreateStdEnumFmtEtc(1, &format, out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 protected:
  REFIID Own() const override { return IID_IDataObject; }

 private:
  std::vector<std::string> paths_;
};

class FilesSource : public Counted<IDropSource> {
 public:
  explicit FilesSource(TDragStep step) : step_(std::move(step)) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    if (step_) return step_(escapePressed, keyState);
    if (escapePressed) return DRAGDROP_S_CANCEL;
    return (keyState & MK_LBUTTON) == 0 ? DRAGDROP_S_DROP : S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

 protected:
  REFIID Own() const override { return IID_IDropSource; }

 private:
  TDragStep step_;
};

std::map<UINT_PTR, std::function<void()>>& Soon() {
  static std::map<UINT_PTR, std::function<void()>> actions;
  return actions;
}

void CALLBACK RunSoonNow(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto it = Soon().find(id);
  if (it == Soon().end()) return;
  std::function<void()> action = std::move(it->second);
  Soon().erase(it);
  if (action) action();
}

}  // namespace

// Read within the block's own size, never by the system's reader: a block from another program
// may claim a list that runs past its end.
std::vector<std::string> PathsOfDrop(HGLOBAL block) {
  std::vector<std::string> paths;
  const SIZE_T size = block != nullptr ? GlobalSize(block) : 0;
  if (size < sizeof(DROPFILES)) return paths;
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  if (bytes == nullptr) return paths;
  DROPFILES header;
  std::memcpy(&header, bytes, sizeof header);
  const SIZE_T unit = header.fWide ? sizeof(wchar_t) : 1;
  if (header.pFiles >= sizeof(DROPFILES) && header.pFiles <= size) {
    std::wstring wide;
    std::string name;
    bool ended = false;
    for (SIZE_T at = header.pFiles; at + unit <= size; at += unit) {
      wchar_t c = 0;
      if (header.fWide) {
        std::memcpy(&c, bytes + at, sizeof c);
      } else {
        c = static_cast<unsigned char>(bytes[at]);
      }
      if (c != 0) {
        if (header.fWide) {
          wide.push_back(c);
        } else {
          name.push_back(static_cast<char>(c));
        }
        continue;
      }
      if (wide.empty() && name.empty()) {
        ended = true;
        break;
      }
      paths.push_back(header.fWide ? Narrow(wide.c_str()) : name);
      wide.clear();
      name.clear();
    }
    // A list without its closing zero inside the block is not taken at all.
    if (!ended) paths.clear();
  }
  GlobalUnlock(block);
  std::erase_if(paths, [](const std::string& path) { return path.empty(); });
  return paths;
}

std::optional<std::vector<std::string>> PathsOfData(IDataObject* data) {
  if (data == nullptr) return std::nullopt;
  FORMATETC format = FilesFormat();
  STGMEDIUM medium{};
  if (data->GetData(&format, &medium) != S_OK) return std::nullopt;
  // Another medium (a stream, a file) would be read as a block of memory that it is not.
  std::optional<std::vector<std::string>> paths;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal != nullptr) {
    paths = PathsOfDrop(medium.hGlobal);
  }
  ReleaseStgMedium(&medium);
  return paths;
}

HGLOBAL MakeDropFiles(const std::vector<std::string>& paths) {
  // Each path ends in a zero, and the list in one more.
  std::wstring list;
  for (const std::string& path : paths) {
    const std::wstring wide = Wide(path);
    if (wide.empty()) continue;
    list += wide;
    list.push_back(L'\0');
  }
  list.push_back(L'\0');
  const std::size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  if (block == nullptr) return nullptr;
  auto* files = static_cast<DROPFILES*>(GlobalLock(block));
  if (files == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  files->pFiles = sizeof(DROPFILES);
  files->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), list.data(),
              list.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  return block;
}

void RunSoon(std::function<void()> action) {
  const UINT_PTR id = SetTimer(nullptr, 0, 0, RunSoonNow);
  if (id == 0) {
    action();
    return;
  }
  Soon()[id] = std::move(action);
}

class TFileDropTarget::Target : public Counted<IDropTarget> {
 public:
  explicit Target(Events events) : events_(std::move(events)) {}
  void Forget() { events_ = Events{}; }

  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    FORMATETC format = FilesFormat();
    files_ = data != nullptr && data->QueryGetData(&format) == S_OK;
    return Answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
    return Answer(effect);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    files_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
    Answer(effect);
    files_ = false;
    if (effect == nullptr || *effect == DROPEFFECT_NONE || data == nullptr) return S_OK;
    const std::optional<std::vector<std::string>> paths = PathsOfData(data);
    if (!paths) {
      *effect = DROPEFFECT_NONE;
      return S_OK;
    }
    if (events_.dropped) events_.dropped(*paths);
    return S_OK;
  }

 protected:
  REFIID Own() const override { return IID_IDropTarget; }

 private:
  // A copy only, never a move: the files stay where they came from.
  HRESULT Answer(DWORD* effect) {
    if (effect == nullptr) return E_INVALIDARG;
    const bool taken =
        files_ && (*effect & DROPEFFECT_COPY) != 0 && events_.accepts && events_.accepts();
    *effect = taken ? DROPEFFECT_COPY : DROPEFFECT_NONE;
    return S_OK;
  }
  Events events_;
  bool files_ = false;
};

TFileDropTarget::~TFileDropTarget() {
  Revoke();
}

bool TFileDropTarget::Register(HWND window, Events events) {
  Revoke();
  auto* target = new Target(std::move(events));
  if (RegisterDragDrop(window, target) != S_OK) {
    target->Release();
    return false;
  }
  window_ = window;
  target_ = target;
  return true;
}

void TFileDropTarget::Revoke() {
  if (target_ == nullptr) return;
  if (IsWindow(window_)) RevokeDragDrop(window_);
  // The system may hold on to the target a little longer; it must no longer call us.
  target_->Forget();
  target_->Release();
  target_ = nullptr;
  window_ = nullptr;
}

DWORD DragFiles(const std::vector<std::string>& paths, TDragStep step) {
  auto* data = new FilesData(paths);
  auto* source = new FilesSource(std::move(step));
  DWORD effect = DROPEFFECT_NONE;
  if (DoDragDrop(data, source, DROPEFFECT_COPY, &effect) != DRAGDROP_S_DROP) {
    effect = DROPEFFECT_NONE;
  }
  source->Release();
  data->Release();
  return effect;
}

}  // namespace brevlo::ui
