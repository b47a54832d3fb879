#include "browse/option_toggles.h"

namespace kestrova {

void chk_random_Click(Form2& form) {
  form.chk_random.SetCaption(form.chk_random.Caption() == kRandomOff ? kRandomOn : kRandomOff);
}

void ckExit_Click(Form2& form) {
  if (form.ckExit.Ticked()) {
    form.ckLoop.SetValue(CheckBox::kUnticked);
    form.ckLoop.SetEnabled(false);
  } else {
    form.ckLoop.SetEnabled(true);
  }
}

}  // namespace kestrova
