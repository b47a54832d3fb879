#include "platform/wx/pump_until.h"

#include <thread>

#include <glib.h>
#include <wx/evtloop.h>

namespace kestrova::wx {

bool PumpNonInputUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done() && std::chrono::steady_clock::now() < deadline) {
    if (loop != nullptr) {
      loop->YieldFor(wxEVT_CATEGORY_UNKNOWN);
    } else {
      g_main_context_iteration(nullptr, FALSE);
    }
    if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return done();
}

}  // namespace kestrova::wx
