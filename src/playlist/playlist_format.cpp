#include <string_view>

#include "playlist/list_editing.h"
#include "playlist/playlist_file.h"

namespace kestrova {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

// Takes the next line off the front of `rest`, with its ending. Files made elsewhere may end
// their lines with LF or CR alone; each of those is one ending, and so is our CR LF.
std::string_view TakeLine(std::string_view& rest) {
  const std::size_t end = rest.find_first_of(kLineEnd);
  const std::string_view line = rest.substr(0, end);
  if (end == std::string_view::npos) {
    rest = {};
  } else {
    const bool crlf = rest.compare(end, kLineEnd.size(), kLineEnd) == 0;
    rest.remove_prefix(end + (crlf ? 2 : 1));
  }
  return line;
}

}  // namespace

std::vector<std::string> ParsePlaylist(const std::string& bytes) {
  std::string_view all = bytes;
  if (all.starts_with(kUtf8Bom)) all.remove_prefix(kUtf8Bom.size());

  // Counting first lets the list be allocated once, however long the file is.
  std::size_t count = 0;
  for (std::string_view rest = all; !rest.empty(); TakeLine(rest)) ++count;

  std::vector<std::string> entries;
  entries.reserve(count);
  for (std::string_view rest = all; !rest.empty();) {
    entries.push_back(TrimTrailingBlanks(std::string(TakeLine(rest))));
  }
  return entries;
}

std::string FormatPlaylist(const std::vector<std::string>& entries) {
  std::size_t size = 0;
  for (const auto& entry : entries) size += entry.size() + kLineEnd.size();
  std::string bytes;
  bytes.reserve(size + kUtf8Bom.size());
  // Reading skips a mark at the start of the file, so a first entry that begins with those bytes
  // would come back without them; a mark of our own ahead of it is what reading skips instead.
  if (!entries.empty() && entries.front().starts_with(kUtf8Bom)) bytes += kUtf8Bom;
  for (const auto& entry : entries) {
    bytes += entry;
    bytes += kLineEnd;
  }
  return bytes;
}

}  // namespace kestrova
