#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/win/win_file_store.h"

namespace kestrova {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return {text.begin(), text.end()};
}
std::string Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// A load reads an ordinary file that the user was shown: a hidden or system file, a folder or
// nothing counts as missing. A save replaces the file whole and keeps its attributes, writes a file
// with other names in place, leaves a read-only file and a folder as they were, and leaves nothing
// else behind. Names are UTF-8, beyond ASCII and beyond 260 characters; bytes are kept as they are.
TEST(WinFileStore, ReadsShownFilesAndReplacesThemWhole) {
  // clang-format off
  enum class Made { File, Nothing, Folder, DeepFile, LinkedFile };
  using enum Made;
  struct Case { const char8_t* name; Made made; DWORD attributes; std::optional<std::string> saved; bool result; };
  const std::string old = "http://old\r\n", bytes("http://new\r\n\0\xff\r\n", 16);
  const Case cases[] = {
      {u8"list.txt", File, 0, std::nullopt, true},            {u8"list.txt", File, FILE_ATTRIBUTE_HIDDEN, std::nullopt, false},
      {u8"list.txt", File, FILE_ATTRIBUTE_SYSTEM, std::nullopt, false}, {u8"folder", Folder, 0, std::nullopt, false},
      {u8"missing.txt", Nothing, 0, std::nullopt, false},     {u8"liste d'été 😀.txt", File, 0, std::nullopt, true},
      {u8"list.txt", DeepFile, 0, std::nullopt, true},        {u8"list.txt", File, 0, bytes, true},
      {u8"new.txt", Nothing, 0, bytes, true},                 {u8"list.txt", File, FILE_ATTRIBUTE_HIDDEN, bytes, true},
      {u8"list.txt", File, FILE_ATTRIBUTE_READONLY, bytes, false}, {u8"folder", Folder, 0, bytes, false},
      {u8"liste d'été 😀.txt", File, 0, bytes, true},          {u8"list.txt", DeepFile, 0, bytes, true},
      {u8"list.txt", LinkedFile, 0, bytes, true},
  };
  // clang-format on
  // The test's own file operations take every name in its extended form: the standard library's
  // would stop at 260 characters. The store is given the plain name.
  const fs::path root =
      L"\\\\?\\" + (fs::temp_directory_path() / ("kestrova-store-" + std::to_string(GetTickCount64()))).wstring();
  const auto plain = [](const fs::path& path) { return Utf8(path).substr(4); };
  for (const Case& c : cases) {
    fs::path file = root;
    if (c.made == DeepFile) {  // four folders of 72 characters
      for (int i = 0; i < 4; ++i) file /= "a-folder-whose-name-is-long-" + std::string(44, 'x');
    }
    fs::create_directories(file);
    file /= c.name;
    SCOPED_TRACE(::testing::Message() << plain(file).size() << " characters, " << Utf8(file).substr(Utf8(root).size())
                                      << ", attributes " << c.attributes << (c.saved ? ", saved" : ", loaded"));
    if (c.made == Folder) fs::create_directory(file);
    if (c.made == File || c.made == DeepFile || c.made == LinkedFile) std::ofstream(file, std::ios::binary) << old;
    ASSERT_TRUE(c.made != LinkedFile || CreateHardLinkW((root / "other.txt").c_str(), file.c_str(), nullptr));
    ASSERT_TRUE(c.attributes == 0 || SetFileAttributesW(file.c_str(), c.attributes));

    WinFileStore store;
    const std::string before = c.made == Folder || c.made == Nothing ? "" : old;
    if (c.saved) {
      EXPECT_EQ(store.Replace(plain(file), *c.saved).empty(), c.result);
      EXPECT_EQ(c.made == Folder ? "" : Bytes(file), c.result ? *c.saved : before);
      EXPECT_EQ(GetFileAttributesW(file.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), c.attributes);
      EXPECT_EQ(c.made == LinkedFile ? Bytes(root / "other.txt") : *c.saved, *c.saved) << "the other name";
    } else {
      EXPECT_EQ(store.Read(plain(file)), c.result ? std::optional(before) : std::nullopt);
    }
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    for (const auto& entry : fs::directory_iterator(file.parent_path())) {  // where a save writes its temporary file
      EXPECT_NE(entry.path().extension(), ".tmp") << "left behind: " << Utf8(entry.path());
    }
    // The standard library cannot take the deep folders away: the system can, one at a time.
    DeleteFileW(file.c_str());
    for (fs::path folder = file.parent_path(); folder != root; folder = folder.parent_path())
      RemoveDirectoryW(folder.c_str());
    fs::remove_all(root);
  }
}

}  // namespace
}  // namespace kestrova
