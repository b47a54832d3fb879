#pragma once
// Whole files, read and replaced for the playlist commands so that neither can hang on a special
// file nor leave a half-written file behind.

#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

class FileStore {
 public:
  virtual ~FileStore() = default;
  // The bytes of the ordinary file `path` names, or nothing when it names no ordinary file (a
  // folder, a FIFO, a device, nothing at all) or the file cannot be read to its end. A special
  // file is neither opened nor waited for.
  virtual std::optional<std::string> Read(const std::string& path) = 0;
  // Makes the file `path` names hold exactly `bytes`, following symbolic links to the file they
  // name. Returns why that failed, in the system's words, or nothing when it did not; the old file
  // is then as it was and nothing is left over, except where the file could only be written in
  // place (a folder that takes no new file).
  virtual std::string Replace(const std::string& path, std::string_view bytes) = 0;
};

}  // namespace kestrova
