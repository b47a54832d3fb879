#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playlist/playlist_file.h"

namespace kestrova {
namespace {

using namespace std::string_literals;
using Items = std::vector<std::string>;

struct ReadCase {
  const char* name;
  std::string bytes;
  Items entries;
  friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class ReadingAFile : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadingAFile, GivesOneEntryPerLine) { EXPECT_EQ(ParsePlaylist(GetParam().bytes), GetParam().entries); }

INSTANTIATE_TEST_SUITE_P(
    Files, ReadingAFile,
    ::testing::Values(
        ReadCase{"ThreeUrls", "http://a\r\nhttp://b\r\nhttp://c\r\n", {"http://a", "http://b", "http://c"}},
        ReadCase{"Empty", "", {}},
        ReadCase{"BlankLineInTheMiddle", "http://a\r\n\r\nhttp://b\r\n", {"http://a", "", "http://b"}},
        ReadCase{"AllBlankLine", "   \r\nhttp://a\r\n", {"", "http://a"}},
        ReadCase{"TrailingBlanksGoLeadingStay", "  http://a   \r\n", {"  http://a"}},
        ReadCase{"TabIsNoBlank", "http://a\t\r\n", {"http://a\t"}},
        ReadCase{"LastLineWithoutEnding", "http://a\r\nhttp://b", {"http://a", "http://b"}},
        ReadCase{"OnlyLineWithoutEnding", "http://a  ", {"http://a"}},
        ReadCase{"OnlyAnEnding", "\r\n", {""}},
        ReadCase{"LfOnly", "http://a\nhttp://b\n", {"http://a", "http://b"}},
        ReadCase{"CrOnly", "http://a\rhttp://b\r", {"http://a", "http://b"}},
        ReadCase{"MixedEndings", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
        ReadCase{"LfCrIsTwoEndings", "a\n\rb", {"a", "", "b"}},
        ReadCase{"CrBeforeCrLf", "a\r\r\nb\r\n", {"a", "", "b"}},
        ReadCase{"BlankLinesAtTheEnd", "a\n\n\n", {"a", "", ""}},
        ReadCase{"Bom", "\xEF\xBB\xBFhttp://a\r\n", {"http://a"}},
        ReadCase{"BomOnly", "\xEF\xBB\xBF", {}},
        ReadCase{"BomThenEnding", "\xEF\xBB\xBF\r\n", {""}},
        ReadCase{"BomLaterIsText", "a\r\n\xEF\xBB\xBF" "b\r\n", {"a", "\xEF\xBB\xBF" "b"}},
        ReadCase{"PartOfABomIsText", "\xEF\xBB" "a\r\n", {"\xEF\xBB" "a"}},
        ReadCase{"BytesAreKept", "caf\xE9 \xFF\xFE\r\na\0b\r\n"s, {"caf\xE9 \xFF\xFE", "a\0b"s}}),
    [](const auto& info) { return std::string(info.param.name); });

struct WriteCase {
  const char* name;
  Items entries;
  std::string bytes;
  friend void PrintTo(const WriteCase& c, std::ostream* os) { *os << c.name; }
};

class WritingAFile : public ::testing::TestWithParam<WriteCase> {};

TEST_P(WritingAFile, EndsEveryEntryWithCrLf) { EXPECT_EQ(FormatPlaylist(GetParam().entries), GetParam().bytes); }

INSTANTIATE_TEST_SUITE_P(
    Lists, WritingAFile,
    ::testing::Values(WriteCase{"ThreeUrls", {"http://a", "http://b", "http://c"},
                                "http://a\r\nhttp://b\r\nhttp://c\r\n"},
                      WriteCase{"EmptyListIsZeroBytes", {}, ""},
                      WriteCase{"EmptyEntryIsAnEmptyLine", {"", "x"}, "\r\nx\r\n"},
                      WriteCase{"BytesAreWrittenAsStored", {"a\0b"s, "\xFF"}, "a\0b\r\n\xFF\r\n"s},
                      // The mark at the start of a file is skipped on reading; a second one keeps
                      // the entry's own.
                      WriteCase{"FirstEntryStartingWithTheMark", {"\xEF\xBB\xBF" "a", "b"},
                                "\xEF\xBB\xBF\xEF\xBB\xBF" "a\r\nb\r\n"},
                      WriteCase{"LaterEntryStartingWithTheMark", {"a", "\xEF\xBB\xBF" "b"},
                                "a\r\n\xEF\xBB\xBF" "b\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// Lists the window can hold, which must load back as they were saved.
class SavedList : public ::testing::TestWithParam<Items> {};

TEST_P(SavedList, LoadsBackUnchanged) { EXPECT_EQ(ParsePlaylist(FormatPlaylist(GetParam())), GetParam()); }

INSTANTIATE_TEST_SUITE_P(Lists, SavedList,
                         ::testing::Values(Items{}, Items{""}, Items{"", ""}, Items{"  http://a", "", "b\t"},
                                           // Found by fuzz_playlist: the entry came back empty.
                                           Items{"\xEF\xBB\xBF"}, Items{"\xEF\xBB\xBF" "http://a", "b"},
                                           Items{"\xEF\xBB\xBF\xEF\xBB\xBF", "\xEF\xBB\xBF"}));

// Files in our own format, which must come back byte for byte after a read and a write.
class RoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(RoundTrip, WritesBackTheBytesItRead) {
  const std::string& bytes = GetParam();
  const Items entries = ParsePlaylist(bytes);
  EXPECT_EQ(FormatPlaylist(entries), bytes);
  EXPECT_EQ(ParsePlaylist(FormatPlaylist(entries)), entries);
}

INSTANTIATE_TEST_SUITE_P(Files, RoundTrip,
                         ::testing::Values(""s, "http://a\r\nhttp://b\r\nhttp://a\r\n"s, "\r\n\r\n"s,
                                           "  leading\r\n\r\nhttp://x/?q=a b\r\n"s,
                                           // Invalid UTF-8, an ANSI accent, NUL and other controls.
                                           "\xC3\x28\r\n\xE9t\xE9\r\n\x80\xFF\r\n"s,
                                           "a\0b\r\n\0\r\n\x01\x1B\t\r\n"s,
                                           "\xEF\xBB\xBF\xEF\xBB\xBF" "a\r\n"s));

}  // namespace
}  // namespace kestrova
