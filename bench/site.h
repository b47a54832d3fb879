#pragma once
// The pages the benchmarks browse: twenty generated pages, each with a stylesheet, two images
// and a script, 50 to 200 KB in all, served twice: as they are under /p/, and under /r/ with a
// refresh to the next page, so that a browser without our program cycles through them by itself.

#include <string>
#include <vector>

#include "support/recording_server.h"

namespace kestrova::bench {

inline constexpr int kSitePages = 20;

// Serves every page and resource; `refresh_seconds` is the /r/ pages' delay.
void ServeSite(RecordingServer& server, int refresh_seconds);

// The paths of the pages themselves (not their resources), in order.
std::vector<std::string> PlainPagePaths();
std::vector<std::string> RefreshingPagePaths();

// The bytes of one page with everything it loads.
std::size_t PageWeight(int index);

}  // namespace kestrova::bench
