#include "playlist/playlist_file.h"

#include <optional>

namespace kestrova {
namespace {

// A file the desktop hides from the user (its name begins with a dot) is treated as absent, so
// that loading never picks up what the user was not shown. Its folders do not count.
bool IsHiddenName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t name = slash == std::string::npos ? 0 : slash + 1;
  return name < path.size() && path[name] == '.';
}

}  // namespace

void LoadPlayList(Form2& form) {
  if (form.PlayListFile.empty() || IsHiddenName(form.PlayListFile)) return;
  // The whole file is read before the list is touched, so a failure part-way keeps the list.
  const std::optional<std::string> bytes = form.services.files.Read(form.PlayListFile);
  if (!bytes) return;
  form.lstPlayList.ReplaceAll(ParsePlaylist(*bytes));
}

void SavePlayList(Form2& form) {
  if (form.PlayListFile.empty()) return;
  // Failures are silent, as for every file command; the old file is kept whole.
  (void)form.services.files.Replace(form.PlayListFile, FormatPlaylist(form.lstPlayList.Items()));
}

}  // namespace kestrova
