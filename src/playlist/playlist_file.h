#pragma once
// Playlist files: one entry per line, each ended by CR LF, no header.

#include <string>
#include <vector>

#include "form/main_window.h"

namespace kestrova {

// The entries of a file's bytes. LF alone and CR alone also end a line; a UTF-8 byte-order mark
// at the start is skipped; trailing blanks are removed.
std::vector<std::string> ParsePlaylist(const std::string& bytes);
// The bytes of a file holding the entries.
std::string FormatPlaylist(const std::vector<std::string>& entries);

// Fills lstPlayList from PlayListFile. A name that is no ordinary file to the file store, or a
// file that cannot be read whole, leaves the list as it was.
void LoadPlayList(Form2& form);
// Writes lstPlayList to PlayListFile, replacing the old file whole where the file store can.
void SavePlayList(Form2& form);

}  // namespace kestrova
