#pragma once
// Whole-file reading and replacing for playlists, built so that neither can hang on a special
// file nor leave a half-written file behind.

#include <optional>
#include <string>
#include <string_view>

namespace kestrova {

// The bytes of the ordinary file `path` names, or nothing when it names no ordinary file (a
// folder, a FIFO, a device, nothing at all) or the file cannot be read to its end.
std::optional<std::string> ReadOrdinaryFile(const std::string& path);

// Makes the file `path` names hold exactly `bytes`, following symbolic links to the file they
// name. Returns false when that failed; the old file is then as it was and nothing is left over.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace kestrova
