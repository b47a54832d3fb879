#pragma once
// The record of every visit, kept for the user who wants to see after a night that each page
// was really asked for: one JSON line per visit, appended to the file named by "/l=".

#include <cstdint>
#include <string>

#include "platform/services.h"

namespace kestrova {

// Why the main document of a visit did not load.
// Blocked: the engine ended an HTTP load with no answer at all (a port that engines refuse to
// contact); Local: the page came from no server (a file, the blank page).
enum class LoadError { Refused, Timeout, Dns, Tls, Cancelled, WebProcessEnded, Blocked, Local, Other };

// How a load ended: the main document's HTTP status, or an error.
struct LoadOutcome {
  static LoadOutcome Status(int status) { return {status, false, LoadError::Other}; }
  static LoadOutcome Failed(LoadError error) { return {0, true, error}; }
  int status = 0;
  bool failed = false;
  LoadError error = LoadError::Other;
};

// What one visit was, for its line.
struct VisitRecord {
  LocalTime time;
  std::int64_t pass = 0;
  std::int64_t index = 0;
  std::string url;
  LoadOutcome outcome;
  std::int64_t ms = 0;
};

// The line of one visit, without its line end.
std::string VisitLine(const VisitRecord& visit);

// Follows one visit at a time, from its navigation to the end of its load.
class VisitLog {
 public:
  explicit VisitLog(Services& services) : services_(services) {}

  // Starts the log in `path`; an empty path keeps it off.
  void Open(const std::string& path);
  // The browser is about to navigate to `url`. A visit still loading is cancelled by it.
  void Begin(std::int64_t pass, std::int64_t index, const std::string& url);
  // The browser began a load. Until the visit's own load has begun, the ends it hears belong to
  // loads that the visit's navigation replaced.
  void LoadStarted();
  // A status of 0 is no HTTP answer, and is logged as the error it is.
  void LoadEnded(const LoadOutcome& outcome);
  // The program is ending: a visit still loading never ends.
  void Abandon();

 private:
  enum class State { Idle, Navigated, Loading };
  void Close(const LoadOutcome& outcome);

  Services& services_;
  bool on_ = false;
  bool warned_ = false;
  State state_ = State::Idle;
  VisitRecord open_;
  std::int64_t began_ms_ = 0;
};

}  // namespace kestrova
