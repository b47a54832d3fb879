#include "playlist/playlist_file.h"

#include <optional>
#include <string>

namespace kestrova {

void LoadPlayList(Form2& form) {
  // A name the user gave loads whatever it begins with: a leading dot only keeps a file out of the
  // file chooser's listing, and a list saved under such a name must load again.
  if (form.PlayListFile.empty()) return;
  // The whole file is read before the list is touched, so a failure part-way keeps the list.
  const std::optional<std::string> bytes = form.services.files.Read(form.PlayListFile);
  if (!bytes) return;
  form.lstPlayList.ReplaceAll(ParsePlaylist(*bytes));
}

void SavePlayList(Form2& form) {
  if (form.PlayListFile.empty()) return;
  // A failed save is said, with the system's reason: silence would pass for success, and closing
  // the program asks nothing, so the user would lose the list believing it saved.
  const std::string reason = form.services.files.Replace(form.PlayListFile, FormatPlaylist(form.lstPlayList.Items()));
  if (!reason.empty()) {
    form.services.message_boxes.Show("Could not save the playlist to " + form.PlayListFile + ": " + reason + ".",
                                     form.app_title);
  }
}

}  // namespace kestrova
