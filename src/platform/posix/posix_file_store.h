#pragma once
// The file store on POSIX system calls: a save writes a file beside the old one and renames it
// over it, or writes the old one in place where that is refused or would lose its other names; a
// load checks what a name is before it opens it.

#include "platform/file_store.h"

namespace kestrova {

class PosixFileStore : public FileStore {
 public:
  std::optional<std::string> Read(const std::string& path) override;
  std::string Replace(const std::string& path, std::string_view bytes) override;
};

}  // namespace kestrova
