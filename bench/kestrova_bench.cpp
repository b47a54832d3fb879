// Benchmarks of the real program against a local server: the wait's accuracy, how soon Stop and
// clicks take effect, processor time idle and busy, memory over many visits, start-up time and
// big playlists; beside the same pages in Chromium where a comparison means something.
// Runs on the display named by DISPLAY (make bench starts a private Xvfb with openbox).
// Prints a table and appends it to the results file.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "site.h"
#include "support/desktop.h"
#include "support/program_process.h"
#include "support/recording_server.h"
#include "support/scratch_dir.h"
#include "support/tool.h"
#include "trace_file.h"
#include "usage.h"
#include "x_click.h"

namespace kestrova::bench {
namespace {

using namespace std::chrono_literals;

constexpr double kTwipsPerPixel = 15.0;  // at the 96 DPI of the bench's display
constexpr float kDesignClientHeight = 8640;

struct Place {
  float left, top, width, height;
};
constexpr Place kStartButton{120, 60 + 180, 615, 675};
constexpr Place kStopButton{795, 60 + 180, 615, 675};
constexpr Place kOpenButton{1485, 60 + 180, 615, 675};
constexpr Place kSaveButton{2160, 60 + 180, 615, 675};
constexpr Place kNoCacheBox{5640 + 3680, 60 + 180 + 720, 1025, 255};

// How many times each figure is measured, and for how long.
struct Settings {
  bool quick = false;
  int startup_runs = 7;
  int accuracy_visits = 60;  // per run, at /t=1 and /t=5
  int accuracy_runs_1s = 3;
  int accuracy_runs_5s = 1;
  int stops = 12;
  int clicks = 12;
  int idle_runs = 2;
  int idle_seconds = 60;
  int busy_seconds = 120;
  int log_runs = 3;  // of each kind
  std::vector<int> memory_visits{100, 500, 1000};
  int list_runs = 3;
  bool chromium = true;
  std::set<std::string> only;  // empty: every figure
  std::filesystem::path results = KESTROVA_BENCH_RESULTS;
  std::filesystem::path program = KESTROVA_EXE;  // another build to compare with

