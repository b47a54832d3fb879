#include "support/scratch_dir.h"

#include <stdlib.h>

#include <fstream>
#include <stdexcept>

namespace kestrova::bench {

ScratchDir::ScratchDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "kestrova-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
  path_ = pattern;
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void WritePlaylist(const std::filesystem::path& file, const std::vector<std::string>& entries) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const auto& entry : entries) out << entry << "\r\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace kestrova::bench
