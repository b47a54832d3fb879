// Pages and addresses that try to hold, flood or trick the browser. Each hostile entry is followed
// by an ordinary page whose script reports that it ran: the run must reach that page on time, show
// it in a working web process, open no other window, and still answer File > Stop at the end.

#include <gtest/gtest.h>
#include <httplib.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/dead_ends.h"
#include "support/end_to_end_test.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A page that runs `script` as it loads.
Page ScriptPage(const std::string& script) {
  return Page{"<!DOCTYPE html>\n<html><head><title>hostile</title></head><body><h1>hostile</h1>\n<script>\n" +
              script + "\n</script></body></html>\n"};
}

struct HostileEntry {
  std::string name;   // for messages
  std::string entry;  // the playlist line
};

class HostilePagesTest : public EndToEndTest {
 protected:
  static std::string OrdinaryPath(std::size_t i) { return "/ok-" + std::to_string(i) + ".html"; }

  // Runs the list hostile[0], ordinary 0, hostile[1], ordinary 1, ... at one second a page, until
  // every ordinary page has been fetched and has run its script, then stops the run from the
  // File menu by keyboard. Fails the test on every way the run can go wrong.
  void RunBetweenOrdinaryPages(const std::vector<HostileEntry>& hostile) {
    std::vector<std::string> entries;
    std::vector<std::string> ordinary;
    for (std::size_t i = 0; i < hostile.size(); ++i) {
      ordinary.push_back(OrdinaryPath(i));
      server.Serve(ordinary.back(), ReportingPage("ok " + std::to_string(i), "/ran?page=" + std::to_string(i)));
      entries.push_back(hostile[i].entry);
      entries.push_back(server.Url(ordinary.back()));
    }
    const auto list = scratch.Path() / "hostile.txt";
    WritePlaylist(list, entries);
    Launch({"/f=" + list.string(), "/t=1"});
    const auto window = MainWindow();
    ASSERT_TRUE(window);

    // Watch the desktop while the run goes: any window besides the main one is a fault, however
    // briefly it shows.
    std::vector<std::string> intruders;
    const auto deadline = Clock::now() + std::chrono::seconds(2 * hostile.size() + 20);
    while (server.RequestsFor(ordinary).size() < ordinary.size() && Clock::now() < deadline) {
      for (const auto& shown : VisibleWindows(program->Pid())) {
        if (shown.id != window->id) intruders.push_back(shown.name);
      }
      ASSERT_TRUE(program->Running()) << "the program ended; stderr:\n" << program->Stderr();
      std::this_thread::sleep_for(200ms);
    }
    const auto seen = server.RequestsFor(ordinary);
    ASSERT_EQ(PathsOf(seen), ordinary) << "all requests: " << Describe(server.Requests());
    // Each ordinary page comes two intervals after the one before: its hostile neighbour took its
    // own interval, however it behaved. A web process that a hostile page left stuck is ended
    // just before the next navigation and a fresh one started, which may delay that one request
    // by up to a second and a half, but does not hold the run: the delays do not add up.
    for (std::size_t i = 0; i + 1 < seen.size(); ++i) {
      const double gap = SecondsBetween(seen[i].at, seen[i + 1].at);
      EXPECT_TRUE(gap >= 1.5 && gap <= 3.5) << "after " << hostile[i + 1].name << ": " << gap << " s";
    }
    const double whole = SecondsBetween(seen.front().at, seen.back().at);
    EXPECT_LE(whole, 2.0 * static_cast<double>(seen.size() - 1) + 2.0) << "the run fell behind: " << Describe(seen);

    // Every ordinary page was shown and ran its script, the last one too.
    const auto ran = server.WaitForRequests({"/ran"}, ordinary.size(), 3s);
    for (std::size_t i = 0; i < hostile.size(); ++i) {
      const std::string target = "/ran?page=" + std::to_string(i);
      EXPECT_TRUE(std::any_of(ran.begin(), ran.end(), [&](const Request& r) { return r.target == target; }))
          << "the page after " << hostile[i].name << " was fetched but never ran; reports: " << Describe(ran);
    }
    EXPECT_TRUE(intruders.empty()) << "windows besides the main one: " << ::testing::PrintToString(intruders);

    // The window still answers: File > Stop by its access keys ends the run before the next page.
    const auto stopped = ChooseMenuItem(program->Pid(), *window, "f", "t");
    ASSERT_TRUE(stopped) << "the File menu did not open";
    const std::size_t count_at_stop = server.Requests().size();
    std::this_thread::sleep_for(2500ms);
    const auto after = server.Requests();
    EXPECT_EQ(after.size(), count_at_stop) << "requests after the stop: "
                                           << Describe(std::vector<Request>(after.begin() + count_at_stop, after.end()));
    EXPECT_TRUE(program->Running());
    const auto windows = VisibleWindows(program->Pid());
    ASSERT_EQ(windows.size(), 1u) << "also shown: " << windows.back().name;
    EXPECT_EQ(windows.front().name, kMainCaption);
    std::cout << "[ figures  ] " << Describe(seen) << "\n";
  }
};