  void Quick() {
    quick = true;
    startup_runs = 3;
    accuracy_visits = 20;
    accuracy_runs_1s = 1;
    accuracy_runs_5s = 1;
    stops = 5;
    clicks = 5;
    idle_runs = 1;
    idle_seconds = 20;
    busy_seconds = 30;
    log_runs = 2;
    memory_visits = {20, 60, 100};
    list_runs = 1;
  }
  bool Wants(const std::string& figure) const { return only.empty() || only.count(figure) > 0; }
};

struct Row {
  std::string figure;
  std::string unit;
  std::vector<double> samples;
  std::string target;
  std::optional<bool> met;  // nothing: no target, or not measured
  std::string note;
};

double Median(std::vector<double> values) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return NAN;
  std::sort(values.begin(), values.end());
  const double rank = p / 100.0 * static_cast<double>(values.size() - 1);
  const std::size_t low = static_cast<std::size_t>(std::floor(rank));
  const std::size_t high = std::min(low + 1, values.size() - 1);
  return values[low] + (values[high] - values[low]) * (rank - static_cast<double>(low));
}

std::string Fixed(double value, int decimals) {
  if (std::isnan(value)) return "–";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string LoadAverage() {
  std::ifstream in("/proc/loadavg");
  double one = 0, five = 0, fifteen = 0;
  in >> one >> five >> fifteen;
  return Fixed(one, 2) + " " + Fixed(five, 2) + " " + Fixed(fifteen, 2);
}

void Log(const std::string& text) { std::cerr << "[bench " << LoadAverage() << "] " << text << std::endl; }

class Bench {
 public:
  explicit Bench(Settings settings) : settings_(std::move(settings)), random_(std::random_device{}()) {
    ServeSite(server_, 1);
    std::vector<std::string> urls;
    for (const auto& path : PlainPagePaths()) urls.push_back(server_.Url(path));
    site_list_ = scratch_.Path() / "site.txt";
    WritePlaylist(site_list_, urls);
    static_list_ = scratch_.Path() / "static.txt";
    WritePlaylist(static_list_, {server_.Url(PlainPagePaths().front())});
  }

  void Run() {
    load_before_ = LoadAverage();
    started_ = std::time(nullptr);
    // The longest first: on a shared machine the rest may have to be run again on its own.
    Guard("memory", [&] { MemoryAndBusy(); });
    Guard("start-up", [&] { StartUp(); });
    Guard("accuracy", [&] { Accuracy(1, settings_.accuracy_runs_1s); });
    Guard("accuracy", [&] { Accuracy(5, settings_.accuracy_runs_5s); });
    Guard("stop", [&] { StopLatency(); });
    for (int seconds : {30, 300, 3600}) Guard("click", [&] { Responsiveness(seconds); });
    Guard("silent", [&] { ResponsivenessBesideASilentServer(); });
    Guard("idle", [&] { Idle(); });
    Guard("lists", [&] { BigLists(); });
    Guard("log", [&] { LogCost(); });
    load_after_ = LoadAverage();
    Report();
  }

 private:
  void Guard(const std::string& figure, const std::function<void()>& measure) {
    if (!settings_.Wants(figure)) return;
    Log("measuring " + figure);
    try {
      measure();
    } catch (const std::exception& error) {
      Log(figure + " failed: " + error.what());
      rows_.push_back(Row{figure, "", {}, "", std::nullopt, std::string("not measured: ") + error.what()});
    }
  }

  // --- launching ---------------------------------------------------------------------------

  struct Launched {
    std::unique_ptr<ProgramProcess> process;
    std::filesystem::path trace;
  };

  Launched LaunchKestrova(const std::vector<std::string>& arguments) {
    const auto home = scratch_.Path() / ("kestrova-" + std::to_string(++launches_));
    std::filesystem::create_directories(home);
    const auto trace = home / "trace.log";
    setenv("KESTROVA_TRACE", trace.c_str(), 1);
    auto process = std::make_unique<ProgramProcess>(settings_.program, arguments, home);
    unsetenv("KESTROVA_TRACE");
    return Launched{std::move(process), trace};
  }

  std::unique_ptr<ProgramProcess> LaunchChromium(const std::string& url) {
    const auto home = scratch_.Path() / ("chromium-" + std::to_string(++launches_));
    const auto profile = home / "profile";
    std::filesystem::create_directories(profile);
    return std::make_unique<ProgramProcess>(
        "/usr/bin/chromium",
        std::vector<std::string>{"--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                                 "--user-data-dir=" + profile.string(), url},
        home);
  }

  // The requests for `paths` that came at or after `since`.
  std::vector<Request> PageRequestsSince(const std::vector<std::string>& paths, Clock::time_point since) const {
    std::vector<Request> kept;
    for (const auto& request : server_.RequestsFor(paths)) {
      if (request.at >= since) kept.push_back(request);
    }
    return kept;
  }

  std::vector<Request> WaitForPageRequests(const std::vector<std::string>& paths, Clock::time_point since,
                                           std::size_t count, Clock::duration timeout) const {
    server_.WaitUntil(
        [&](const std::vector<Request>& all) {
          std::size_t n = 0;
          for (const auto& request : all) {
            if (request.at >= since && std::find(paths.begin(), paths.end(), request.path) != paths.end()) ++n;
          }
          return n >= count;
        },
        timeout);
    return PageRequestsSince(paths, since);
  }

  Window MainWindowOf(ProgramProcess& process) {
    auto window = WaitForWindow(process.Pid(), "Kestrova Pro Version", 30s);
    if (!window) throw std::runtime_error("the main window did not appear");
    return *window;
  }

  // Moves the pointer onto a control and returns a function that clicks it there, so that the
  // moment of the click can be taken just before the button goes down.
  void PointAt(const Window& window, const Place& place) {
    const auto geometry = GeometryOf(window);
    if (!geometry) throw std::runtime_error("no geometry for the main window");
    const int menu_bar = geometry->height - static_cast<int>(std::lround(kDesignClientHeight / kTwipsPerPixel));
    const int x = static_cast<int>(std::lround((place.left + place.width / 2) / kTwipsPerPixel));
    const int y = menu_bar + static_cast<int>(std::lround((place.top + place.height / 2) / kTwipsPerPixel));
    if (!RunTool({"xdotool", "mousemove", "--window", window.id, std::to_string(x), std::to_string(y)}).Succeeded()) {
      throw std::runtime_error("xdotool mousemove failed");
    }
  }

  std::int64_t ClickNow() { return ClickWhereThePointerIs(); }

  double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }

  // --- figures -----------------------------------------------------------------------------

  void StartUp() {
    Row row{"start-up: exec to first request, /t=1", "s", {}, "≤ 1.5", {}, ""};
    for (int run = 0; run < settings_.startup_runs; ++run) {
      auto launched = LaunchKestrova({"/f=" + site_list_.string(), "/t=1"});
      const auto since = launched.process->StartedAt();
      auto requests = WaitForPageRequests(PlainPagePaths(), since, 1, 30s);
      if (requests.empty()) throw std::runtime_error("no request within 30 s of the start");
      row.samples.push_back(SecondsBetween(since, requests.front().at));
      launched.process->Kill();
      std::this_thread::sleep_for(1s);
    }
    row.met = Median(row.samples) <= 1.5;
    rows_.push_back(row);
  }

  void Accuracy(int seconds, int runs) {
    // The first spacing is left out: the first page reaches the server late while the web engine
    // starts its network process.
    const int visits = settings_.accuracy_visits;
    Row median{"wait accuracy /t=" + std::to_string(seconds) + ": median spacing − interval",
               "ms",
               {},
               "abs ≤ " + Fixed(seconds * 10.0 + 20, 0),
               {},
               ""};
    Row p99{"wait accuracy /t=" + std::to_string(seconds) + ": 99th pct of abs(spacing − interval)",
            "ms",
            {},
            "≤ " + Fixed(seconds * 50.0 + 50, 0),
            {},
            ""};
    std::size_t spacings_seen = 0;
    std::vector<double> navigations;
    for (int run = 0; run < runs; ++run) {
      auto launched = LaunchKestrova({"/f=" + site_list_.string(), "/t=" + std::to_string(seconds)});
      const auto since = launched.process->StartedAt();
      auto requests = WaitForPageRequests(PlainPagePaths(), since, static_cast<std::size_t>(visits + 2),
                                          std::chrono::seconds((visits + 10) * (seconds + 1)));
      launched.process->Kill();
      if (requests.size() < 3) throw std::runtime_error("too few visits");
      std::vector<double> deviations;
      const auto spacings = Spacings(requests);
      const auto trace = ReadTrace(launched.trace);
      std::int64_t last_navigation = -1;
      for (const auto& line : trace) {
        if (line.event.rfind("navigate ", 0) == 0) {
          if (last_navigation >= 0)
            navigations.push_back(static_cast<double>(line.ms - last_navigation) - seconds * 1000.0);
          last_navigation = line.ms;
        }
      }
      for (std::size_t i = 1; i < spacings.size(); ++i) {
        deviations.push_back(spacings[i] * 1000.0 - seconds * 1000.0);
        if (deviations.back() > 100) {
          // What the program did between the two requests, for whoever reads the log.
          const std::int64_t from = SteadyMs(requests[i].at), to = SteadyMs(requests[i + 1].at);
          std::string steps;
          for (const auto& line : trace) {
            if (line.ms >= from - 50 && line.ms <= to)
              steps += " +" + std::to_string(line.ms - from) + " " + line.event + ";";
          }
          Log("late by " + Fixed(deviations.back(), 0) + " ms:" + steps + " (next request at +" +
              std::to_string(to - from) + ")");
        }
      }
      spacings_seen += deviations.size();
      median.samples.push_back(Median(deviations));
      std::vector<double> absolute;
      for (double d : deviations) absolute.push_back(std::fabs(d));
      p99.samples.push_back(Percentile(absolute, 99));
    }
    median.met = std::all_of(median.samples.begin(), median.samples.end(),
                             [&](double v) { return std::fabs(v) <= seconds * 10.0 + 20; });
    p99.met = std::all_of(p99.samples.begin(), p99.samples.end(), [&](double v) { return v <= seconds * 50.0 + 50; });
    median.note = p99.note = std::to_string(spacings_seen) + " spacings in " + std::to_string(runs) + " run(s)";
    median.note += "; in the program: navigation spacing − interval median " + Fixed(Median(navigations), 0) + " ms";
    rows_.push_back(median);
    rows_.push_back(p99);
  }

  void StopLatency() {
    Row row{"stop latency: click on Stop in a /t=10 wait to run ended", "ms", {}, "≤ 1050", {}, ""};
    auto launched = LaunchKestrova({"/f=" + site_list_.string(), "/t=10"});
    const Window window = MainWindowOf(*launched.process);
    std::int64_t after = 0;
    for (int stop = 0; stop < settings_.stops; ++stop) {
      auto navigated = WaitForTrace(launched.trace, "navigate ", after, 30s);
      if (!navigated) throw std::runtime_error("no navigation traced");
      PointAt(window, kStopButton);
      const std::int64_t click_at = navigated->ms + static_cast<std::int64_t>(Uniform(300, 9700));
      std::this_thread::sleep_for(std::chrono::milliseconds(std::max<std::int64_t>(0, click_at - SteadyMs())));
      const std::int64_t clicked = ClickNow();
      auto ended = WaitForTrace(launched.trace, "run ended", clicked - 1, 20s);
      if (!ended) throw std::runtime_error("the run did not end after Stop");
      row.samples.push_back(static_cast<double>(ended->ms - clicked));
      after = ended->ms;
      PointAt(window, kStartButton);
      ClickNow();
    }
    launched.process->Kill();
    row.met = *std::max_element(row.samples.begin(), row.samples.end()) <= 1050;
    row.note = std::to_string(row.samples.size()) + " stops at random moments; max must meet the target";
    rows_.push_back(row);
  }

  // Clicks at random moments of the first page's wait, which at these intervals is far longer than
  // the clicks take: a slice is a hundredth of the interval (0.3 s, 3 s, 36 s).
  void Responsiveness(int seconds) {
    Row row{
        "responsiveness: click in a /t=" + std::to_string(seconds) + " wait to its handler", "ms", {}, "≤ 30", {}, ""};
    while (static_cast<int>(row.samples.size()) < settings_.clicks) {
      auto launched = LaunchKestrova({"/f=" + site_list_.string(), "/t=" + std::to_string(seconds)});
      const Window window = MainWindowOf(*launched.process);
      auto navigated = WaitForTrace(launched.trace, "navigate ", 0, 30s);
      if (!navigated) throw std::runtime_error("no navigation traced");
      PointAt(window, kNoCacheBox);
      std::int64_t next = navigated->ms + 2000;
      while (static_cast<int>(row.samples.size()) < settings_.clicks) {
        next += static_cast<std::int64_t>(Uniform(300, 2500));
        if (next > navigated->ms + seconds * 1000 - 1000) break;  // the next page would come first
        std::this_thread::sleep_for(std::chrono::milliseconds(std::max<std::int64_t>(0, next - SteadyMs())));
        const std::int64_t clicked = ClickNow();
        auto handled = WaitForTrace(launched.trace, "handler ckCache", clicked - 1, 60s);
        if (!handled) throw std::runtime_error("the click was not handled");
        row.samples.push_back(static_cast<double>(handled->ms - clicked));
        next = std::max(next, SteadyMs());
      }
      launched.process->Kill();
    }
    row.met = *std::max_element(row.samples.begin(), row.samples.end()) <= 30;
    row.note = std::to_string(row.samples.size()) + " clicks on No Cache; max must meet the target";
    rows_.push_back(row);
  }

  // Clicks at random moments of a /t=1 run over pages whose server takes the connection and never
  // answers, so that every navigation waits on the guard for the page before to be sent.
  void ResponsivenessBesideASilentServer() {
    Row row{"click → handler while the page's server never answers (/t=1)", "ms", {}, "≤ 30", {}, ""};
    const int silent = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (silent < 0 || bind(silent, reinterpret_cast<sockaddr*>(&address), length) != 0 || listen(silent, 128) != 0 ||
        getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      throw std::runtime_error("no socket for the silent server");
    }
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    const auto list = scratch_.Path() / "silent.txt";
    WritePlaylist(list, {url + "a.html", url + "b.html"});
    auto launched = LaunchKestrova({"/f=" + list.string(), "/t=1"});
    const Window window = MainWindowOf(*launched.process);
    auto navigated = WaitForTrace(launched.trace, "navigate ", 0, 30s);
    if (!navigated) throw std::runtime_error("no navigation traced");
    PointAt(window, kNoCacheBox);
    std::int64_t next = navigated->ms + 2000;
    while (static_cast<int>(row.samples.size()) < 4 * settings_.clicks) {
      next += static_cast<std::int64_t>(Uniform(200, 900));
      std::this_thread::sleep_for(std::chrono::milliseconds(std::max<std::int64_t>(0, next - SteadyMs())));
      const std::int64_t clicked = ClickNow();
      auto handled = WaitForTrace(launched.trace, "handler ckCache", clicked - 1, 60s);
      if (!handled) throw std::runtime_error("the click was not handled");
      row.samples.push_back(static_cast<double>(handled->ms - clicked));
      next = std::max(next, SteadyMs());
    }
    launched.process->Kill();
    close(silent);
    row.met = *std::max_element(row.samples.begin(), row.samples.end()) <= 30;
    row.note = std::to_string(row.samples.size()) + " clicks on No Cache; max must meet the target";
    rows_.push_back(row);
  }

  // Processor time over `idle_seconds` of a page that is shown and left alone.
  double IdlePercent(ProgramProcess& process, const std::string& path) {
    auto requests = WaitForPageRequests({path}, process.StartedAt(), 1, 30s);
    if (requests.empty()) throw std::runtime_error("the page was not requested");
    std::this_thread::sleep_until(requests.front().at + 5s);
    CpuMeter meter(process.Pid());
    SampleFor(meter, std::chrono::seconds(settings_.idle_seconds));
    return meter.PercentOfOneCore();
  }

  void Idle() {
    Row ours{"idle cost: CPU over a " + std::to_string(settings_.idle_seconds) + " s wait, static page",
             "% of a core",
             {},
             "≤ 0.5",
             {},
             "program + WebKit processes"};
    Row theirs{"idle cost: Chromium, same page, same time", "% of a core", {}, "", std::nullopt, "browser + helpers"};
    const std::string page = PlainPagePaths().front();
    for (int run = 0; run < settings_.idle_runs; ++run) {
      // The wait outlasts the measurement: the page is fetched once.
      auto launched =
          LaunchKestrova({"/f=" + static_list_.string(), "/t=" + std::to_string(settings_.idle_seconds + 15)});
      ours.samples.push_back(IdlePercent(*launched.process, page));
      launched.process->Kill();
      if (settings_.chromium) {
        auto chromium = LaunchChromium(server_.Url(page));
        theirs.samples.push_back(IdlePercent(*chromium, page));
        chromium->Kill();
      }
    }
    ours.met = Median(ours.samples) <= 0.5;
    ours.note += "; median must meet the target";
    rows_.push_back(ours);
    if (!theirs.samples.empty()) {
      rows_.push_back(theirs);
      rows_.push_back(Row{"idle cost: ours ÷ Chromium's (medians)",
                          "ratio",
                          {Median(ours.samples) / Median(theirs.samples)},
                          "",
                          std::nullopt,
                          ""});
    }
  }

  struct Visits {
    double busy_percent = 0;
    std::vector<double> pss_mb;  // at each of memory_visits
    std::vector<double> anon_mb;
    // Resource requests per page request from the second pass over the pages on, when every
    // resource could come from a cache.
    double resources_per_visit = NAN;
  };

  // Follows a browser through memory_visits page visits at one a second: processor time over
  // `busy_seconds` from the fifth visit on, and memory once each count of visits is reached.
  Visits FollowVisits(ProgramProcess& process, const std::vector<std::string>& paths, const std::string& who) {
    Visits visits;
    const auto since = process.StartedAt();
    if (WaitForPageRequests(paths, since, 5, 60s).size() < 5) throw std::runtime_error(who + ": no fifth visit");
    CpuMeter meter(process.Pid());
    SampleFor(meter, std::chrono::seconds(settings_.busy_seconds));
    visits.busy_percent = meter.PercentOfOneCore();
    Log(who + " busy " + Fixed(visits.busy_percent, 1) + "%");
    for (int count : settings_.memory_visits) {
      auto requests =
          WaitForPageRequests(paths, since, static_cast<std::size_t>(count), std::chrono::seconds(count * 3));
      if (static_cast<int>(requests.size()) < count) throw std::runtime_error(who + ": fewer visits than asked for");
      // Let the page in hand load before memory is read.
      std::this_thread::sleep_until(requests[static_cast<std::size_t>(count) - 1].at + 600ms);
      visits.pss_mb.push_back(TotalPssMb(process.Pid()));
      visits.anon_mb.push_back(AnonymousPssMb(process.Pid()));
      Log(who + " after " + std::to_string(count) + " visits: " + Fixed(visits.pss_mb.back(), 1) + " MB, anonymous " +
          Fixed(visits.anon_mb.back(), 1) + " MB");
    }
    const auto pages = PageRequestsSince(paths, since);
    if (pages.size() > kSitePages) {
      const auto second_pass = pages[kSitePages].at;
      const std::size_t visited = pages.size() - kSitePages;
      std::size_t resources = 0;
      for (const auto& request : server_.Requests()) {
        if (request.at >= second_pass && request.path.rfind("/s/", 0) == 0) ++resources;
      }
      visits.resources_per_visit = static_cast<double>(resources) / static_cast<double>(visited);
    }
    return visits;
  }

  // Busy processor time browsing the pages without and with the visit log, alternately, so that
  // both see the same neighbours on a shared machine.
  void LogCost() {
    Row without{
        "log cost: busy CPU, 20 pages at /t=1 for " + std::to_string(settings_.busy_seconds) + " s, without /l=",
        "% of a core",
        {},
        "",
        std::nullopt,
        "No Cache on"};
    Row with{"log cost: the same with /l=", "% of a core", {}, "", std::nullopt, ""};
    std::size_t lines = 0;
    for (int run = 0; run < settings_.log_runs; ++run) {
      for (const bool logged : {false, true}) {
        const auto log = scratch_.Path() / ("visits-" + std::to_string(launches_ + 1) + ".jsonl");
        std::vector<std::string> arguments{"/f=" + site_list_.string(), "/t=1"};
        if (logged) arguments.push_back("/l=" + log.string());
        auto launched = LaunchKestrova(arguments);
        if (WaitForPageRequests(PlainPagePaths(), launched.process->StartedAt(), 5, 60s).size() < 5) {
          throw std::runtime_error("no fifth visit");
        }
        CpuMeter meter(launched.process->Pid());
        SampleFor(meter, std::chrono::seconds(settings_.busy_seconds));
        launched.process->Kill();
        (logged ? with : without).samples.push_back(meter.PercentOfOneCore());
        if (logged) {
          std::ifstream file(log);
          for (std::string line; std::getline(file, line);) ++lines;
        }
      }
    }
    // Within noise: the medians differ by no more than the runs of either kind differ among
    // themselves.
    const auto spread = [](const std::vector<double>& v) {
      return *std::max_element(v.begin(), v.end()) - *std::min_element(v.begin(), v.end());
    };
    const double difference = Median(with.samples) - Median(without.samples);
    with.target = "within noise";
    with.met = std::abs(difference) <= std::max(spread(with.samples), spread(without.samples));
    with.note = "median " + Fixed(difference, 1) + " points from without; " + std::to_string(lines) +
                " lines logged; runs alternated";
    rows_.push_back(without);
    rows_.push_back(with);
  }

  void MemoryAndBusy() {
    auto launched = LaunchKestrova({"/f=" + site_list_.string(), "/t=1"});
    const Visits ours = FollowVisits(*launched.process, PlainPagePaths(), "kestrova");
    launched.process->Kill();
    std::optional<Visits> theirs;
    if (settings_.chromium) {
      auto chromium = LaunchChromium(server_.Url(RefreshingPagePaths().front()));
      theirs = FollowVisits(*chromium, RefreshingPagePaths(), "chromium");
      chromium->Kill();
    }

    const std::string busy_name =
        "busy cost: CPU browsing the 20 pages at /t=1 for " + std::to_string(settings_.busy_seconds) + " s";
    Row busy{busy_name, "% of a core", {ours.busy_percent}, "below Chromium's", {}, "No Cache on"};
    if (theirs) busy.met = ours.busy_percent < theirs->busy_percent;
    rows_.push_back(busy);
    if (theirs) {
      rows_.push_back(Row{"busy cost: Chromium cycling the same pages by refresh",
                          "% of a core",
                          {theirs->busy_percent},
                          "",
                          std::nullopt,
                          "its cache on"});
    }
    for (std::size_t i = 0; i < settings_.memory_visits.size(); ++i) {
      const std::string visits = std::to_string(settings_.memory_visits[i]);
      Row row{"memory: PSS after " + visits + " visits",       "MB", {ours.pss_mb[i]}, "≤ 300", ours.pss_mb[i] <= 300,
              "anonymous " + Fixed(ours.anon_mb[i], 1) + " MB"};
      if (theirs) {
        row.target += ", below Chromium's";
        row.met = ours.pss_mb[i] <= 300 && ours.pss_mb[i] < theirs->pss_mb[i];
        row.note += "; Chromium " + Fixed(theirs->pss_mb[i], 1) + " MB (anonymous " + Fixed(theirs->anon_mb[i], 1) +
                    " MB); ratio " + Fixed(ours.pss_mb[i] / theirs->pss_mb[i], 2);
      }
      rows_.push_back(row);
    }
    // Each page loads four resources: 5 when nothing but the page is cached, 1 for the page alone.
    Row requests{"requests per visit from the second pass (page + resources)",
                 "requests",
                 {1 + ours.resources_per_visit},
                 "≤ 1.1 (the page alone)",
                 1 + ours.resources_per_visit <= 1.1,
                 "No Cache on; " + Fixed(ours.resources_per_visit, 2) + " resource requests per visit"};
    if (theirs)
      requests.note += "; Chromium " + Fixed(1 + theirs->resources_per_visit, 2) + " (its pages sent with no-cache)";
    rows_.push_back(requests);
    const double growth = ours.pss_mb.back() - ours.pss_mb.front();
    rows_.push_back(Row{"memory: growth from " + std::to_string(settings_.memory_visits.front()) + " to " +
                            std::to_string(settings_.memory_visits.back()) + " visits",
                        "MB",
                        {growth},
                        "≤ 10",
                        growth <= 10,
                        "anonymous " + Fixed(ours.anon_mb.back() - ours.anon_mb.front(), 1) + " MB" +
                            (theirs ? "; Chromium " + Fixed(theirs->pss_mb.back() - theirs->pss_mb.front(), 1) + " MB"
                                    : std::string())});
  }

  // Loads and saves a long playlist through the file dialogs of the real window.
  void BigLists() {
    struct Size {
      int lines;
      double load_target;
      double save_target;
    };
    for (const Size size : {Size{32767, 0.5, 0.2}, Size{100000, 1.5, 0.5}}) {
      const auto list = scratch_.Path() / ("list-" + std::to_string(size.lines) + ".txt");
      std::vector<std::string> urls;
      for (int i = 0; i < size.lines; ++i) {
        urls.push_back(server_.Url(PlainPagePaths()[static_cast<std::size_t>(i % kSitePages)]) +
                       "?entry=" + std::to_string(i));
      }
      WritePlaylist(list, urls);
      Row load{"big list: load " + std::to_string(size.lines) + " lines",
               "s",
               {},
               "≤ " + Fixed(size.load_target, 1),
               {},
               "Return in the dialog to the list filled"};
      Row save{"big list: save " + std::to_string(size.lines) + " lines",
               "s",
               {},
               "≤ " + Fixed(size.save_target, 1),
               {},
               "Return in the dialog to the file written"};
      // The same, from the moment the file dialog handed the name back: the program's own share.
      Row load_own{"big list: load " + std::to_string(size.lines) + " lines, after the dialog",
                   "s",
                   {},
                   "",
                   {},
                   "dialog returned to the list filled"};
      Row save_own{"big list: save " + std::to_string(size.lines) + " lines, after the dialog",
                   "s",
                   {},
                   "",
                   {},
                   "dialog returned to the file written"};
      for (int run = 0; run < settings_.list_runs; ++run) {
        auto launched = LaunchKestrova({});
        const Window window = MainWindowOf(*launched.process);
        const pid_t pid = launched.process->Pid();

        PointAt(window, kOpenButton);
        ClickNow();
        auto dialog = WaitForWindow(pid, "Select a file", 10s);
        if (!dialog) throw std::runtime_error("no open dialog");
        Activate(*dialog);
        std::this_thread::sleep_for(300ms);
        TypeText(list.string());
        std::this_thread::sleep_for(500ms);
        const std::int64_t opened = SteadyMs();
        PressKeys({"Return"});
        auto filled = WaitForTrace(launched.trace, "list items " + std::to_string(size.lines), opened - 1, 30s);
        if (!filled) throw std::runtime_error("the list was not loaded");
        load.samples.push_back(static_cast<double>(filled->ms - opened) / 1000.0);
        if (auto closed = WaitForTrace(launched.trace, "file dialog closed", opened - 1, 1s)) {
          load_own.samples.push_back(static_cast<double>(filled->ms - closed->ms) / 1000.0);
        }

        const auto saved_file = launched.trace.parent_path() / "saved.txt";
        PointAt(window, kSaveButton);
        ClickNow();
        dialog = WaitForWindow(pid, "Select a file", 10s);
        if (!dialog) throw std::runtime_error("no save dialog");
        Activate(*dialog);
        std::this_thread::sleep_for(300ms);
        PressKeys({"ctrl+a"});
        TypeText(saved_file.string());
        std::this_thread::sleep_for(500ms);
        const std::int64_t save_at = SteadyMs();
        PressKeys({"Return"});
        auto done = WaitForTrace(launched.trace, "handler cmdSave done", save_at - 1, 30s);
        if (!done) throw std::runtime_error("the list was not saved");
        if (std::filesystem::file_size(saved_file) != std::filesystem::file_size(list)) {
          throw std::runtime_error("the saved list differs in size from the loaded one");
        }
        save.samples.push_back(static_cast<double>(done->ms - save_at) / 1000.0);
        if (auto closed = WaitForTrace(launched.trace, "file dialog closed", save_at - 1, 1s)) {
          save_own.samples.push_back(static_cast<double>(done->ms - closed->ms) / 1000.0);
        }
        // Where the time went, for whoever reads the log.
        std::string steps;
        for (const auto& line : ReadTrace(launched.trace)) {
          if (line.ms >= opened) steps += " +" + std::to_string(line.ms - opened) + " " + line.event + ";";
        }
        Log("from Return in the open dialog:" + steps + " (save's Return at +" + std::to_string(save_at - opened) +
            ")");
        launched.process->Kill();
      }
      load.met = Median(load.samples) <= size.load_target;
      save.met = Median(save.samples) <= size.save_target;
      rows_.push_back(load);
      rows_.push_back(load_own);
      rows_.push_back(save);
      rows_.push_back(save_own);
    }
  }

  // --- report ------------------------------------------------------------------------------

  std::string Machine() const {
    utsname name{};
    uname(&name);
    std::string cpu;
    std::ifstream in("/proc/cpuinfo");
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("model name", 0) == 0) {
        cpu = line.substr(line.find(':') + 2);
        break;
      }
    }
    return std::string(name.nodename) + ", " + name.sysname + " " + name.release + ", " + cpu + ", " +
           std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores";
  }

