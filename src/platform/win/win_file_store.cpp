#include "platform/win/win_file_store.h"

#include "platform/win/wide_text.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <utility>

namespace kestrova {
namespace {

constexpr int kTemporaryNameAttempts = 100;

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  // A write that the disk refuses may surface only when the handle is closed.
  bool Close() { return !valid() || CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0; }

 private:
  HANDLE handle_;
};

// The UTF-8 name as Windows takes it: wide, its slashes turned round, and a full path past the old
// 260-character limit marked so that the system takes it as it stands.
std::wstring WideName(const std::string& utf8) {
  std::wstring wide = WideFromUtf8(utf8, true);
  if (wide.empty()) return {};
  for (wchar_t& c : wide) c = c == L'/' ? L'\\' : c;
  const DWORD full_size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (full_size == 0) return wide;
  std::wstring full(full_size, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), full_size, full.data(), nullptr));
  if (full.size() < MAX_PATH || full.starts_with(L"\\\\")) return full;
  return L"\\\\?\\" + full;
}

// What a load may read: an ordinary file that the user was shown. Hidden and system files count as
// missing, as folders and devices do.
bool IsShownOrdinaryFile(DWORD attributes) {
  constexpr DWORD kNotAList = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_HIDDEN |
                              FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_OFFLINE;
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & kNotAList) == 0;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

bool IsRefusal(DWORD error) { return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT; }

// What the atomic route came to: the new file is in place, the save failed with the old file kept,
// or the route was refused where a plain write may still succeed.
enum class Route { Done, Failed, Refused };

Route ReplaceAtomically(const std::wstring& target, bool exists, std::string_view bytes) {
  static unsigned counter = 0;  // with the process's number, a name this process has not used
  const std::size_t slash = target.find_last_of(L'\\');
  const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  const std::wstring base = target.substr(slash == std::wstring::npos ? 0 : slash + 1).substr(0, 200);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const std::wstring temporary = folder + L"~" + base + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                   std::to_wstring(++counter) + L".tmp";
    Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_EXISTS) continue;
      return IsRefusal(error) ? Route::Refused : Route::Failed;
    }
    const bool written = WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) && file.Close();
    // ReplaceFileW gives the new file the old one's attributes, owner and permissions.
    const bool placed = written && (exists ? ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                                          REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)
                                           : MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH));
    if (placed) return Route::Done;
    const DWORD error = GetLastError();
    file.Close();
    DeleteFileW(temporary.c_str());
    SetLastError(error);  // the failure's, not the clean-up's
    return written && IsRefusal(error) ? Route::Refused : Route::Failed;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return Route::Failed;
}

// Truncates and rewrites the existing file itself.
bool WriteInPlace(const std::wstring& target, std::string_view bytes) {
  Handle file(
      CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid() && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) && file.Close();
}

// How many names the file has; 1 when it cannot be told.
DWORD LinkCount(const std::wstring& target) {
  Handle file(CreateFileW(target.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  return file.valid() && GetFileInformationByHandle(file.get(), &info) ? info.nNumberOfLinks : 1;
}

// Every step leaves the last error as the call that failed set it.
bool Save(const std::string& path, std::string_view bytes) {
  const std::wstring target = WideName(path);
  if (target.empty()) return SetLastError(ERROR_INVALID_NAME), false;
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  // A folder or device in the way is never swapped for an ordinary file, and a file the user made
  // read-only is not written.
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY)) != 0) {
    return SetLastError(ERROR_ACCESS_DENIED), false;
  }
  // A file with other names keeps them only when it is written in place.
  if (exists && LinkCount(target) > 1) return WriteInPlace(target, bytes);
  switch (ReplaceAtomically(target, exists, bytes)) {
    case Route::Done:
      // Not every implementation of ReplaceFileW carries the old file's attributes over.
      if (exists) (void)SetFileAttributesW(target.c_str(), attributes);
      return true;
    case Route::Failed: return false;
    case Route::Refused: break;
  }
  return exists && WriteInPlace(target, bytes);
}

}  // namespace

std::optional<std::string> WinFileStore::Read(const std::string& path) {
  const std::wstring name = WideName(path);
  if (name.empty() || !IsShownOrdinaryFile(GetFileAttributesW(name.c_str()))) return std::nullopt;
  Handle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  // The name may have changed since: the check on the open file is the one that counts.
  if (!file.valid() || GetFileType(file.get()) != FILE_TYPE_DISK) return std::nullopt;
  std::string bytes;
  std::array<char, std::size_t{64} * 1024> chunk{};
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(chunk.data(), got);
  }
}

std::string WinFileStore::Replace(const std::string& path, std::string_view bytes) {
  SetLastError(ERROR_SUCCESS);
  if (Save(path, bytes)) return {};
  const DWORD error = GetLastError();
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = length > 0 ? Utf8FromWide(std::wstring_view(text, length)) : "error " + std::to_string(error);
  LocalFree(text);
  // The system's sentence, without its full stop and trailing blanks: the caller makes its own.
  while (!reason.empty() && (reason.back() == ' ' || reason.back() == '.')) reason.pop_back();
  return reason;
}

}  // namespace kestrova
