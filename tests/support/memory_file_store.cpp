#include "support/memory_file_store.h"

namespace kestrova::testing {

std::optional<std::string> MemoryFileStore::Read(const std::string& path) {
  const auto file = files.find(path);
  if (file == files.end()) return std::nullopt;
  return file->second;
}

bool MemoryFileStore::Replace(const std::string& path, std::string_view bytes) {
  files[path] = bytes;
  return true;
}

}  // namespace kestrova::testing
