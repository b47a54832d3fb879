// Playlist files: any bytes at all read without harm and as a plain reading of the format says,
// what we write reads back, and every entry survives the purge the browse loop gives it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cache/purge.h"
#include "fuzz_check.h"
#include "playlist/playlist_file.h"
#include "support/fakes.h"

namespace {

using Entries = std::vector<std::string>;

// Lines end at CR LF, CR or LF; a mark at the very start is no text; trailing blanks go.
Entries ReferenceParse(const std::string& bytes) {
  std::size_t i = 0;
  if (bytes.size() >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF') i = 3;
  Entries entries;
  std::string line;
  bool open_line = false;
  for (; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      entries.push_back(line);
      line.clear();
      open_line = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else {
      line += c;
      open_line = true;
    }
  }
  if (open_line) entries.push_back(line);
  for (std::string& entry : entries) {
    while (!entry.empty() && entry.back() == ' ') entry.pop_back();
  }
  return entries;
}

void CheckEntriesAreClean(const Entries& entries) {
  for (const std::string& entry : entries) {
    FUZZ_CHECK(entry.find_first_of("\r\n") == std::string::npos);
    FUZZ_CHECK(entry.empty() || entry.back() != ' ');
  }
}

// Any file made elsewhere.
void FuzzReading(const std::string& bytes) {
  const Entries entries = kestrova::ParsePlaylist(bytes);
  CheckEntriesAreClean(entries);
  FUZZ_CHECK(entries == ReferenceParse(bytes));

  // Saved again, the list loads back as it was, and our own file comes back byte for byte.
  const std::string written = kestrova::FormatPlaylist(entries);
  FUZZ_CHECK(kestrova::ParsePlaylist(written) == entries);
  FUZZ_CHECK(kestrova::FormatPlaylist(kestrova::ParsePlaylist(written)) == written);
}

// Any list the window can hold: entries without line breaks or trailing blanks, made from the
// input's lines.
void FuzzWriting(const std::string& data) {
  Entries entries(1);
  for (const char c : data) {
    if (c == '\n') {
      entries.emplace_back();
    } else if (c != '\r') {
      entries.back() += c;
    }
  }
  for (std::string& entry : entries) {
    while (!entry.empty() && entry.back() == ' ') entry.pop_back();
  }
  const std::string written = kestrova::FormatPlaylist(entries);
  FUZZ_CHECK(kestrova::ParsePlaylist(written) == entries);
  FUZZ_CHECK(kestrova::FormatPlaylist(kestrova::ParsePlaylist(written)) == written);
}

// The browse loop purges each entry before it navigates there.
void FuzzPurge(const Entries& entries) {
  kestrova::testing::Harness h;
  for (const std::string& entry : entries) {
    std::string url = entry;
    const std::size_t purged = h.cache.deleted.size();
    kestrova::PurgeCacheForUrl(h.form, url);
    if (entry.find("Cookie") != std::string::npos) {
      FUZZ_CHECK(url == entry);
      FUZZ_CHECK(h.cache.deleted.size() == purged);
      continue;
    }
    FUZZ_CHECK(url == entry || url == entry + "/");
    FUZZ_CHECK(h.cache.deleted.size() == purged + 1 && h.cache.deleted.back() == url);
    // What the browser was sent to is already in its final form: purged again, it stays so.
    std::string again = url;
    kestrova::PurgeCacheForUrl(h.form, again);
    FUZZ_CHECK(again == url);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes = kestrova::fuzz::Text(data, size);
  FuzzReading(bytes);
  FuzzWriting(bytes);
  FuzzPurge(kestrova::ParsePlaylist(bytes));
  return 0;
}
