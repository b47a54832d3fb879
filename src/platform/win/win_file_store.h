#pragma once
// The file store on Win32: a save writes a file beside the old one and puts it in the old one's
// place (ReplaceFileW keeps the old file's attributes and security), or writes the old one in place
// where that is refused or would lose its other names; a load reads only an ordinary file that is
// neither hidden nor a system file. Names are UTF-8.

#include "platform/file_store.h"

namespace kestrova {

class WinFileStore : public FileStore {
 public:
  std::optional<std::string> Read(const std::string& path) override;
  std::string Replace(const std::string& path, std::string_view bytes) override;
};

}  // namespace kestrova
