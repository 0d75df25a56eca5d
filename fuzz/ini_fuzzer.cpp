// The portable profile reader on a file made of arbitrary bytes: it must never crash, never
// answer more than the profile limit, and a value it writes must read back as written.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/portable/PortablePlatform.h"

namespace {

std::string ScratchFile() {
  char name[] = "/tmp/brevlo-ini-fuzz-XXXXXX";
  const int fd = mkstemp(name);
  if (fd < 0) std::abort();
  close(fd);
  return name;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string file = ScratchFile();
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  brevlo::platform::IniProfile profile;
  const std::string fallback = "fallback";
  for (const char* key : {"Version", "Output Path"}) {
    const std::string value = profile.ReadString(file, "Main", key, fallback);
    Check(value.size() <= brevlo::platform::ProfileValueLimit);
  }
  // Saving the folder on close and reading it at the next start must give it back, whatever
  // else the file holds.
  const std::string folder = "C:\\Videos\\Fuzz [1]; =x";
  if (profile.WriteString(file, "Main", "Output Path", folder)) {
    Check(profile.ReadString(file, "Main", "Output Path", fallback) == folder);
  }
  return 0;
}
