#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
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
using testing::Harness;
using testing::NamesIn;
using testing::PermissionBits;
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;
using Items = std::vector<std::string>;

// Everything under a folder: each name with its kind and its bytes or link target.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> seen;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = entry.path().lexically_relative(root);
    // Never following a link: a loop of links is one of the things on disk.
    switch (entry.symlink_status().type()) {
      case fs::file_type::symlink: seen[name] = "link to " + fs::read_symlink(entry.path()).string(); break;
      case fs::file_type::regular: seen[name] = "file " + ReadBytes(entry.path()); break;
      case fs::file_type::directory: seen[name] = "folder"; break;
      default: seen[name] = "special"; break;
    }
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

  Harness h;
  ScratchFolder dir;
};

TEST_F(PlaylistFile, SavedListLoadsBackAndSavesTheSameBytes) {
  WriteBytes(dir / "list.txt", "http://a/much/longer/old/content/than/any/new/list\r\n");
  for (const Items& entries : {Items{"http://a", "", "  http://b", "http://a"}, Items{},
                               Items{"\xC3\x28\xFF\xFE", "\xE9t\xE9"}, Items{"a\0b"s, "\0"s}}) {
    SCOPED_TRACE(::testing::PrintToString(entries));
    h.SetPlaylist(entries);
    Save(dir / "list.txt");
    const std::string bytes = ReadBytes(dir / "list.txt");
    EXPECT_EQ(bytes, FormatPlaylist(entries)) << "the whole old content is replaced";

    h.SetPlaylist({"http://old.example"});
    Load(dir / "list.txt");
    EXPECT_EQ(h.form.lstPlayList.Items(), entries);
    Save(dir / "list.txt");
    EXPECT_EQ(ReadBytes(dir / "list.txt"), bytes);
  }
  EXPECT_EQ(NamesIn(dir.path()), Items{"list.txt"}) << "no temporary file is left beside it";
}

TEST_F(PlaylistFile, EveryLineOfALongFileLoadsInOneAllocation) {
  constexpr std::int64_t kLines = 100'000;
  std::string bytes;
  for (std::int64_t i = 0; i < kLines; ++i) bytes += "http://host" + std::to_string(i) + ".example/\r\n";
  WriteBytes(dir / "long.txt", bytes);

  Load(dir / "long.txt");

  ASSERT_EQ(h.form.lstPlayList.ListCount(), kLines) << "no entry past 32,767 is cut off";
  EXPECT_EQ(h.form.lstPlayList.List(kLines - 1), "http://host99999.example/");
  // Sized once up front: a list grown entry by entry keeps spare capacity behind its last entry.
  EXPECT_EQ(h.form.lstPlayList.Items().capacity(), static_cast<std::size_t>(kLines));
}

// Prepares the scratch folder and returns the name a load or save is given.
struct NameCase {
  const char* name;
  std::function<std::string(const ScratchFolder&)> make;
  friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
};

std::string MakeFifo(const std::string& path) {
  if (::mkfifo(path.c_str(), 0600) != 0) throw std::runtime_error("mkfifo " + path);
  return path;
}

class LoadingNoOrdinaryFile : public PlaylistFile, public ::testing::WithParamInterface<NameCase> {};

