#include "support/recording_server.h"

#include <httplib.h>

#include <algorithm>
#include <stdexcept>

namespace kestrova::bench {

Page HtmlPage(const std::string& title) {
  return Page{"<!DOCTYPE html>\n<html><head><title>" + title + "</title></head><body><h1>" + title +
              "</h1></body></html>\n"};
}

RecordingServer::RecordingServer() : server_(std::make_unique<httplib::Server>()) {
  server_->Get(".*", [this](const httplib::Request& request, httplib::Response& response) {
    Page page;
    Handler handler;
    {
      std::lock_guard lock(mutex_);
      requests_.push_back(Request{request.path, request.target, Clock::now()});
      auto it = pages_.find(request.path);
      page = it == pages_.end() ? HtmlPage(request.path) : it->second;
      if (auto own = handlers_.find(request.path); own != handlers_.end()) handler = own->second;
    }
    arrived_.notify_all();
    if (handler) {
      handler(request, response);
      return;
    }
    if (!page.cache_control.empty()) response.set_header("Cache-Control", page.cache_control);
    response.set_content(page.body, page.content_type.c_str());
  });
  port_ = server_->bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("the test server could not bind to 127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  // A stop before the server runs would be lost, and the destructor would wait for ever.
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

RecordingServer::~RecordingServer() {
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

void RecordingServer::Serve(const std::string& path, Page page) {
  std::lock_guard lock(mutex_);
  pages_[path] = std::move(page);
}

void RecordingServer::Handle(const std::string& path, Handler handler) {
  std::lock_guard lock(mutex_);
  handlers_[path] = std::move(handler);
}

std::string RecordingServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<Request> RecordingServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::vector<Request> RecordingServer::RequestsFor(const std::vector<std::string>& paths) const {
  return Only(Requests(), paths);
}

std::vector<Request> RecordingServer::WaitUntil(const std::function<bool(const std::vector<Request>&)>& done,
                                                Clock::duration timeout) const {
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, timeout, [&] { return done(requests_); });
  return requests_;
}

std::vector<Request> Only(const std::vector<Request>& requests, const std::vector<std::string>& paths) {
  std::vector<Request> kept;
  std::copy_if(requests.begin(), requests.end(), std::back_inserter(kept), [&](const Request& request) {
    return std::find(paths.begin(), paths.end(), request.path) != paths.end();
  });
  return kept;
}

double SecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

std::vector<double> Spacings(const std::vector<Request>& requests) {
  std::vector<double> gaps;
  for (std::size_t i = 1; i < requests.size(); ++i) gaps.push_back(SecondsBetween(requests[i - 1].at, requests[i].at));
  return gaps;
}

}  // namespace kestrova::bench
