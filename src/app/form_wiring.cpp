#include "app/form_wiring.h"

#include "browse/option_toggles.h"
#include "browse/run_control.h"
#include "browse/shutdown.h"
#include "help/help_documents.h"
#include "layout/arrange.h"
#include "layout/top_panel.h"
#include "playlist/file_commands.h"
#include "playlist/list_editing.h"

namespace kestrova {

void WireForm(Form2& form) {
  const auto run = [&form](void (*handler)(Form2&)) { return [&form, handler] { handler(form); }; };

  form.start_button.SetOnClick(run(start_button_Click));
  form.stop_button.SetOnClick(run(stop_button_Click));
  form.cmdOpen.SetOnClick(run(cmdOpen_Click));
  form.cmdSave.SetOnClick(run(cmdSave_Click));
  form.cmdAddItem.SetOnClick(run(cmdAddItem_Click));
  form.cmdRemoveItem.SetOnClick(run(cmdRemoveItem_Click));

  form.chk_random.SetOnClick(run(chk_random_Click));
  form.ckExit.SetOnClick(run(ckExit_Click));
  form.WebBrowser1.SetOnDocumentComplete(run(WebBrowser1_DocumentComplete));

  form.Start.SetOnClick(run(Start_Click));
  form.Stop.SetOnClick(run(Stop_Click));
  form.Load.SetOnClick(run(Load_Click));
  form.Save.SetOnClick(run(Save_Click));
  form.mnuHide.SetOnClick(run(mnuHide_Click));
  form.Exit.SetOnClick(run(Exit_Click));
  form.Contents.SetOnClick(run(Contents_Click));
  form.License.SetOnClick(run(License_Click));
  form.About.SetOnClick(run(About_Click));
}

}  // namespace kestrova