  std::string Table() const {
    std::ostringstream out;
    char date[64];
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M UTC", std::gmtime(&started_));
    const auto commit = RunTool({"git", "-C", KESTROVA_SOURCE_DIR, "rev-parse", "--short", "HEAD"});
    std::string revision = commit.out;
    if (!revision.empty() && revision.back() == '\n') revision.pop_back();
    out << "## " << date << (settings_.quick ? " (quick)" : "") << "\n\n";
    out << "Machine: " << Machine() << ". Commit " << revision << ". Display: Xvfb + openbox.\n";
    if (settings_.program != KESTROVA_EXE) out << "Program measured: " << settings_.program.string() << ".\n";
    out << "Load average (1, 5, 15 min) at the start " << load_before_ << ", at the end " << load_after_ << ".\n\n";
    out << "| figure | unit | median | min | max | runs | target | met | note |\n";
    out << "|---|---|---|---|---|---|---|---|---|\n";
    for (const auto& row : rows_) {
      const auto [low, high] = std::minmax_element(row.samples.begin(), row.samples.end());
      const bool some = !row.samples.empty();
      const int decimals = row.unit == "s" ? 3 : (row.unit == "ratio" ? 2 : 1);
      out << "| " << row.figure << " | " << row.unit << " | " << (some ? Fixed(Median(row.samples), decimals) : "–")
          << " | " << (some ? Fixed(*low, decimals) : "–") << " | " << (some ? Fixed(*high, decimals) : "–") << " | "
          << row.samples.size() << " | " << row.target << " | " << (row.met ? (*row.met ? "yes" : "**no**") : "")
          << " | " << row.note << " |\n";
    }
    return out.str();
  }

