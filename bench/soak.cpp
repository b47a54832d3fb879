// A long run of the real program at one second a page over the soak's mixture (ordinary pages,
// each followed by a hostile entry), No Cache and Loop on. Every minute it writes down the memory
// of the program and its web engine processes; at the end the run must still be going, the window
// must answer, and the server must have seen every ordinary page once per pass. Appends what it
// measured to a results file.
//
//   kestrova_soak RESULTS_FILE     (run under scripts/run-under-x; SOAK_MINUTES sets the length,
//                                   KESTROVA_SOAK_PROGRAM another build of the program)

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

#include "support/desktop.h"
#include "support/mixture.h"
#include "support/processes.h"
#include "support/program_process.h"
#include "support/recording_server.h"
#include "support/scratch_dir.h"

using namespace kestrova::e2e;
using namespace std::chrono_literals;

namespace {

constexpr double kMemoryLimitMb = 300;
constexpr double kAnonymousGrowthLimitMb = 5;
constexpr const char* kMainCaption = "Kestrova Pro Version";

// Memory of the program and every process below it, in megabytes: proportional set size and its
// anonymous part, in all and for each kind of process (the file-backed rest of PSS moves with
// whatever else maps the same libraries on the machine).
struct Memory {
  double pss = 0;
  double anonymous = 0;
  double program_anonymous = 0;
  double web_anonymous = 0;
  double network_anonymous = 0;
};

double RollupKb(const std::string& rollup, const std::string& key) {
  const auto at = rollup.find("\n" + key + ":");
  return at == std::string::npos ? 0 : std::atof(rollup.c_str() + at + key.size() + 2);
}

Memory MemoryOf(pid_t program) {
  std::vector<ProcessInfo> processes = Descendants(program);
  processes.emplace_back().pid = program;
  Memory memory;
  for (const auto& process : processes) {
    std::string rollup = "\n";
    try {  // a process that ends meanwhile makes the stream throw
      std::ifstream file("/proc/" + std::to_string(process.pid) + "/smaps_rollup");
      rollup += std::string(std::istreambuf_iterator<char>(file), {});
    } catch (const std::exception&) {
      continue;
    }
    memory.pss += RollupKb(rollup, "Pss") / 1024;
    const double anonymous = RollupKb(rollup, "Anonymous") / 1024;
    memory.anonymous += anonymous;
    if (process.pid == program) {
      memory.program_anonymous += anonymous;
    } else if (process.command_line.find("WebKitWebProcess") != std::string::npos) {
      memory.web_anonymous += anonymous;
    } else if (process.command_line.find("WebKitNetworkProcess") != std::string::npos) {
      memory.network_anonymous += anonymous;
    }
  }
  return memory;
}

// Megabytes per hour of the least-squares line through the samples.
double SlopePerHour(const std::vector<std::pair<double, double>>& minute_mb) {
  const double n = static_cast<double>(minute_mb.size());
  if (n < 2) return 0;
  double sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (const auto& [x, y] : minute_mb) {
    sx += x;
    sy += y;
    sxx += x * x;
    sxy += x * y;
  }
  const double denominator = n * sxx - sx * sx;
  return denominator == 0 ? 0 : 60 * (n * sxy - sx * sy) / denominator;
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
  const char* other_program = std::getenv("KESTROVA_SOAK_PROGRAM");
  const std::string executable = other_program && other_program[0] ? other_program : KESTROVA_EXE;

  RecordingServer server;
  ScratchDir scratch;
  const Mixture mixture(server, scratch.Path());
  const auto list = scratch.Path() / "soak.txt";
  WritePlaylist(list, mixture.entries);

  ProgramProcess program(executable, {"/f=" + list.string(), "/t=1"}, scratch.Path() / "home");
  const auto window = WaitForWindow(program.Pid(), kMainCaption, 30s);
  if (!window) {
    std::cerr << "soak: no main window\n" << program.Stderr();
    return 1;
  }
  const auto started = Clock::now();
  const auto end = started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(minutes * 60));

  // Memory once the first pass is over, then every minute.
  server.WaitForRequests({mixture.ordinary.front()}, 2, 120s);
  std::vector<std::pair<double, Memory>> samples{{SecondsBetween(started, Clock::now()) / 60, MemoryOf(program.Pid())}};
  std::vector<std::string> extra_windows;
  while (Clock::now() < end && program.Running()) {
    std::this_thread::sleep_until(std::min(end, Clock::now() + 60s));
    if (!program.Running()) break;
    samples.emplace_back(SecondsBetween(started, Clock::now()) / 60, MemoryOf(program.Pid()));
    for (const auto& shown : VisibleWindows(program.Pid())) {
      if (shown.id != window->id) extra_windows.push_back(shown.name);
    }
    const auto& [at, memory] = samples.back();
    std::cerr << "soak: " << std::fixed << std::setprecision(1) << at << " min, PSS " << memory.pss << " MB, anonymous "
              << memory.anonymous << " MB, " << server.RequestsFor({mixture.ordinary.front()}).size()
              << " passes begun\n";
  }
  const bool ran_to_the_end = program.Running();

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