TEST_P(LoadingNoOrdinaryFile, LeavesTheListAsItWas) {
  h.SetPlaylist({"http://keep.example", "http://also.example"});
  h.form.lstPlayList.SetListIndex(1);
  WriteBytes(dir / "list.txt", "http://other.example\r\n");

  Load(GetParam().make(dir));

  EXPECT_EQ(h.form.lstPlayList.Items(), (Items{"http://keep.example", "http://also.example"}));
  EXPECT_EQ(h.form.lstPlayList.ListIndex(), 1);
  EXPECT_TRUE(h.message_boxes.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, LoadingNoOrdinaryFile,
    ::testing::Values(
        NameCase{"EmptyName", [](const ScratchFolder&) { return ""s; }},
        NameCase{"Missing", [](const ScratchFolder& d) { return d / "missing.txt"; }},
        NameCase{"Folder",
                           [](const ScratchFolder& d) {
                             fs::create_directory(d / "folder");
                             return d / "folder";
                           }},
        // Opening a FIFO for reading would wait for a writer; the test would hang.
        NameCase{"Fifo", [](const ScratchFolder& d) { return MakeFifo(d / "fifo"); }},
        // Reads as empty, so loading it would empty the list.
        NameCase{"Device", [](const ScratchFolder&) { return "/dev/null"s; }},
        NameCase{"WildcardIsTakenLiterally", [](const ScratchFolder& d) { return d / "*.txt"; }},
        NameCase{"DanglingLink",
                           [](const ScratchFolder& d) {
                             fs::create_symlink("missing.txt", d / "link.txt");
                             return d / "link.txt";
                           }},
        NameCase{"FileUsedAsAFolder", [](const ScratchFolder& d) { return d / "list.txt/x"; }}),
    [](const auto& info) { return std::string(info.param.name); });

// The new content is written to a file newly created beside the target and renamed over it: a
// crash leaves the old file whole, and the rename never crosses file systems.
TEST_F(PlaylistFile, TheReplacementIsCreatedBesideTheTargetAndRenamedOverIt) {
  WriteBytes(dir / "list.txt", "http://old.example\r\n");
  const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir.path().c_str(), IN_CREATE | IN_MOVED_FROM | IN_MOVED_TO), 0);
  h.SetPlaylist({"http://new.example"});

  Save(dir / "list.txt");

  std::vector<std::string> events;
  alignas(inotify_event) char buffer[4096];
  for (ssize_t got; (got = ::read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* at = buffer; at < buffer + got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(at);
      const std::string name = event->len > 0 ? event->name : "";
      const bool temporary = name != "list.txt";
      if (event->mask & IN_CREATE) events.push_back(temporary ? "create temporary" : "create list.txt");
      if (event->mask & IN_MOVED_FROM) events.push_back(temporary ? "move temporary" : "move list.txt");
      if (event->mask & IN_MOVED_TO) events.push_back(temporary ? "to temporary" : "to list.txt");
      at += sizeof(inotify_event) + event->len;
    }
  }
  ::close(watch);
  EXPECT_EQ(events, (Items{"create temporary", "move temporary", "to list.txt"}));
  EXPECT_EQ(ReadBytes(dir / "list.txt"), "http://new.example\r\n");
  EXPECT_EQ(NamesIn(dir.path()), Items{"list.txt"});
}

// Root reads every file, so the load is made by a child process that has given root up.
TEST_F(PlaylistFile, AFileWithoutReadPermissionLeavesTheListAsItWas) {
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
    if (h.form.lstPlayList.Items() != Items{"http://readable.example"}) ::_exit(4);
    Load(dir / "locked.txt");
    ::_exit(h.form.lstPlayList.Items() == Items{"http://readable.example"} && h.message_boxes.shown.empty() ? 0 : 5);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the load crashed the process";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: could not give root up; 4: the readable file did not load; "
                                       "5: the locked file changed the list";
}

class FailedSave : public PlaylistFile, public ::testing::WithParamInterface<NameCase> {};

