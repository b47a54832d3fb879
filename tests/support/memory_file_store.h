#pragma once
// Files kept in memory, by name, for the core tests.

#include <map>
#include <string>

#include "platform/file_store.h"

namespace kestrova::testing {

class MemoryFileStore : public FileStore {
 public:
  std::optional<std::string> Read(const std::string& path) override;
  bool Replace(const std::string& path, std::string_view bytes) override;
  std::map<std::string, std::string> files;
};

}  // namespace kestrova::testing
