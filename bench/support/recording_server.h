#pragma once
// A web server on 127.0.0.1 that answers every GET with a page and writes down each request with
// the time it arrived: what the program under test really fetched, in order.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace kestrova::bench {

using Clock = std::chrono::steady_clock;

struct Page {
  std::string body;
  std::string content_type = "text/html; charset=utf-8";
  // Long enough that a browser which keeps its cache would not ask again during a test.
  std::string cache_control = "max-age=3600";
};

// A small HTML page whose title and heading are `title`.
Page HtmlPage(const std::string& title);

// Makes the whole answer to one request, for pages that are more than a fixed body: redirects,
// refusals, downloads. The request has been recorded before it is called.
using Handler = std::function<void(const httplib::Request&, httplib::Response&)>;

struct Request {
  std::string path;
  std::string target;  // path and query, as sent
  Clock::time_point at;
};

class RecordingServer {
 public:
  // Listens on an ephemeral port at once.
  RecordingServer();
  ~RecordingServer();
  RecordingServer(const RecordingServer&) = delete;
  RecordingServer& operator=(const RecordingServer&) = delete;

  // Any path not set up here gets HtmlPage(path).
  void Serve(const std::string& path, Page page);
  // `path` is answered by `handler` instead of a page.
  void Handle(const std::string& path, Handler handler);

  int Port() const { return port_; }
  std::string Url(const std::string& path) const;

  std::vector<Request> Requests() const;
  // The requests for these paths only, in order of arrival.
  std::vector<Request> RequestsFor(const std::vector<std::string>& paths) const;
  // Waits until `done` holds for the requests so far, or the time is up; returns the requests.
  std::vector<Request> WaitUntil(const std::function<bool(const std::vector<Request>&)>& done,
                                 Clock::duration timeout) const;

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  mutable std::mutex mutex_;
  mutable std::condition_variable arrived_;
  std::vector<Request> requests_;
  std::map<std::string, Page> pages_;
  std::map<std::string, Handler> handlers_;
};

// Only the requests among `requests` whose path is one of `paths`.
std::vector<Request> Only(const std::vector<Request>& requests, const std::vector<std::string>& paths);
// Seconds between consecutive requests.
std::vector<double> Spacings(const std::vector<Request>& requests);
double SecondsBetween(Clock::time_point from, Clock::time_point to);

}  // namespace kestrova::bench