TEST_P(FailedSave, ChangesNothingOnDisk) {
  WriteBytes(dir / "old.txt", "http://old.example\r\n");
  const std::string name = GetParam().make(dir);
  const auto before = Snapshot(dir.path());
  h.SetPlaylist({"http://new.example"});

  Save(name);

  EXPECT_EQ(Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FailedSave,
    ::testing::Values(
        NameCase{"FolderDoesNotExist", [](const ScratchFolder& d) { return d / "missing/list.txt"; }},
        NameCase{"TargetIsAFolder",
                        [](const ScratchFolder& d) {
                          fs::create_directory(d / "list.txt");
                          WriteBytes(d / "list.txt/inside", "kept");
                          return d / "list.txt";
                        }},
        NameCase{"TargetIsAFifo", [](const ScratchFolder& d) { return MakeFifo(d / "fifo"); }},
        NameCase{"LinkToAFolder",
                        [](const ScratchFolder& d) {
                          fs::create_directory(d / "folder");
                          fs::create_symlink("folder", d / "link");
                          return d / "link";
                        }},
        NameCase{"LinkLoop",
                        [](const ScratchFolder& d) {
                          fs::create_symlink("b", d / "a");
                          fs::create_symlink("a", d / "b");
                          return d / "a";
                        }},
        NameCase{"LinkIntoAMissingFolder",
                        [](const ScratchFolder& d) {
                          fs::create_symlink("missing/list.txt", d / "link");
                          return d / "link";
                        }},
        NameCase{"FileUsedAsAFolder", [](const ScratchFolder& d) { return d / "old.txt/list.txt"; }},
        NameCase{"TrailingSlash", [](const ScratchFolder& d) { return d / "old.txt/"; }}),
    [](const auto& info) { return std::string(info.param.name); });

// Caps the size of any file this process writes, so that writing a playlist fails part-way.
// Works for root too, where a read-only folder would not stop the save.
class FileSizeCap {
 public:
  explicit FileSizeCap(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    // Past the cap the kernel would otherwise end the process with SIGXFSZ.
    old_handler_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit capped = saved_;
    capped.rlim_cur = bytes;
    applied_ = ::setrlimit(RLIMIT_FSIZE, &capped) == 0;
  }
  ~FileSizeCap() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, old_handler_);
  }
  bool applied() const { return applied_; }

 private:
  rlimit saved_{};
  sighandler_t old_handler_;
  bool applied_;
};

Items ManyEntries() {
  Items entries;
  for (int i = 0; i < 200; ++i) entries.push_back("http://host" + std::to_string(i) + ".example/");
  return entries;
}

TEST_F(PlaylistFile, WriteFailurePartWayKeepsTheOldFile) {
  WriteBytes(dir / "list.txt", "http://old.example\r\n");
  const auto before = Snapshot(dir.path());
  h.SetPlaylist(ManyEntries());
  {
    FileSizeCap cap(100);
    ASSERT_TRUE(cap.applied());
    Save(dir / "list.txt");
  }
  EXPECT_EQ(Snapshot(dir.path()), before);
}

