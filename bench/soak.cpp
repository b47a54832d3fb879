// A long run of the real program at one second a page over ordinary pages mixed with hostile
// ones, No Cache and Loop on. At the end the run must still be going, the window must answer, the
// memory of the program and its web engine processes must stay within bounds, and the server must
// have seen every ordinary page once per pass. Appends what it measured to a results file.
//
//   kestrova_soak RESULTS_FILE     (run under scripts/run-under-x; SOAK_MINUTES sets the length)

#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <thread>

#include "support/dead_ends.h"
#include "support/desktop.h"
#include "support/processes.h"
#include "support/program_process.h"
#include "support/recording_server.h"
#include "support/scratch_dir.h"

using namespace kestrova::e2e;
using namespace std::chrono_literals;

namespace {

constexpr double kMemoryLimitMb = 300;
constexpr const char* kMainCaption = "Kestrova Pro Version";

// Proportional set size of the program and every process below it, in megabytes.
double PssMb(pid_t program) {
  std::vector<pid_t> pids{program};
  for (const auto& process : Descendants(program)) pids.push_back(process.pid);
  double kb = 0;
  for (pid_t pid : pids) {
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    for (std::string line; std::getline(rollup, line);) {
      if (line.rfind("Pss:", 0) == 0) {
        kb += std::stod(line.substr(4));
        break;
      }
    }
  }
  return kb / 1024;
}

Page ScriptPage(const std::string& script) {
  return Page{"<!DOCTYPE html>\n<html><body><script>\n" + script + "\n</script></body></html>\n"};
}

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::ostringstream out;
  out << std::put_time(std::gmtime(&now), "%Y-%m-%d %H:%M UTC");
  return out.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kestrova_soak RESULTS_FILE\n";
    return 2;
  }
  const double minutes = std::getenv("SOAK_MINUTES") ? std::atof(std::getenv("SOAK_MINUTES")) : 60.0;

  RecordingServer server;
  ScratchDir scratch;
  SilentListener silent;
  const int refused = ClosedPort();

  server.Serve("/endless.html", ScriptPage("for (;;) {}"));
  server.Serve("/dialogs.html", ScriptPage("for (;;) { alert('a'); confirm('c'); prompt('p', 'x'); }"));
  server.Serve("/open.html", ScriptPage("for (var i = 0; i < 2000; ++i) window.open('/opened');"));
  server.Serve("/print.html", ScriptPage("window.print();"));
  server.Handle("/auth.html", [](const httplib::Request&, httplib::Response& response) {
    response.status = 401;
    response.set_header("WWW-Authenticate", "Basic realm=\"soak\"");
    response.set_content("no", "text/html");
  });
  server.Handle("/redirect", [](const httplib::Request&, httplib::Response& response) {
    response.set_redirect("/redirect");
  });
  server.Handle("/missing.html", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("not here", "text/html");
  });
  server.Handle("/500.html", [](const httplib::Request&, httplib::Response& response) {
    response.status = 500;
    response.set_content("broken", "text/html");
  });
  server.Handle("/download", [](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Disposition", "attachment; filename=\"soak.bin\"");
    response.set_content(std::string(256 * 1024, '\x01'), "application/octet-stream");
  });
  std::string huge = "<!DOCTYPE html>\n<html><body>\n";
  while (huge.size() < 20u * 1024 * 1024) huge += "<p>ballast ballast ballast ballast ballast ballast ballast</p>\n";
  server.Serve("/huge.html", Page{huge, "text/html", "no-store"});

  const std::vector<std::string> hostile{
      server.Url("/endless.html"),
      server.Url("/dialogs.html"),
      server.Url("/open.html"),
      server.Url("/print.html"),
      server.Url("/auth.html"),
      server.Url("/redirect"),
      server.Url("/missing.html"),
      server.Url("/500.html"),
      server.Url("/download"),
      server.Url("/huge.html"),
      "http://127.0.0.1:" + std::to_string(silent.Port()) + "/",
      "http://127.0.0.1:" + std::to_string(refused) + "/",
      "file://" + (scratch.Path() / "missing.html").string(),
      "",
  };
  std::vector<std::string> entries;
  std::vector<std::string> ordinary;
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    ordinary.push_back("/page-" + std::to_string(i) + ".html");
    server.Serve(ordinary.back(), ReportingPage("page " + std::to_string(i), "/ran"));
    entries.push_back(server.Url(ordinary.back()));
    entries.push_back(hostile[i]);
  }
  const auto list = scratch.Path() / "soak.txt";
  WritePlaylist(list, entries);

  ProgramProcess program(KESTROVA_EXE, {"/f=" + list.string(), "/t=1"}, scratch.Path() / "home");
  const auto window = WaitForWindow(program.Pid(), kMainCaption, 30s);
  if (!window) {
    std::cerr << "soak: no main window\n" << program.Stderr();
    return 1;
  }
  const auto started = Clock::now();
  const auto end = started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(minutes * 60));

  // Memory once the first pass is over, then every minute.
  server.WaitForRequests({ordinary.front()}, 2, 120s);
  const double first_pass_mb = PssMb(program.Pid());
  double peak_mb = first_pass_mb;
  std::vector<std::string> extra_windows;
  while (Clock::now() < end && program.Running()) {
    std::this_thread::sleep_until(std::min(end, Clock::now() + 60s));
    if (!program.Running()) break;
    peak_mb = std::max(peak_mb, PssMb(program.Pid()));
    for (const auto& shown : VisibleWindows(program.Pid())) {
      if (shown.id != window->id) extra_windows.push_back(shown.name);
    }
    const double done = SecondsBetween(started, Clock::now()) / 60;
    std::cerr << "soak: " << std::fixed << std::setprecision(1) << done << " min, " << PssMb(program.Pid())
              << " MB, " << server.RequestsFor({ordinary.front()}).size() << " passes begun\n";
  }
  const bool ran_to_the_end = program.Running();
  const double end_mb = ran_to_the_end ? PssMb(program.Pid()) : 0;
  peak_mb = std::max(peak_mb, end_mb);

  // The run is still going: pages keep coming.
  const std::size_t before = server.Requests().size();
  std::this_thread::sleep_for(4s);
  const bool still_browsing = server.Requests().size() > before;

  // The window answers: its File menu opens, and closes again.
  bool menu_opened = false;
  if (ran_to_the_end && Activate(*window)) {
    const std::size_t shown = VisibleWindows(program.Pid()).size();
    PressKeys({"alt+f"});
    for (int i = 0; i < 150 && !menu_opened; ++i) {
      menu_opened = VisibleWindows(program.Pid()).size() > shown;
      if (!menu_opened) std::this_thread::sleep_for(20ms);
    }
    PressKeys({"Escape"});
  }
  const double length_min = SecondsBetween(started, Clock::now()) / 60;

  // Every ordinary page once per pass, in list order: the ordinary requests are the list's
  // ordinary pages over and over, no page missing, none twice.
  const auto seen = server.RequestsFor(ordinary);
  // Walks the requests along the list; a page that did not come where it was due counts as
  // skipped, and the walk goes on from the page that came instead.
  std::size_t skipped = 0;
  std::vector<std::string> anomalies;
  std::size_t due = 0;
  for (const auto& request : seen) {
    const auto at = std::find(ordinary.begin(), ordinary.end(), request.path) - ordinary.begin();
    const std::size_t missed = (static_cast<std::size_t>(at) + ordinary.size() - due) % ordinary.size();
    if (missed != 0 && anomalies.size() < 8) {
      std::ostringstream note;
      note << ordinary[due] << " (after " << hostile[(due + ordinary.size() - 1) % ordinary.size()] << ") missing at "
           << std::fixed << std::setprecision(1) << SecondsBetween(started, request.at) << " s";
      anomalies.push_back(note.str());
    }
    skipped += missed;
    due = (static_cast<std::size_t>(at) + 1) % ordinary.size();
  }
  const bool in_order = !seen.empty() && skipped == 0;
  const std::size_t passes = seen.size() / ordinary.size();
  std::size_t fewest = SIZE_MAX;
  std::size_t most = 0;
  for (const auto& path : ordinary) {
    const std::size_t count = server.RequestsFor({path}).size();
    fewest = std::min(fewest, count);
    most = std::max(most, count);
  }
  const std::size_t reports = server.RequestsFor({"/ran"}).size();
  // A download anywhere in the program's home or the scratch folder.
  bool downloaded = false;
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(scratch.Path(), error);
       it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (error) break;
    if (it->path().filename().string().find("soak.bin") != std::string::npos) downloaded = true;
  }

  const bool memory_ok = peak_mb <= kMemoryLimitMb;
  const bool ok = ran_to_the_end && still_browsing && menu_opened && memory_ok && in_order && most - fewest <= 1 &&
                  extra_windows.empty() && !downloaded;

  std::ostringstream out;
  out << std::fixed << std::setprecision(1);
  out << "\n## Soak\n\n"
      << "Run of " << Now() << ": `make soak SOAK_MINUTES=" << minutes << "`, " << length_min
      << " minutes of browsing at /t=1, No Cache and Loop on, over " << entries.size() << " entries: "
      << ordinary.size() << " ordinary pages, each followed by a hostile entry (endless script, dialog loop, "
         "window.open loop, print, 401, redirect loop, 404, 500, download, 20 MB page, silent server, "
         "refused port, missing file, empty entry).\n\n"
      << "| measure | value |\n|---|---|\n"
      << "| passes completed | " << passes << " |\n"
      << "| requests per ordinary page | " << fewest << " to " << most
      << (in_order ? " (list order, none missing)" : " (" + std::to_string(skipped) + " visits missing)") << " |\n"
      << "| ordinary pages that ran their script | " << reports << " of " << seen.size() << " fetched |\n"
      << "| memory (PSS, program + web engine processes) after the first pass | " << first_pass_mb << " MB |\n"
      << "| memory at the end | " << end_mb << " MB |\n"
      << "| memory, highest of the minute samples | " << peak_mb << " MB (limit " << kMemoryLimitMb << " MB) |\n"
      << "| run still going at the end | " << (ran_to_the_end && still_browsing ? "yes" : "NO") << " |\n"
      << "| File menu opened at the end | " << (menu_opened ? "yes" : "NO") << " |\n"
      << "| windows besides the main one seen | " << extra_windows.size() << " |\n"
      << "| download written | " << (downloaded ? "YES" : "no") << " |\n"
      << "| result | " << (ok ? "passed" : "FAILED") << " |\n";
  for (const auto& anomaly : anomalies) out << "\n- not fetched: " << anomaly;
  if (!anomalies.empty()) out << "\n";
  std::cout << out.str();
  std::ofstream(argv[1], std::ios::app) << out.str();
  if (!ran_to_the_end) std::cerr << "soak: the program ended; stderr:\n" << program.Stderr();
  return ok ? 0 : 1;
}