TEST_F(HostilePagesTest, ScriptsThatLoopOpenDialogsWindowsAndPrintHoldNothing) {
  server.Serve("/endless.html", ScriptPage("for (;;) {}"));
  server.Serve("/dialog-loop.html", ScriptPage("for (;;) { alert('a'); confirm('c'); prompt('p', 'x'); }"));
  // Bounded, so that the count of windows it got can be reported.
  server.Serve("/open-loop.html", ScriptPage("var got = 0;\n"
                                             "for (var i = 0; i < 2000; ++i) { if (window.open('/opened-' + i)) ++got; }\n"
                                             "new Image().src = '/report/open?got=' + got;"));
  server.Serve("/print.html", ScriptPage("window.print(); window.print();\n"
                                         "new Image().src = '/report/print';"));
  RunBetweenOrdinaryPages({{"an endless script", server.Url("/endless.html")},
                           {"a dialog loop", server.Url("/dialog-loop.html")},
                           {"window.open in a loop", server.Url("/open-loop.html")},
                           {"window.print()", server.Url("/print.html")}});

  const auto reports = PathsOf(server.Requests());
  EXPECT_EQ(server.RequestsFor({"/report/open"}).size(), 1u) << "the window.open loop did not finish";
  for (const auto& report : server.RequestsFor({"/report/open"})) EXPECT_EQ(report.target, "/report/open?got=0");
  EXPECT_TRUE(std::none_of(reports.begin(), reports.end(), [](const std::string& p) { return p.rfind("/opened-", 0) == 0; }))
      << "a page opened by window.open was loaded";
  EXPECT_EQ(server.RequestsFor({"/report/print"}).size(), 1u) << "the script stopped at window.print()";
}

// The files under `root`, at most `depth` folders down, whose name contains `stem`.
std::vector<fs::path> FilesNamedLike(const fs::path& root, const std::string& stem, int depth) {
  std::vector<fs::path> found;
  std::error_code error;
  if (!fs::is_directory(root, error)) return found;
  for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, error);
       it != fs::recursive_directory_iterator(); it.increment(error)) {
    if (error) break;
    if (it.depth() >= depth) it.disable_recursion_pending();
    if (it->path().filename().string().find(stem) != std::string::npos) found.push_back(it->path());
  }
  return found;
}

