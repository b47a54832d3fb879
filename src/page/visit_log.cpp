#include "page/visit_log.h"

#include <cstdio>

#include "page/url_text.h"

namespace kestrova {
namespace {

const char* ErrorName(LoadError error) {
  switch (error) {
    case LoadError::Refused: return "refused";
    case LoadError::Timeout: return "timeout";
    case LoadError::Dns: return "dns";
    case LoadError::Tls: return "tls";
    case LoadError::Cancelled: return "cancelled";
    case LoadError::WebProcessEnded: return "web-process-ended";
    case LoadError::Blocked: return "blocked";
    case LoadError::Local: return "local";
    case LoadError::Other: break;
  }
  return "other";
}

// The length of the well-formed UTF-8 sequence at `at`, or 0 when the bytes there are none.
std::size_t Utf8Length(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

// A JSON string. Entries come in the user's character set, which need not be UTF-8: a byte
// that is not part of UTF-8 becomes U+FFFD, so that every line stays valid JSON.
std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (const std::size_t length = Utf8Length(text, i); length > 0) {
      out.append(text, i, length);
      i += length;
      continue;
    } else {
      out += "\\ufffd";
    }
    ++i;
  }
  return out + '"';
}

std::string IsoTime(const LocalTime& t) {
  const int offset = t.utc_offset_minutes < 0 ? -t.utc_offset_minutes : t.utc_offset_minutes;
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.utc_offset_minutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

}  // namespace

std::string VisitLine(const VisitRecord& visit) {
  std::string line = "{\"time\":\"" + IsoTime(visit.time) + "\",\"pass\":" + std::to_string(visit.pass) +
                     ",\"index\":" + std::to_string(visit.index) + ",\"url\":" + JsonString(visit.url);
  if (visit.outcome.failed) {
    line += ",\"error\":\"" + std::string(ErrorName(visit.outcome.error)) + "\"";
  } else {
    line += ",\"status\":" + std::to_string(visit.outcome.status);
  }
  return line + ",\"ms\":" + std::to_string(visit.ms) + "}";
}

void VisitLog::Open(const std::string& path) {
  if (path.empty()) return;
  on_ = true;
  if (const std::string why = services_.visit_file.Open(path); !why.empty()) {
    warned_ = true;
    services_.app.Warn("kestrova: cannot open the visit log " + path + ": " + why);
  }
}

void VisitLog::Begin(std::int64_t pass, std::int64_t index, const std::string& url) {
  if (!on_) return;
  if (state_ != State::Idle) Close(LoadOutcome::Failed(LoadError::Cancelled));
  open_ = VisitRecord{services_.clock.Local(), pass, index, url, {}, 0};
  began_ms_ = services_.clock.NowMs();
  state_ = State::Navigated;
}

void VisitLog::LoadStarted() {
  if (state_ == State::Navigated) state_ = State::Loading;
}

void VisitLog::LoadEnded(const LoadOutcome& outcome) {
  if (state_ != State::Loading) return;
  if (!outcome.failed && outcome.status == 0) {
    Close(LoadOutcome::Failed(IsHttpUrl(open_.url) ? LoadError::Blocked : LoadError::Local));
    return;
  }
  Close(outcome);
}

void VisitLog::Abandon() {
  if (state_ != State::Idle) Close(LoadOutcome::Failed(LoadError::Cancelled));
}

void VisitLog::Close(const LoadOutcome& outcome) {
  state_ = State::Idle;
  open_.outcome = outcome;
  open_.ms = services_.clock.NowMs() - began_ms_;
  const std::string why = services_.visit_file.Append(VisitLine(open_));
  // One message is enough to say that the log is incomplete; the run itself goes on.
  if (!why.empty() && !warned_) {
    warned_ = true;
    services_.app.Warn("kestrova: cannot write to the visit log: " + why);
  }
}

}  // namespace kestrova
