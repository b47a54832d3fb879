#include "playlist/playlist_file.h"

#include <optional>

#include "playlist/safe_file.h"

namespace kestrova {

void LoadPlayList(Form2& form) {
  if (form.PlayListFile.empty()) return;
  // The whole file is read before the list is touched, so a failure part-way keeps the list.
  const std::optional<std::string> bytes = ReadOrdinaryFile(form.PlayListFile);
  if (!bytes) return;
  form.lstPlayList.ReplaceAll(ParsePlaylist(*bytes));
}

void SavePlayList(Form2& form) {
  if (form.PlayListFile.empty()) return;
  // Failures are silent, as for every file command; the old file is kept whole.
  (void)ReplaceFileContents(form.PlayListFile, FormatPlaylist(form.lstPlayList.Items()));
}

}  // namespace kestrova
