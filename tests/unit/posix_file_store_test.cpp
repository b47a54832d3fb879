#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/posix_file_store.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Items = std::vector<std::string>;
using Tree = std::map<std::string, std::string>;

// A scratch folder for one row, removed with everything in it afterwards.
struct ScratchFolder {
  std::string path = (fs::temp_directory_path() / "kestrova-playlist-XXXXXX").string();
  ScratchFolder() {
    if (::mkdtemp(path.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  }
  ~ScratchFolder() { fs::remove_all(path); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};

// Everything under a folder, never following a link: each name with its kind, and a file's
// permission bits, owner when not ours, and bytes.
Tree Snapshot(const fs::path& root) {
  Tree seen;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    ::lstat(e.path().c_str(), &st);
    std::string& entry = seen[e.path().lexically_relative(root)];
    if (!S_ISREG(st.st_mode)) {
      entry = S_ISLNK(st.st_mode) ? "link" : "other";
      continue;
    }
    char mode[8];
    std::snprintf(mode, sizeof mode, "%03o ", st.st_mode & 0777);
    entry = "file " + std::string(mode) + (st.st_uid != ::geteuid() ? "theirs " : "") +
            std::string(std::istreambuf_iterator<char>(std::ifstream(e.path()).rdbuf()), {});
  }
  return seen;
}

// Runs `save` in a child process, so that the test's own umask and limits stay as they were: with
// `umask`, with a file size limit of 100 bytes when `capped`, and when `theirs` as a user who does
// not own the scratch folder (uid 4242 where we are root, whom no permission bit stops; ourselves
// otherwise).
bool SavesInChild(mode_t umask, bool capped, bool theirs, const std::function<bool()>& save) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::umask(umask);
    std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of ending the process
    const rlimit limit{100, 100};
    if (capped && ::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(2);
    if (theirs && ::geteuid() == 0 && (::setgid(4343) != 0 || ::setuid(4242) != 0)) ::_exit(2);
    ::_exit(save() ? 0 : 1);
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A save replaces the file whole or not at all, keeps the old file's owner and permission bits
// (a new file gets what the umask leaves), follows links and leaves nothing else behind. Where the
// folder takes no new file, or replacing would lose the file's other names or its owner, the file
// is written in place (another user saves into a folder of mode `folder`). A load
// reads an ordinary file's bytes and nothing else; no row opens the FIFO, as opening some devices
// acts on them.
TEST(PosixFileStore, ReplacesWholeFilesAndReadsOnlyOrdinaryOnes) {
  struct Case {
    Items names;
    std::optional<std::string> saved;  // nothing: a load
    Tree changed;                      // the files that differ afterwards
    std::optional<std::string> loaded = std::nullopt;
    mode_t umask = 022;
    bool capped = false;  // the file size limit stops the write part-way
    mode_t folder = 0700, file = 0640;
    const char* reason = nullptr;  // why the save fails, where the row pins it
  };
  const std::string bytes = std::string(150, 'x') + "\r\n\0\xff\r\n"s;
  const std::string old = "http://old\r\n\0\xff\r\n"s;
  const std::string theirs = ::geteuid() == 0 ? "theirs " : "";
  const Case cases[] = {
      {{"old.txt"}, bytes, {{"old.txt", "file 640 " + theirs + bytes}}, std::nullopt, 077},
      {{"links/a"}, bytes, {{"old.txt", "file 640 " + theirs + bytes}}},
      {{"new.txt"}, bytes, {{"new.txt", "file 640 " + bytes}}, std::nullopt, 027},
      {{"links/new"}, bytes, {{"new.txt", "file 644 " + bytes}}},
      {{"old.txt"}, bytes, {}, std::nullopt, 022, true, 0700, 0640, "File too large"},
      {{"missing/list.txt", "old.txt/list.txt", "folder", "fifo", "loop"}, bytes, {}},
      {{"old.txt", "links/a"}, std::nullopt, {}, old},
      {{"missing.txt", "folder", "fifo", "/dev/null"}, std::nullopt, {}},
      {{"old.txt"}, bytes, {{"old.txt", "file 640 " + theirs + bytes}}, std::nullopt, 022, false, 0555},
      {{"new.txt"}, bytes, {}, std::nullopt, 022, false, 0555, 0640, "Permission denied"},
      {{"old.txt"}, bytes, {}, std::nullopt, 022, false, 0555, 0440},
      {{"pair.txt"}, bytes, {{"pair.txt", "file 644 " + bytes}, {"links/pair", "file 644 " + bytes}}},
      {{"shared.txt"}, bytes, {{"shared.txt", "file 666 " + bytes}}, std::nullopt, 022, false, 0777},
  };
  for (const Case& c : cases)
    for (const std::string& name : c.names) {
      ScratchFolder dir;
      std::ofstream(dir / "old.txt", std::ios::binary) << old;
      fs::permissions(dir / "old.txt", static_cast<fs::perms>(c.file));
      for (auto [file, mode] : {std::pair{"pair.txt", 0644}, {"shared.txt", 0666}})  // the folder owner's
        std::ofstream(dir / file, std::ios::binary) << old, fs::permissions(dir / file, static_cast<fs::perms>(mode));
      ASSERT_EQ(::geteuid() == 0 ? ::chown((dir / "old.txt").c_str(), 4242, 4343) : 0, 0);
      ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
      fs::create_directory(dir / "folder"), fs::create_directory(dir / "links");
      fs::create_hard_link(dir / "pair.txt", dir / "links/pair");
      for (auto [link, target] :
           Tree{{"loop", "loop"}, {"links/a", "b"}, {"links/b", "../old.txt"}, {"links/new", "../new.txt"}})
        fs::create_symlink(target, dir / link);
      const int opens = ::inotify_init1(IN_NONBLOCK);
      ASSERT_GE(::inotify_add_watch(opens, (dir / "fifo").c_str(), IN_OPEN), 0);
      Tree after = Snapshot(dir.path);
      for (const auto& [file, entry] : c.changed) after[file] = entry;

      PosixFileStore store;
      const std::string path = name[0] == '/' ? name : dir / name;
      ::chmod(dir.path.c_str(), c.folder);
      if (c.saved) {
        const auto save = [&] { return store.Replace(path, *c.saved) == (c.reason ? c.reason : ""); };
        EXPECT_EQ(SavesInChild(c.umask, c.capped, c.folder != 0700, save), c.reason || !c.changed.empty()) << name;
      } else {
        EXPECT_EQ(store.Read(path), c.loaded) << name;
      }
      ::chmod(dir.path.c_str(), 0700);

      EXPECT_EQ(Snapshot(dir.path), after) << name;
      char event[256];
      EXPECT_LT(::read(opens, event, sizeof event), 0) << name << ": the FIFO was opened";
      ::close(opens);
    }
}

}  // namespace
}  // namespace kestrova