  const auto seen = server.RequestsFor(mixture.ordinary);
  const VisitCount count = CountVisits(mixture, seen, started);
  const std::size_t reports = server.RequestsFor({"/ran"}).size();
  const bool downloaded = FileBelow(scratch.Path(), mixture.payload_name);

  double peak_mb = 0;
  std::vector<std::pair<double, double>> anonymous_by_minute;
  for (const auto& [at, memory] : samples) {
    peak_mb = std::max(peak_mb, memory.pss);
    anonymous_by_minute.emplace_back(at, memory.anonymous);
  }
  const double slope = SlopePerHour(anonymous_by_minute);
  const double anonymous_growth = samples.back().second.anonymous - samples.front().second.anonymous;
  const bool memory_ok = peak_mb <= kMemoryLimitMb && anonymous_growth < kAnonymousGrowthLimitMb;
  const bool ok = ran_to_the_end && still_browsing && menu_opened && memory_ok && count.missing == 0 &&
                  count.most - count.fewest <= 1 && extra_windows.empty() && !downloaded;

  std::ostringstream out;
  out << std::fixed << std::setprecision(1);
  out << "\n## Soak\n\n"
      << "Run of " << Now() << ": `make soak SOAK_MINUTES=" << minutes << "`, " << length_min
      << " minutes of browsing at /t=1, No Cache and Loop on, over " << mixture.entries.size()
      << " entries: " << mixture.ordinary.size() << " ordinary pages, each followed by a hostile entry (";
  for (std::size_t i = 0; i < mixture.hostile_names.size(); ++i) out << (i ? ", " : "") << mixture.hostile_names[i];
  out << ").";
  if (executable != KESTROVA_EXE) out << " Program measured: " << executable << ".";
  double load[3] = {0, 0, 0};
  if (getloadavg(load, 3) == 3)
    out << " Load average at the end " << load[0] << " " << load[1] << " " << load[2] << ".";
  out << "\n\n| measure | value |\n|---|---|\n"
      << "| passes completed | " << count.passes << " |\n"
      << "| requests per ordinary page | " << count.fewest << " to " << count.most
      << (count.missing == 0 ? " (list order, none missing)"
                             : " (" + std::to_string(count.missing) + " visits missing)")
      << " |\n"
      << "| ordinary pages that ran their script | " << reports << " of " << seen.size() << " fetched |\n"
      << "| memory (PSS, program + web engine processes) after the first pass | " << samples.front().second.pss
      << " MB |\n"
      << "| memory at the end | " << samples.back().second.pss << " MB |\n"
      << "| memory, highest of the minute samples | " << peak_mb << " MB (limit " << kMemoryLimitMb << " MB) |\n"
      << "| anonymous memory after the first pass, at the end | " << samples.front().second.anonymous << " MB, "
      << samples.back().second.anonymous << " MB (growth " << anonymous_growth << " MB, limit "
      << kAnonymousGrowthLimitMb << " MB) |\n"
      << "| anonymous memory, slope of the minute samples | " << slope << " MB per hour, " << slope * 24
      << " MB in 24 hours |\n"
      << "| run still going at the end | " << (ran_to_the_end && still_browsing ? "yes" : "NO") << " |\n"
      << "| File menu opened at the end | " << (menu_opened ? "yes" : "NO") << " |\n"
      << "| windows besides the main one seen | " << extra_windows.size() << " |\n"
      << "| download written | " << (downloaded ? "YES" : "no") << " |\n"
      << "| result | " << (ok ? "passed" : "FAILED") << " |\n";
  for (const auto& anomaly : count.anomalies) out << "\n- not fetched: " << anomaly;
  out << "\n\nMemory every minute (MB; anonymous in all, then of the program, its web processes and its "
         "network process):\n\n| minute | PSS | anonymous | program | web | network |\n|---|---|---|---|---|---|\n";
  for (const auto& [at, memory] : samples) {
    out << "| " << at << " | " << memory.pss << " | " << memory.anonymous << " | " << memory.program_anonymous << " | "
        << memory.web_anonymous << " | " << memory.network_anonymous << " |\n";
  }
  std::cout << out.str();
  std::ofstream(argv[1], std::ios::app) << out.str();
  if (!ran_to_the_end) std::cerr << "soak: the program ended; stderr:\n" << program.Stderr();
  return ok ? 0 : 1;
}
