#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "playlist/playlist_file.h"
#include "playlist_test_files.h"
#include "support/fakes.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::ReadBytes;
using testing::WriteBytes;
using Items = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

// Everything under a folder, never following a link: each name with its file's bytes or its kind.
Tree Snapshot(const fs::path& root) {
  Tree seen;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    seen[e.path().lexically_relative(root)] =
        e.is_symlink() ? "link" : e.is_regular_file() ? "file " + ReadBytes(e.path()) : "other";
  }
  return seen;
}

class PlaylistFile : public ::testing::Test {
 protected:
  void Load(const std::string& name) {
    h.form.PlayListFile = name;
    LoadPlayList(h.form);
  }
  void Save(const std::string& name) {
    h.form.PlayListFile = name;
    SavePlayList(h.form);
  }
  testing::Harness h;
  testing::ScratchFolder dir;
};

// A save replaces the whole old content with bytes that load back as the same list and save to
// the same bytes again, and leaves no temporary file behind.
TEST_F(PlaylistFile, SavesAndLoadsBackByteForByte) {
  WriteBytes(dir / "list.txt", "http://a/much/longer/old/content/than/the/new/list\r\n");
  const Items entries{"  http://a", "", "\xC3\x28\xE9\xFF", "a\0b"s};
  const std::string bytes = "  http://a\r\n\r\n\xC3\x28\xE9\xFF\r\na\0b\r\n"s;
  h.SetPlaylist(entries);
  Save(dir / "list.txt");
  EXPECT_EQ(ReadBytes(dir / "list.txt"), bytes);
  h.SetPlaylist({"other"});
  Load(dir / "list.txt");
  EXPECT_EQ(h.form.lstPlayList.Items(), entries);
  Save(dir / "list.txt");
  EXPECT_EQ(Snapshot(dir.path()), (Tree{{"list.txt", "file " + bytes}}));
}

// A name that names no ordinary file, or a hidden one, leaves the list as it was, and a special
// file is not even opened: opening some devices acts on them.
TEST_F(PlaylistFile, LoadOfNoOrdinaryFileKeepsTheList) {
  fs::create_directory(dir / "folder");
  WriteBytes(dir / ".hidden.txt", "http://hidden\r\n");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  const int opens = ::inotify_init1(IN_NONBLOCK);
  ASSERT_GE(::inotify_add_watch(opens, (dir / "fifo").c_str(), IN_OPEN), 0);
  h.SetPlaylist({"keep", "also"});
  h.form.lstPlayList.SetListIndex(1);
  for (const std::string& name : {""s, dir / "missing.txt", dir / "folder", dir / ".hidden.txt", dir / "fifo",
                                 "/dev/null"s}) {
    Load(name);
    EXPECT_EQ(h.form.lstPlayList.Items(), (Items{"keep", "also"})) << name;
    EXPECT_EQ(h.form.lstPlayList.ListIndex(), 1) << name;
  }
  char event[256];
  EXPECT_LT(::read(opens, event, sizeof event), 0) << "the FIFO was opened";
  ::close(opens);
}

// Neither a target that cannot be written nor a write that fails part-way changes anything on disk.
// Root reads every file, so the load is made by a child process that has given root up.
TEST_F(PlaylistFile, AFileWithoutReadPermissionKeepsTheList) {
  fs::permissions(dir.path(), static_cast<fs::perms>(0755));
  WriteBytes(dir / "readable.txt", "http://readable.example\r\n");
  WriteBytes(dir / "locked.txt", "http://locked.example\r\n");
  fs::permissions(dir / "readable.txt", static_cast<fs::perms>(0644));
  fs::permissions(dir / "locked.txt", static_cast<fs::perms>(0000));
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // 65534 is "nobody" on Debian; any id that owns neither file would do.
    if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                             ::setresuid(65534, 65534, 65534) != 0)) {
      ::_exit(3);
    }
    Load(dir / "readable.txt");
    const bool loaded = h.form.lstPlayList.Items() == Items{"http://readable.example"};
    Load(dir / "locked.txt");
    ::_exit(!loaded ? 4 : h.form.lstPlayList.Items() == Items{"http://readable.example"} ? 0 : 5);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the load crashed the process";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: could not give root up; 4: the readable file did not load; "
                                       "5: the locked file changed the list";
}

TEST_F(PlaylistFile, FailedSaveLeavesEveryFileAsItWas) {
  WriteBytes(dir / "old.txt", "http://old.example\r\n");
  fs::create_directory(dir / "folder");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink("loop", dir / "loop");
  const Tree before = Snapshot(dir.path());
  h.SetPlaylist(Items(200, "http://host.example/page"));
  for (const std::string& name :
       {dir / "missing/list.txt", dir / "folder", dir / "fifo", dir / "loop", dir / "old.txt/list.txt"}) {
    Save(name);
    EXPECT_EQ(Snapshot(dir.path()), before) << name;
  }
  // A file size limit stops the write after 100 bytes, root included; the signal would end the process.
  rlimit saved{}, capped{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  capped = {100, saved.rlim_max};
  const sighandler_t old_handler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &capped), 0);
  Save(dir / "old.txt");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(Snapshot(dir.path()), before);
}

// A replaced file keeps its permission bits; a new one gets what the umask leaves.
TEST_F(PlaylistFile, SaveKeepsThePermissionBits) {
  struct Case {
    int old_mode;  // -1: no old file
    mode_t umask, mode;
  };
  for (const Case& c : {Case{0600, 022, 0600}, Case{0640, 077, 0640}, Case{-1, 027, 0640}}) {
    fs::remove(dir / "list.txt");
    if (c.old_mode >= 0) {
      WriteBytes(dir / "list.txt", "old\r\n");
      fs::permissions(dir / "list.txt", static_cast<fs::perms>(c.old_mode));
    }
    const mode_t saved_umask = ::umask(c.umask);
    Save(dir / "list.txt");
    ::umask(saved_umask);
    EXPECT_EQ(fs::status(dir / "list.txt").permissions(), static_cast<fs::perms>(c.mode)) << c.old_mode;
  }
}

TEST_F(PlaylistFile, ReplacementKeepsTheOwnerWhereThatMayBeSet) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another owner";
  WriteBytes(dir / "list.txt", "old\r\n");
  ASSERT_EQ(::chown((dir / "list.txt").c_str(), 4242, 4343), 0);
  Save(dir / "list.txt");
  struct stat st {};
  ASSERT_EQ(::stat((dir / "list.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_gid, 4343u);
}

// A save through a link replaces the file the link names, relative to the link's folder, and
// keeps the link; a link to a name not made yet creates that file.
TEST_F(PlaylistFile, SaveFollowsLinks) {
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "links");
  WriteBytes(dir / "data/list.txt", "old\r\n");
  fs::create_symlink("b", dir / "links/a");
  fs::create_symlink("../data/list.txt", dir / "links/b");
  fs::create_symlink("../data/new.txt", dir / "links/new");
  h.SetPlaylist({"http://new"});
  Save(dir / "links/a");
  Save(dir / "links/new");
  EXPECT_EQ(Snapshot(dir.path()), (Tree{{"data", "other"},
                                        {"data/list.txt", "file http://new\r\n"},
                                        {"data/new.txt", "file http://new\r\n"},
                                        {"links", "other"},
                                        {"links/a", "link"},
                                        {"links/b", "link"},
                                        {"links/new", "link"}}));
}

}  // namespace
}  // namespace kestrova
