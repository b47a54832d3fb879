#include "layout/top_panel.h"

#include "layout/arrange.h"

namespace kestrova {
namespace {

constexpr float kBrowserPanelTopBelowTopPanel = 1980;
constexpr float kBrowserPanelTopAlone = 105;
// Hiding takes only a thin strip: the panel then runs a little past the bottom of the window
// until the next resize gives it the hidden-panel margin.
constexpr float kHeightTakenRightAfterHiding = 30;

}  // namespace

void mnuHide_Click(Form2& form) {
  if (form.Frame1.Visible()) {
    form.mnuHide.SetCaption("Show");
    form.Frame1.SetVisible(false);
    form.Frame2.SetTop(kBrowserPanelTopAlone);
    FitBrowserPanel(form, kHeightTakenRightAfterHiding);
  } else {
    form.mnuHide.SetCaption("Hide");
    form.Frame1.SetVisible(true);
    form.Frame2.SetTop(kBrowserPanelTopBelowTopPanel);
    FitBrowserPanel(form, kHeightTakenByTopPanel);
  }
}

}  // namespace kestrova
