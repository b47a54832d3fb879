#pragma once
// The mixture that the soaks browse: ordinary pages, each followed by an entry that tries to hold,
// flood or trick the browser. The short soak of the tests and the long one of the benchmarks use
// the same, and the same check that no ordinary visit was lost.

#include <filesystem>
#include <string>
#include <vector>

#include "support/dead_ends.h"
#include "support/recording_server.h"

namespace kestrova::e2e {

class Mixture {
 public:
  // Serves every page on `server`; the local entries point into `scratch`.
  Mixture(RecordingServer& server, const std::filesystem::path& scratch);

  // The playlist: ordinary page 0, hostile entry 0, ordinary page 1, ...
  std::vector<std::string> entries;
  // The ordinary pages' paths, in list order. Each reports "/ran?page=<i>" once it has run.
  std::vector<std::string> ordinary;
  // What each hostile entry is, for messages.
  std::vector<std::string> hostile_names;

  // The file name the download would be saved under, if a browser saved it.
  std::string payload_name;

 private:
  SilentListener silent_;
};

// How the ordinary requests followed the list.
struct VisitCount {
  std::size_t passes = 0;   // complete passes seen
  std::size_t missing = 0;  // visits that never reached the server
  std::size_t fewest = 0;   // requests of the least requested ordinary page
  std::size_t most = 0;
  std::vector<std::string> anomalies;  // the first missing visits, named
};

// Walks the ordinary requests along the list: a page that did not come where it was due counts
// as missing, and the walk goes on from the page that came instead.
VisitCount CountVisits(const Mixture& mixture, const std::vector<Request>& seen, Clock::time_point started);

// Whether a file named `name` lies anywhere below `root`.
bool FileBelow(const std::filesystem::path& root, const std::string& name);

}  // namespace kestrova::e2e
