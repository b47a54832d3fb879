#include "browse/browse_loop.h"

#include <functional>
#include <string>

#include "browse/interval_wait.h"
#include "browse/purge.h"
#include "browse/run_control.h"
#include "page/url_text.h"

namespace kestrova {
namespace {

// Waits on the window's events, as the interval does, until the navigation guard lets the page go
// out. False when the run was stopped or superseded meanwhile: the page is then not requested.
bool AwaitGuard(Form2& form, const std::function<bool()>& superseded) {
  NavigationGuard& guard = form.navigation_guard;
  auto ended = [&] { return form.StopFlag == kYes || superseded(); };
  for (;;) {
    const GuardStep step = guard.Next();
    switch (step.kind) {
      case GuardStep::Kind::Request: return true;
      case GuardStep::Kind::Ask: form.services.browser.AskWebProcess(); break;
      case GuardStep::Kind::EndProcess: form.services.browser.EndWebProcess(); break;
      case GuardStep::Kind::Wait: {
        const std::uint64_t heard = guard.Heard();
        form.services.pump.ProcessEventsUntilDone(step.until_ms, [&] { return guard.Heard() != heard || ended(); });
        if (ended()) return false;
        break;
      }
    }
  }
}

}  // namespace

void BrowseLoop(Form2& form) {
  const std::uint64_t generation = form.run_generation;
  // A run superseded by a start inside its wait ends without counting or exiting.
  const std::function<bool()> superseded = [&] { return form.run_generation != generation; };

  bool first_pass = true;
  while (first_pass || form.ckLoop.Ticked()) {
    first_pass = false;
    form.WebBrowser1.SetVisible(true);
    form.services.browser.SetSilent(true);
    const std::int64_t item_limit = form.lstPlayList.ListCount();
    for (std::int64_t index = 0; index < item_limit; ++index) {
      // The list may have been replaced by a shorter one while the run waited.
      if (index >= form.lstPlayList.ListCount()) break;
      form.lstPlayList.SetListIndex(index);
      form.txt_url1.SetText(form.lstPlayList.List(index));
      std::string url = form.txt_url1.Text();
      if (form.StopFlag == kYes) return;
      if (!AwaitGuard(form, superseded)) return;
      if (form.ckCache.Ticked()) PurgeCacheForUrl(form, url);
      // The address the browser goes to; a path stays a path, which its file address only encodes.
      form.visit_log.Begin(form.PassCount + 1, index, ShapeUrl(url).text);
      form.services.browser.Navigate(url);
      pause(form);
      if (superseded()) return;
    }
    ++form.PassCount;
    form.url1_count_txt.SetText(std::to_string(form.PassCount));
    if (form.ckExit.Ticked()) {
      stop_button_Click(form);
      ExitApplication(form);
      return;
    }
  }
  stop_button_Click(form);
}

}  // namespace kestrova
