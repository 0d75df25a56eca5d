#include "skin/win32/BuiltInSkin.h"

#include <windows.h>

#include <objbase.h>

namespace brevlo::skin {

std::vector<std::uint8_t> BuiltInSkinBytes() {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, "BREVLOSKIN", MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (found == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, found);
  const auto* data = static_cast<const std::uint8_t*>(loaded ? LockResource(loaded) : nullptr);
  if (data == nullptr) return {};
  return {data, data + SizeofResource(module, found)};
}

SkinEmbedHost Win32SkinEmbedHost() {
  SkinEmbedHost host;
  host.tempFolder = [] {
    char buffer[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(sizeof buffer, buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
  };
  host.newGuidText = [] {
    GUID guid{};
    CoCreateGuid(&guid);
    char text[40];
    wsprintfA(text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
              guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
              guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return std::string(text);
  };
  host.exists = [](const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  host.save = [](const std::string& path, const std::vector<std::uint8_t>& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    const bool saved = CloseHandle(file) && ok && written == bytes.size();
    if (!saved) DeleteFileA(path.c_str());  // ours: CREATE_NEW made it
    return saved;
  };
  host.remove = [](const std::string& path) { DeleteFileA(path.c_str()); };
  return host;
}

bool LoadBuiltInSkin(const std::function<void(const std::string&)>& load) {
  const std::vector<std::uint8_t> bytes = BuiltInSkinBytes();
  return !bytes.empty() && LoadEmbeddedSkin(bytes, Win32SkinEmbedHost(), load);
}

}  // namespace brevlo::skin
