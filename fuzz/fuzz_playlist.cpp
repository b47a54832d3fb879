// A list loaded from any file at all, saved and loaded again, comes back as it was.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "playlist/playlist_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto entries = kestrova::ParsePlaylist(std::string(reinterpret_cast<const char*>(data), size));
  if (kestrova::ParsePlaylist(kestrova::FormatPlaylist(entries)) != entries) std::abort();
  return 0;
}
