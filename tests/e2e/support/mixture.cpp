#include "support/mixture.h"

#include <httplib.h>
#include <unistd.h>

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace kestrova::e2e {
namespace {

Page ScriptPage(const std::string& script) {
  return Page{"<!DOCTYPE html>\n<html><head><title>hostile</title></head><body><h1>hostile</h1>\n<script>\n" +
              script + "\n</script></body></html>\n"};
}

}  // namespace

Mixture::Mixture(RecordingServer& server, const std::filesystem::path& scratch)
    : payload_name("kestrova-payload-" + std::to_string(::getpid()) + ".bin") {
  server.Serve("/endless.html", ScriptPage("for (;;) {}"));
  server.Serve("/dialogs.html", ScriptPage("for (;;) { alert('a'); confirm('c'); prompt('p', 'x'); }"));
  // Bounded, so that it can say how many windows it got.
  server.Serve("/open.html", ScriptPage("var got = 0;\n"
                                        "for (var i = 0; i < 2000; ++i) { if (window.open('/opened-' + i)) ++got; }\n"
                                        "new Image().src = '/report/open?got=' + got;"));
  server.Serve("/print.html", ScriptPage("window.print(); window.print();\nnew Image().src = '/report/print';"));
  server.Handle("/auth.html", [](const httplib::Request& request, httplib::Response& response) {
    response.status = request.has_header("Authorization") ? 400 : 401;
    response.set_header("WWW-Authenticate", "Basic realm=\"kestrova\"");
    response.set_content("who are you?", "text/html");
  });
  server.Handle("/redirect", [](const httplib::Request& request, httplib::Response& response) {
    const int hop = request.has_param("hop") ? std::stoi(request.get_param_value("hop")) : 0;
    response.set_redirect("/redirect?hop=" + std::to_string(hop + 1));
  });
  for (int status : {404, 500}) {
    server.Handle("/" + std::to_string(status) + ".html", [status](const httplib::Request&, httplib::Response& response) {
      response.status = status;
      response.set_content("no page", "text/html");
    });
  }
  server.Handle("/download", [this](const httplib::Request&, httplib::Response& response) {
    response.set_header("Content-Disposition", "attachment; filename=\"" + payload_name + "\"");
    response.set_content(std::string(1024 * 1024, '\x7f'), "application/octet-stream");
  });
  std::string huge = "<!DOCTYPE html>\n<html><body>\n";
  while (huge.size() < 20u * 1024 * 1024) huge += "<p>ballast ballast ballast ballast ballast ballast ballast</p>\n";
  server.Serve("/huge.html", Page{huge, "text/html; charset=utf-8", "no-store"});
  std::filesystem::create_directories(scratch / "folder" / "inner");

  const std::vector<std::pair<std::string, std::string>> hostile{
      {"an endless script", server.Url("/endless.html")},
      {"a dialog loop", server.Url("/dialogs.html")},
      {"window.open in a loop", server.Url("/open.html")},
      {"window.print()", server.Url("/print.html")},
      {"HTTP authentication", server.Url("/auth.html")},
      {"a redirect loop", server.Url("/redirect")},
      {"404", server.Url("/404.html")},
      {"500", server.Url("/500.html")},
      {"a download", server.Url("/download")},
      {"a 20 MB page", server.Url("/huge.html")},
      {"a server that never answers", "http://127.0.0.1:" + std::to_string(silent_.Port()) + "/"},
      {"a refused port", "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"},
      {"a folder", "file://" + (scratch / "folder").string() + "/"},
      {"a missing file", "file://" + (scratch / "missing.html").string()},
      {"a missing file given as a path", (scratch / "missing.html").string()},
      {"a 64 KB URL", server.Url("/long?" + std::string(64 * 1024, 'x'))},
      {"about:blank", "about:blank"},
      {"an empty entry", ""},
  };
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    ordinary.push_back("/page-" + std::to_string(i) + ".html");
    server.Serve(ordinary.back(), ReportingPage("page " + std::to_string(i), "/ran?page=" + std::to_string(i)));
    entries.push_back(server.Url(ordinary.back()));
    entries.push_back(hostile[i].second);
    hostile_names.push_back(hostile[i].first);
  }
  // No Cache fetches the page alone afresh: what a page loads, its reports too, comes from the
  // cache when it may, so the reports say they may not.
  for (const char* report : {"/ran", "/report/open", "/report/print"}) server.Serve(report, Page{"", "image/gif", "no-store"});
}

VisitCount CountVisits(const Mixture& mixture, const std::vector<Request>& seen, Clock::time_point started) {
  const auto& ordinary = mixture.ordinary;
  VisitCount count;
  std::size_t due = 0;
  for (const auto& request : seen) {
    const auto at = static_cast<std::size_t>(std::find(ordinary.begin(), ordinary.end(), request.path) - ordinary.begin());
    const std::size_t missed = (at + ordinary.size() - due) % ordinary.size();
    if (missed != 0 && count.anomalies.size() < 8) {
      std::ostringstream note;
      note << ordinary[due] << " (after " << mixture.hostile_names[(due + ordinary.size() - 1) % ordinary.size()]
           << ") missing before " << std::fixed << std::setprecision(1) << SecondsBetween(started, request.at) << " s";
      count.anomalies.push_back(note.str());
    }
    count.missing += missed;
    due = (at + 1) % ordinary.size();
  }
  count.passes = seen.size() / ordinary.size();
  count.fewest = SIZE_MAX;
  for (const auto& path : ordinary) {
    const std::size_t requests = Only(seen, {path}).size();
    count.fewest = std::min(count.fewest, requests);
    count.most = std::max(count.most, requests);
  }
  return count;
}

bool FileBelow(const std::filesystem::path& root, const std::string& name) {
  std::error_code error;
  for (auto it = std::filesystem::recursive_directory_iterator(
           root, std::filesystem::directory_options::skip_permission_denied, error);
       !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
    if (it->path().filename().string().find(name) != std::string::npos) return true;
  }
  return false;
}

}  // namespace kestrova::e2e