// A small tmpfs mounted for one test and filled to the last block.
class FullFileSystem {
 public:
  explicit FullFileSystem(const std::string& at) : at_(at) {
    fs::create_directory(at_);
    mounted_ = ::mount("tmpfs", at_.c_str(), "tmpfs", 0, "size=64k") == 0;
  }
  ~FullFileSystem() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  // Fills what is left; returns false when the file system did not run full.
  bool Fill() const {
    std::ofstream filler(at_ + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    for (int i = 0; i < 1024 && filler.write(block.data(), block.size()) && filler.flush(); ++i) {
    }
    return !filler;
  }

 private:
  std::string at_;
  bool mounted_ = false;
};

TEST_F(PlaylistFile, FullFileSystemKeepsTheOldFile) {
  FullFileSystem full(dir / "mnt");
  if (!full.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (errno " << errno << ")";
  WriteBytes(dir / "mnt/list.txt", "http://old.example\r\n");
  ASSERT_TRUE(full.Fill());
  const auto before = Snapshot(dir / "mnt");
  h.SetPlaylist(ManyEntries());

  Save(dir / "mnt/list.txt");

  EXPECT_EQ(Snapshot(dir / "mnt"), before);
}

struct ModeCase {
  const char* name;
  int old_mode;  // -1: no old file
  mode_t umask;
  mode_t expected;
  friend void PrintTo(const ModeCase& c, std::ostream* os) { *os << c.name; }
};

class SavedFileMode : public PlaylistFile, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(SavedFileMode, KeepsTheOldBitsOrFollowsTheUmask) {
  if (GetParam().old_mode >= 0) {
    WriteBytes(dir / "list.txt", "old\r\n");
    fs::permissions(dir / "list.txt", static_cast<fs::perms>(GetParam().old_mode));
  }
  const mode_t saved_umask = ::umask(GetParam().umask);
  h.SetPlaylist({"http://a.example"});
  Save(dir / "list.txt");
  ::umask(saved_umask);

  EXPECT_EQ(ReadBytes(dir / "list.txt"), "http://a.example\r\n");
  EXPECT_EQ(PermissionBits(dir / "list.txt"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, SavedFileMode,
                         ::testing::Values(ModeCase{"PrivateStaysPrivate", 0600, 022, 0600},
                                           ModeCase{"GroupReadable", 0640, 077, 0640},
                                           ModeCase{"OpenToAll", 0666, 022, 0666},
                                           ModeCase{"NewFileUmask022", -1, 022, 0644},
                                           ModeCase{"NewFileUmask027", -1, 027, 0640}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaylistFile, ReplacementKeepsTheOwnerWhenThatMayBeSet) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another owner";
  WriteBytes(dir / "list.txt", "old\r\n");
  ASSERT_EQ(::chown((dir / "list.txt").c_str(), 4242, 4343), 0);
  h.SetPlaylist({"http://a.example"});

  Save(dir / "list.txt");

  struct stat st {};
  ASSERT_EQ(::stat((dir / "list.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_gid, 4343u);
}

struct LinkCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> links;  // link name, what it points to
  std::string saved_through;
  std::string target;  // the file that must receive the list
  friend void PrintTo(const LinkCase& c, std::ostream* os) { *os << c.name; }
};

class SaveThroughLink : public PlaylistFile, public ::testing::WithParamInterface<LinkCase> {};

TEST_P(SaveThroughLink, ReplacesTheFileItNamesAndKeepsTheLink) {
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "links");
  WriteBytes(dir / "data/list.txt", "http://old.example\r\n");
  fs::permissions(dir / "data/list.txt", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  for (auto [name, points_to] : GetParam().links) {
    if (points_to.starts_with("ABS:")) points_to = dir / points_to.substr(4);
    fs::create_symlink(points_to, dir / name);
  }
  h.SetPlaylist({"http://new.example"});

  Save(dir / GetParam().saved_through);

  EXPECT_EQ(ReadBytes(dir / GetParam().target), "http://new.example\r\n");
  // The bits are the old file's, not the link's; a new file's follow the umask instead.
  if (GetParam().target == "data/list.txt") {
    EXPECT_EQ(PermissionBits(dir / GetParam().target), 0640u);
  }
  for (const auto& [name, points_to] : GetParam().links) {
    ASSERT_TRUE(fs::is_symlink(dir / name)) << name;
    if (!points_to.starts_with("ABS:")) {
      EXPECT_EQ(fs::read_symlink(dir / name), points_to);
    }
  }
  for (const char* folder : {"", "data", "links"}) {
    for (const auto& name : NamesIn(dir / folder)) EXPECT_FALSE(name.ends_with(".tmp")) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Links, SaveThroughLink,
    ::testing::Values(LinkCase{"SameFolder", {{"data/link.txt", "list.txt"}}, "data/link.txt", "data/list.txt"},
                      LinkCase{"OtherFolder", {{"links/l", "../data/list.txt"}}, "links/l", "data/list.txt"},
                      LinkCase{"Absolute", {{"links/l", "ABS:data/list.txt"}}, "links/l", "data/list.txt"},
                      LinkCase{"Chain", {{"links/a", "b"}, {"links/b", "../data/list.txt"}}, "links/a",
                               "data/list.txt"},
                      // A link to a name not made yet creates the file it names.
                      LinkCase{"Dangling", {{"links/l", "../data/new.txt"}}, "links/l", "data/new.txt"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kestrova
