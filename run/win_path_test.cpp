// File names as Windows users write them, through the disk file system.
#include "run/win_path.h"

#include <gtest/gtest.h>

#include <memory>

#include "run/disk_file_system.h"
#include "testdata/scratch_dir.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace tessary {
namespace {

namespace fs = std::filesystem;

class WinPathTest : public ::testing::Test {
 protected:
  // Replaces the file `name` names with `text`; the error's message, empty on success.
  std::string Replace(const std::string& name, const std::string& text) {
    std::unique_ptr<OutputFile> out;
    std::error_code ec = disk_.OpenOutput(name, false, &out);
    if (!ec) ec = out->Write(text);
    if (!ec) ec = out->Commit();
    return ec ? ec.message() : "";
  }

  ScratchDir scratch_;
  FileSystem& disk_ = *DiskFileSystem();
};

// Regression: names were handed to the ANSI file functions, which cannot spell most of these.
TEST_F(WinPathTest, NonAsciiNamesReachTheFile) {
  const std::string name =
      scratch_.Path("Kachel-\xC3\xA4\xC3\x9F-\xE2\x82\xAC-\xF0\x9F\x98\x80.chr");
  ASSERT_EQ(Replace(name, "0123456789"), "");
  std::unique_ptr<InputFile> in;
  ASSERT_FALSE(disk_.OpenInput(name, &in));
  EXPECT_EQ(in->Size(), 10u);
  char bytes[3];
  size_t got = 0;
  EXPECT_FALSE(in->Read(2, bytes, 3, &got));
  EXPECT_EQ(std::string(bytes, got), "234");
  EXPECT_TRUE(disk_.SameFile(name, name));
  EXPECT_EQ(ReadWholeFile(PathFromUtf8(name)), "0123456789");
}

#if defined(_WIN32)
TEST_F(WinPathTest, EverySpellingOfAWindowsNameIsTheSameFile) {
  scratch_.Put("a.bin", "old");
  std::string back = fs::absolute(scratch_.dir() / "a.bin").string();  // C:\...\a.bin
  std::string forward = back;
  for (char& c : forward) c = c == '\\' ? '/' : c;
  std::string lower_drive = back;
  lower_drive[0] = static_cast<char>(std::tolower(lower_drive[0]));
  const std::string unc = "\\\\localhost\\" + back.substr(0, 1) + "$" + back.substr(2);
  const std::string long_form = "\\\\?\\" + back;
  // wine serves no administrative shares, so the UNC name is tried on Windows only.
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  for (const std::string& name : {back, forward, lower_drive, long_form, unc}) {
    if (wine && name == unc) continue;
    SCOPED_TRACE(name);
    EXPECT_TRUE(disk_.SameFile(name, scratch_.Path("a.bin")));
    std::unique_ptr<InputFile> in;
    ASSERT_FALSE(disk_.OpenInput(name, &in));
    EXPECT_EQ(in->Size(), 3u);
    in.reset();
    EXPECT_EQ(Replace(name, "new"), "");
    EXPECT_EQ(scratch_.Get("a.bin"), "new");
    scratch_.Put("a.bin", "old");
  }
}

// Regression: a file another program held open was found out only at the final rename.
TEST_F(WinPathTest, AFileOpenElsewhereIsNotReplaced) {
  scratch_.Put("out.asm", "old");
  // As an editor or viewer opens it: others may read and write, but not delete or rename it.
  const HANDLE held =
      CreateFileW(PathFromUtf8(scratch_.Path("out.asm")).c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Replace(scratch_.Path("out.asm"), "new"),
            "the file is open in another program; close it there and try again");
  CloseHandle(held);
  EXPECT_EQ(scratch_.Get("out.asm"), "old");
  EXPECT_EQ(Replace(scratch_.Path("out.asm"), "new"), "");
  EXPECT_EQ(scratch_.Get("out.asm"), "new");
}
#endif

}  // namespace
}  // namespace tessary