  void Report() {
    const std::string table = Table();
    std::cout << table << std::flush;
    std::ofstream results(settings_.results, std::ios::app);
    results << "\n" << table;
    Log("appended to " + settings_.results.string());
  }

  Settings settings_;
  RecordingServer server_;
  ScratchDir scratch_;
  std::filesystem::path site_list_;
  std::filesystem::path static_list_;
  std::mt19937_64 random_;
  int launches_ = 0;
  std::vector<Row> rows_;
  std::string load_before_;
  std::string load_after_;
  std::time_t started_ = 0;
};

}  // namespace
}  // namespace kestrova::bench

int main(int argc, char** argv) {
  kestrova::bench::Settings settings;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--quick") {
      settings.Quick();
    } else if (argument == "--no-chromium") {
      settings.chromium = false;
    } else if (argument.rfind("--only=", 0) == 0) {
      std::istringstream names(argument.substr(7));
      for (std::string name; std::getline(names, name, ',');) settings.only.insert(name);
    } else if (argument.rfind("--visits=", 0) == 0) {
      std::istringstream counts(argument.substr(9));
      settings.memory_visits.clear();
      for (std::string count; std::getline(counts, count, ',');) settings.memory_visits.push_back(std::stoi(count));
    } else if (argument.rfind("--program=", 0) == 0) {
      settings.program = argument.substr(10);
    } else if (argument.rfind("--results=", 0) == 0) {
      settings.results = argument.substr(10);
    } else {
      std::cerr << "usage: kestrova_bench [--quick] [--no-chromium] [--only=start-up,accuracy,stop,click,silent,"
                   "idle,lists,memory,log] [--visits=100,500,1000] [--program=KESTROVA] [--results=FILE]\n";
      return 2;
    }
  }
  if (std::getenv("DISPLAY") == nullptr) {
    std::cerr << "kestrova_bench: no DISPLAY; run it through scripts/run-under-x (make bench does)\n";
    return 2;
  }
  if (settings.chromium && access("/usr/bin/chromium", X_OK) != 0) {
    std::cerr << "kestrova_bench: /usr/bin/chromium is missing (apt-get install chromium), or pass --no-chromium\n";
    return 2;
  }
  kestrova::bench::Bench(std::move(settings)).Run();
  return 0;
}
