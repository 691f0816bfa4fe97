// Windows names through the disk file system: every spelling of one file, and a file that
// another program holds open. (Non-ASCII names are checked end to end in cli_test.cpp.)
#include "run/win_path.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>

#include "run/disk_file_system.h"
#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

// Replaces the file `name` names with `text`; the error's message, empty on success.
std::string Replace(const std::string& name, const std::string& text) {
  std::unique_ptr<OutputFile> out;
  std::error_code ec = DiskFileSystem()->OpenOutput(name, false, &out);
  if (!ec) ec = out->Write(text);
  if (!ec) ec = out->Commit();
  return ec ? ec.message() : "";
}

TEST(WinPathTest, EverySpellingOfANameIsTheSameFile) {
  ScratchDir scratch;
  scratch.Put("a.bin", "old");
  const std::string back = std::filesystem::absolute(scratch.dir() / "a.bin").string();
  std::string forward = back, lower = back;
  std::replace(forward.begin(), forward.end(), '\\', '/');
  lower[0] = static_cast<char>(std::tolower(lower[0]));
  std::vector<std::string> names = {back, forward, lower, "\\\\?\\" + back};
  // wine serves no administrative shares, so UNC is tried on Windows only.
  if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr) {
    names.push_back("\\\\localhost\\" + back.substr(0, 1) + "$" + back.substr(2));
  }
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(DiskFileSystem()->SameFile(name, scratch.Path("a.bin")));
    EXPECT_EQ(Replace(name, name), "");
    EXPECT_EQ(scratch.Get("a.bin"), name);
  }
}

// Regression: a file another program held open was found out only at the final rename.
TEST(WinPathTest, AFileOpenElsewhereIsNotReplaced) {
  ScratchDir scratch;
  scratch.Put("out.asm", "old");
  // As an editor or viewer opens it: others may read and write, but not delete or rename it.
  const HANDLE held =
      CreateFileW(PathFromUtf8(scratch.Path("out.asm")).c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Replace(scratch.Path("out.asm"), "new"),
            "the file is open in another program; close it there and try again");
  CloseHandle(held);
  EXPECT_EQ(scratch.Get("out.asm"), "old");
  EXPECT_EQ(Replace(scratch.Path("out.asm"), "new"), "");
}

}  // namespace
}  // namespace tessary
