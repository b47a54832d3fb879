#pragma once
// Removing a URL's cached copy just before the browser is sent to it.

#include <string>

#include "form/main_window.h"

namespace kestrova {

// May append one "/" to `url`; the caller navigates to the URL as it is left.
void PurgeCacheForUrl(Form2& form, std::string& url);

}  // namespace kestrova
