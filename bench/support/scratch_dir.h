#pragma once
// A private folder for one test, removed with everything in it when the test ends, and the
// playlist files written into it.

#include <filesystem>
#include <string>
#include <vector>

namespace kestrova::bench {

class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Writes one entry a line, each line ended by CR LF, creating the folders on the way.
void WritePlaylist(const std::filesystem::path& file, const std::vector<std::string>& entries);

}  // namespace kestrova::bench