TEST_F(HostilePagesTest, AuthRedirectLoopDeadServersErrorsHugePagesAndDownloadsHoldNothing) {
  std::atomic<int> sent_credentials{0};
  server.Handle("/auth.html", [&](const httplib::Request& request, httplib::Response& response) {
    if (request.has_header("Authorization")) ++sent_credentials;
    response.status = 401;
    response.set_header("WWW-Authenticate", "Basic realm=\"kestrova test\"");
    response.set_content("<html><body>who are you?</body></html>", "text/html");
  });
  server.Handle("/redirect", [](const httplib::Request& request, httplib::Response& response) {
    const int hop = request.has_param("hop") ? std::stoi(request.get_param_value("hop")) : 0;
    response.set_redirect("/redirect?hop=" + std::to_string(hop + 1));
  });
  server.Handle("/404.html", [](const httplib::Request&, httplib::Response& response) {
    response.status = 404;
    response.set_content("<html><body>not here</body></html>", "text/html");
  });
  server.Handle("/500.html", [](const httplib::Request&, httplib::Response& response) {
    response.status = 500;
    response.set_content("<html><body>broken</body></html>", "text/html");
  });
  std::string huge = "<!DOCTYPE html>\n<html><body>\n";
  while (huge.size() < 20u * 1024 * 1024) huge += "<p>ballast ballast ballast ballast ballast ballast ballast</p>\n";
  huge += "</body></html>\n";
  server.Serve("/huge.html", Page{huge, "text/html; charset=utf-8", "no-store"});
  const std::string payload_name = "kestrova-payload-" + std::to_string(::getpid()) + ".bin";
  server.Handle("/download", [&](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Disposition", "attachment; filename=\"" + payload_name + "\"");
    response.set_content(std::string(1024 * 1024, '\x7f'), "application/octet-stream");
  });
  SilentListener silent;
  const int refused = ClosedPort();

  RunBetweenOrdinaryPages({{"HTTP authentication", server.Url("/auth.html")},
                           {"a redirect loop", server.Url("/redirect")},
                           {"a server that never answers", "http://127.0.0.1:" + std::to_string(silent.Port()) + "/"},
                           {"a refused port", "http://127.0.0.1:" + std::to_string(refused) + "/"},
                           {"404", server.Url("/404.html")},
                           {"500", server.Url("/500.html")},
                           {"a 20 MB page", server.Url("/huge.html")},
                           {"a download", server.Url("/download")}});

  EXPECT_EQ(server.RequestsFor({"/auth.html"}).size(), 1u) << "the refused page was asked for again";
  EXPECT_EQ(sent_credentials.load(), 0);
  const std::size_t hops = server.RequestsFor({"/redirect"}).size();
  EXPECT_GE(hops, 2u) << "the redirect was not followed at all";
  EXPECT_LE(hops, 25u) << "the redirect loop was followed without a bound";
  for (const char* path : {"/404.html", "/500.html", "/huge.html", "/download"}) {
    EXPECT_EQ(server.RequestsFor({path}).size(), 1u) << path;
  }

  // The attachment was written nowhere a browser might put it.
  const char* home = std::getenv("HOME");
  std::vector<std::pair<fs::path, int>> places{{scratch.Path(), 8}, {fs::current_path(), 0}};
  if (home != nullptr) places.insert(places.end(), {{fs::path(home), 0}, {fs::path(home) / "Downloads", 3}});
  if (const char* xdg = std::getenv("XDG_DOWNLOAD_DIR")) places.emplace_back(xdg, 3);
  for (const auto& [place, depth] : places) {
    const auto found = FilesNamedLike(place, payload_name, depth);
    EXPECT_TRUE(found.empty()) << "the download was saved: " << found.front();
  }
}

TEST_F(HostilePagesTest, LocalFoldersMissingFilesBlankAndOversizedEntriesHoldNothing) {
  fs::create_directories(scratch.Path() / "folder" / "inner");
  std::ofstream(scratch.Path() / "folder" / "note.txt") << "a file in the folder\n";
  const std::string long_url = server.Url("/long?" + std::string(64 * 1024, 'x'));

  RunBetweenOrdinaryPages({{"a folder", "file://" + (scratch.Path() / "folder").string() + "/"},
                           {"a missing file", "file://" + (scratch.Path() / "missing.html").string()},
                           {"a missing file given as a path", (scratch.Path() / "missing.html").string()},
                           {"about:blank", "about:blank"},
                           {"a 64 KB URL", long_url},
                           {"an empty entry", ""}});
}

}  // namespace
}  // namespace kestrova::e2e
