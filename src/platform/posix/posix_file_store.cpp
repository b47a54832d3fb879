#include "platform/posix/posix_file_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <utility>

namespace kestrova {
namespace {

namespace fs = std::filesystem;

// The kernel's own bound on a chain of links, so that a loop of links fails the save.
constexpr int kMaxLinkHops = 40;
// Keeps the temporary name within the file system's limit on a name's length.
constexpr std::size_t kMaxBaseInTemporaryName = 200;
constexpr int kTemporaryNameAttempts = 100;

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { Close(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Some file systems report a failed write only when the file is closed, so the outcome counts.
  bool Close() { return fd_ < 0 || ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

// The file a save replaces, after following symbolic links, and what it is now (nothing when
// the save creates it).
struct SaveTarget {
  fs::path path;
  std::optional<struct stat> existing;
};

std::optional<SaveTarget> ResolveSaveTarget(const std::string& name) {
  fs::path path = name;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
      // A link to a name that does not exist yet creates the file it names, as a shell would.
      if (errno == ENOENT) return SaveTarget{path, std::nullopt};
      return std::nullopt;
    }
    if (!S_ISLNK(st.st_mode)) return SaveTarget{path, st};
    std::error_code error;
    const fs::path link = fs::read_symlink(path, error);
    if (error) return errno = error.value(), std::nullopt;
    // A relative link is relative to the folder holding it; an absolute one replaces the path.
    path = path.parent_path() / link;
  }
  return errno = ELOOP, std::nullopt;
}

// A name no other process picks: the exclusive creation below settles the rare clash, so this
// needs no clock, only a draw per process and a count.
std::string UniqueSuffix() {
  static const std::uint64_t seed = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
  static std::uint64_t counter = 0;
  std::uint64_t mix = seed ^ (++counter * 0x9E3779B97F4A7C15ull);
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string suffix;
  for (int i = 0; i < 8; ++i, mix /= 36) suffix += kDigits[mix % 36];
  return suffix;
}

// Creates a new, empty file in the target's folder. Exclusive creation means the name can never
// be someone else's file; mode 0666 lets the user's umask decide, as for any new file.
std::optional<std::pair<fs::path, int>> CreateTemporaryBeside(const fs::path& target) {
  const std::string base = target.filename().string().substr(0, kMaxBaseInTemporaryName);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const fs::path name = target.parent_path() / ("." + base + "." + UniqueSuffix() + ".tmp");
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return std::pair{name, fd};
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

// What the atomic route came to: the new file is in place, the save failed with the old file
// kept, or the route was refused where a plain write may still succeed.
enum class Route { Done, Failed, Refused };

bool IsRefusal(int error) { return error == EACCES || error == EPERM; }

// The replacement takes over the old file's owner and permission bits, so a private playlist does
// not become readable by others through a save. A file that the saver may not give to its owner
// (someone else's file that the saver may write) is refused: it is written in place instead.
Route TakeOverAttributes(int fd, const struct stat& old) {
  if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
    return IsRefusal(errno) ? Route::Refused : Route::Failed;
  }
  return ::fchmod(fd, old.st_mode & 0777) == 0 ? Route::Done : Route::Failed;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written == 0) errno = EIO;  // nothing written and no reason given
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Makes the rename itself durable; a failure here no longer endangers either file.
void SyncFolder(const fs::path& folder) {
  UniqueFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) (void)::fsync(fd.get());
}

// Writes the new content beside the target and renames it over the target, so that a failure
// leaves the old file whole.
Route ReplaceAtomically(const SaveTarget& target, std::string_view bytes) {
  const auto temporary = CreateTemporaryBeside(target.path);
  if (!temporary) return IsRefusal(errno) ? Route::Refused : Route::Failed;
  const auto& [temporary_name, raw_fd] = *temporary;
  UniqueFd fd(raw_fd);
  Route route = target.existing ? TakeOverAttributes(fd.get(), *target.existing) : Route::Done;
  if (route == Route::Done && !(WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.Close())) {
    route = Route::Failed;
  }
  // A sticky folder lets only a file's owner replace it.
  if (route == Route::Done && ::rename(temporary_name.c_str(), target.path.c_str()) != 0) {
    route = IsRefusal(errno) ? Route::Refused : Route::Failed;
  }
  if (route != Route::Done) {
    const int error = errno;  // the failure's, not the clean-up's
    fd.Close();
    ::unlink(temporary_name.c_str());
    errno = error;
    return route;
  }
  SyncFolder(target.path.parent_path());
  return Route::Done;
}

// Truncates and rewrites the file that `path` names, which must be an ordinary file already.
bool WriteInPlace(const fs::path& path, std::string_view bytes) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat st {};
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return ::ftruncate(fd.get(), 0) == 0 && WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 && fd.Close();
}

// Every step keeps errno as the call that failed set it.
bool Save(const std::string& path, std::string_view bytes) {
  const std::optional<SaveTarget> target = ResolveSaveTarget(path);
  if (!target) return false;
  // A folder, FIFO or device in the way is never swapped for an ordinary file.
  if (target->existing && !S_ISREG(target->existing->st_mode)) return errno = 0, false;
  // A file with other names keeps them only when it is written in place.
  if (target->existing && target->existing->st_nlink > 1) return WriteInPlace(target->path, bytes);

  switch (ReplaceAtomically(*target, bytes)) {
    case Route::Done: return true;
    case Route::Failed: return false;
    case Route::Refused: break;
  }
  // The folder takes no new file, or the old one may not be swapped: a plain save writes the file
  // itself, as the user who may write it expects, at the cost of the old content on a failure.
  return target->existing && WriteInPlace(target->path, bytes);
}

}  // namespace

std::optional<std::string> PosixFileStore::Read(const std::string& path) {
  struct stat st {};
  // Opening some devices acts on them, so a name that plainly is no ordinary file is not opened.
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  // The name may have changed since; O_NONBLOCK keeps a FIFO put there from blocking the open,
  // and the check on the open file is the one that counts.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;

  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(st.st_size));
  std::array<char, std::size_t{64} * 1024> chunk{};
  for (;;) {
    const ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(chunk.data(), static_cast<std::size_t>(got));
  }
}

std::string PosixFileStore::Replace(const std::string& path, std::string_view bytes) {
  errno = 0;
  if (Save(path, bytes)) return {};
  return errno != 0 ? std::strerror(errno) : "not an ordinary file";
}

}  // namespace kestrova
