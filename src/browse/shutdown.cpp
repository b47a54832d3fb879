#include "browse/shutdown.h"

#include "browse/run_control.h"

namespace kestrova {

void Exit_Click(Form2& form) { ExitApplication(form); }

void Form_QueryUnload(Form2& form) {
  form.StopFlag = kYes;
  form.visit_log.Abandon();
  form.services.app.EndProgram();
}

}  // namespace kestrova
