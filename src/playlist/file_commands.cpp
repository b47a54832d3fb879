#include "playlist/file_commands.h"

#include <optional>
#include <string>

#include "browse/run_control.h"
#include "playlist/playlist_file.h"

namespace kestrova {
namespace {

// Shows dlgOpen, which starts from the name of its previous use, whether that was an open or a
// save. Returns false when the user cancelled: the command then does nothing, rather than
// reloading or overwriting the previous file.
bool ChoosePlayListFile(Form2& form, FileDialogMode mode) {
  const std::optional<std::string> chosen = form.services.file_dialog.Show(mode, form.dlgOpen_FileName);
  if (!chosen || chosen->empty()) return false;
  form.dlgOpen_FileName = *chosen;
  form.PlayListFile = *chosen;
  return true;
}

}  // namespace

void cmdOpen_Click(Form2& form) {
  if (ChoosePlayListFile(form, FileDialogMode::Open)) LoadPlayList(form);
}

void cmdSave_Click(Form2& form) {
  if (ChoosePlayListFile(form, FileDialogMode::Save)) SavePlayList(form);
}

void Load_Click(Form2& form) {
  stop_button_Click(form);
  cmdOpen_Click(form);
}

void Save_Click(Form2& form) { cmdSave_Click(form); }

}  // namespace kestrova
