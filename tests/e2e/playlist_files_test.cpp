// Playlist files that are not what a playlist should be, given to the real program on its command
// line: junk and huge files load one entry per line, names that are no ordinary file leave the
// list empty without holding the start-up, and a save after the file went away brings it back.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

#include "support/end_to_end_test.h"

namespace kestrova::e2e {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

class PlaylistFilesTest : public EndToEndTest {
 protected:
  void WriteRaw(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.flush()) << file;
  }
};

TEST_F(PlaylistFilesTest, JunkLinesEachBecomeOneEntryThatTheRunVisitsInItsTurn) {
  // Bytes of every value but the two line ends, which would make more lines.
  std::mt19937 random(7);
  auto junk_line = [&](std::size_t length) {
    std::string line;
    while (line.size() < length) {
      const char c = static_cast<char>(random() & 0xFF);
      if (c != '\r' && c != '\n') line += c;
    }
    return line;
  };
  const std::string bytes = server.Url("/first.html") + "\r\n" +  //
                            junk_line(300) + "\r\n" + junk_line(300) + "\r\n" +  // binary junk
                            std::string("a\0b\0\0c", 6) + "\r\n" +                 // NUL bytes
                            "http://\xC3\x28\xFF\xFE\xE9t\xE9/\r\n" +               // not UTF-8
                            std::string(10 * 1024 * 1024, 'x') + "\r\n" +          // one line of 10 MB
                            server.Url("/second.html") + "\r\n";
  const auto list = scratch.Path() / "junk.txt";
  WriteRaw(list, bytes);
  Launch({"/f=" + list.string(), "/t=2"});
  ASSERT_TRUE(MainWindow());

  // Five junk entries lie between the two pages: six intervals of two seconds.
  const auto seen = server.WaitForRequests({"/first.html", "/second.html"}, 2, 30s);
  ASSERT_EQ(PathsOf(seen), (std::vector<std::string>{"/first.html", "/second.html"})) << Describe(server.Requests());
  const double gap = SecondsBetween(seen[0].at, seen[1].at);
  EXPECT_TRUE(gap >= 11.0 && gap <= 13.5) << gap << " s: not five entries between them";
  EXPECT_TRUE(program->Running());
  EXPECT_EQ(VisibleWindows(program->Pid()).size(), 1u);
  std::cout << "[ figures  ] " << Describe(seen) << "\n";
}

TEST_F(PlaylistFilesTest, AHundredThousandLinesLoadAndTheWindowStillAnswers) {
  std::string bytes = server.Url("/first.html") + "\r\n" + server.Url("/second.html") + "\r\n";
  for (int i = 2; i < 100'000; ++i) bytes += "http://127.0.0.1:9/never-reached/" + std::to_string(i) + "\r\n";
  const auto list = scratch.Path() / "long.txt";
  WriteRaw(list, bytes);
  const auto launched = Clock::now();
  Launch({"/f=" + list.string(), "/t=1"});
  const auto window = MainWindow();
  ASSERT_TRUE(window);
  const double to_window = SecondsBetween(launched, Clock::now());

  const auto seen = server.WaitForRequests({"/first.html", "/second.html"}, 2, 20s);
  ASSERT_EQ(PathsOf(seen), (std::vector<std::string>{"/first.html", "/second.html"})) << Describe(server.Requests());
  ExpectSpacingsWithin(seen, 0.7, 1.8);
  // The menu opens and Stop ends the run before the next entry.
  ASSERT_TRUE(ChooseMenuItem(program->Pid(), *window, "f", "t")) << "the File menu did not open";
  std::this_thread::sleep_for(500ms);
  EXPECT_TRUE(program->Running());
  std::cout << "[ figures  ] window after " << to_window << " s; " << Describe(seen) << "\n";
}

// A name that is no ordinary file loads nothing: the list stays empty, so the automatic start
// asks for a list, and nothing is fetched. A FIFO with no writer must not hold the start-up.
TEST_F(PlaylistFilesTest, NamesThatAreNoOrdinaryFileLeaveTheListEmptyWithoutHoldingTheStart) {
  const auto fifo = scratch.Path() / "fifo.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto folder = scratch.Path() / "folder.txt";
  fs::create_directory(folder);
  const std::vector<std::pair<std::string, fs::path>> cases{
      {"a FIFO", fifo}, {"a folder", folder}, {"a missing file", scratch.Path() / "missing.txt"}};
  for (const auto& [what, name] : cases) {
    SCOPED_TRACE(what);
    Launch({"/f=" + name.string(), "/t=1"});
    ASSERT_TRUE(MainWindow());
    const auto box = WaitForWindow(program->Pid(), kApplicationTitle, 10s);
    ASSERT_TRUE(box) << "no message box about the empty list";
    ASSERT_TRUE(Activate(*box));
    ASSERT_TRUE(PressKeys({"Return"}));
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(program->Running()) << program->Stderr();
    EXPECT_TRUE(server.Requests().empty()) << Describe(server.Requests());
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(PlaylistFilesTest, ASaveAfterTheLoadedFileWasDeletedWritesItAgain) {
  const auto list = WritePlaylistOf(pages);
  Launch({"/f=" + list.string(), "/t=3"});
  const auto window = MainWindow();
  ASSERT_TRUE(window);
  ASSERT_EQ(server.WaitForRequests(pages, 1, 20s).size(), 1u);
  fs::remove(list);

  // File > Save during the run, to the same name, typed into the dialog.
  ASSERT_TRUE(ChooseMenuItem(program->Pid(), *window, "f", "s"));
  ASSERT_TRUE(WaitForWindow(program->Pid(), "Save As", 10s)) << "no file dialog";
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(PressKeys({"ctrl+a"}));
  ASSERT_TRUE(TypeText(list.string()));
  // Return would first take the path completion that the typing opened; the dialog's Save
  // button has its own access key.
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(PressKeys({"alt+s"}));
  const auto deadline = Clock::now() + 10s;
  while (!fs::exists(list) && Clock::now() < deadline) std::this_thread::sleep_for(50ms);

  std::ifstream in(list, std::ios::binary);
  const std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(saved, server.Url("/a.html") + "\r\n" + server.Url("/b.html") + "\r\n" + server.Url("/c.html") + "\r\n");
  // A new file, so it takes the user's umask, which the program inherited from this test.
  const mode_t umask_now = ::umask(0);
  ::umask(umask_now);
  struct stat st {};
  ASSERT_EQ(::stat(list.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~umask_now);
  // Nothing but the list itself is left in the folder.
  for (const auto& entry : fs::directory_iterator(scratch.Path())) {
    EXPECT_TRUE(entry.path() == list || entry.path().filename() == "home") << "left over: " << entry.path();
  }
  EXPECT_TRUE(program->Running());
  EXPECT_GE(server.WaitForRequests(pages, 2, 10s).size(), 2u) << "the save stopped the run";
}

}  // namespace
}  // namespace kestrova::e2e
