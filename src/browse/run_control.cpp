#include "browse/run_control.h"

#include <array>

#include "browse/browse_loop.h"
#include "browse/shutdown.h"

namespace kestrova {
namespace {

// The controls whose change would disturb a run, in the order they are locked.
std::array<Control*, 6> RunLockedControls(Form2& form) {
  return {&form.cmdRemoveItem,  &form.cmdAddItem,   &form.chk_random,
          &form.url1_count_txt, &form.txt_interval, &form.txt_url1};
}

void SetRunLock(Form2& form, bool locked) {
  for (Control* control : RunLockedControls(form)) control->SetEnabled(!locked);
}

}  // namespace

void start_button_Click(Form2& form) {
  if (form.lstPlayList.ListCount() == 0) {
    form.services.message_boxes.Show(kEmptyPlaylistMessage, form.app_title);
    return;
  }
  form.StopFlag = kNo;
  form.PassCount = 0;
  form.url1_count_txt.SetText("0");
  SetRunLock(form, true);
  // A start inside the wait of a run supersedes that run: it must request no further page.
  ++form.run_generation;
  BrowseLoop(form);
  form.services.app.RunEnded();
}

void Start_Click(Form2& form) { start_button_Click(form); }

void stop_button_Click(Form2& form) {
  form.services.browser.Stop();
  form.StopFlag = kYes;
  SetRunLock(form, false);
}

void Stop_Click(Form2& form) { stop_button_Click(form); }

void ExitApplication(Form2& form) {
  form.StopFlag = kYes;
  form.services.browser.Stop();
  form.services.app.HideMainWindow();
  // Closing the window raises its query-unload, which ends the program.
  Form_QueryUnload(form);
}

}  // namespace kestrova
