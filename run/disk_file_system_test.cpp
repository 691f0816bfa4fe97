#include "run/disk_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

class DiskFileSystemTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) const { return scratch_.Path(name); }
  void Put(const std::string& name, const std::string& content) const {
    scratch_.Put(name, content);
  }
  std::string Get(const std::string& name) const { return scratch_.Get(name); }
  size_t Entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  ScratchDir scratch_;
  const fs::path& dir_ = scratch_.dir();
  FileSystem& disk_ = *DiskFileSystem();
};

TEST_F(DiskFileSystemTest, ReplacedFileChangesOnlyOnCommit) {
  Put("out.asm", "old");
  {
    std::unique_ptr<OutputFile> out;
    ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), false, &out));
    ASSERT_FALSE(out->Write("new listing"));
    EXPECT_EQ(Get("out.asm"), "old");
  }  // dropped without a commit
  EXPECT_EQ(Get("out.asm"), "old");
  EXPECT_EQ(Entries(), 1u);  // no file left beside it

  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), false, &out));
  ASSERT_FALSE(out->Write("new "));
  ASSERT_FALSE(out->Write("listing"));
  ASSERT_FALSE(out->Commit());
  out.reset();
  EXPECT_EQ(Get("out.asm"), "new listing");
  EXPECT_EQ(Entries(), 1u);
}

#if !defined(_WIN32)  // Windows files have no group or other permission bits
// Regression: the new file was readable by all until the final rename.
TEST_F(DiskFileSystemTest, ReplacedFileKeepsItsPermissionsThroughout) {
  Put("out.asm", "old");
  const fs::perms perms = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(Path("out.asm"), perms);
  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), false, &out));
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.status().permissions() & fs::perms::others_read, fs::perms::none);
  }
  ASSERT_FALSE(out->Write("new"));
  ASSERT_FALSE(out->Commit());
  EXPECT_EQ(fs::status(Path("out.asm")).permissions() & fs::perms::all, perms);
}
#endif

TEST_F(DiskFileSystemTest, UncommittedNewFileIsNotCreated) {
  for (bool append : {false, true}) {
    std::unique_ptr<OutputFile> out;
    ASSERT_FALSE(disk_.OpenOutput(Path("new.asm"), append, &out));
    ASSERT_FALSE(out->Write("text"));
    out.reset();
    EXPECT_FALSE(fs::exists(Path("new.asm"))) << "append " << append;
  }
}

TEST_F(DiskFileSystemTest, UncommittedAppendIsCutBack) {
  Put("out.asm", "old\r\n");
  {
    std::unique_ptr<OutputFile> out;
    ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), true, &out));
    ASSERT_FALSE(out->Write("more\r\n"));
  }
  EXPECT_EQ(Get("out.asm"), "old\r\n");
  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), true, &out));
  ASSERT_FALSE(out->Write("more\r\n"));
  ASSERT_FALSE(out->Commit());
  EXPECT_EQ(Get("out.asm"), "old\r\nmore\r\n");
}

#if !defined(_WIN32)  // mingw-w64's std::filesystem makes no symbolic links
TEST_F(DiskFileSystemTest, ReplacingThroughASymlinkKeepsTheLink) {
  Put("target.asm", "old");
  fs::create_symlink(Path("target.asm"), Path("link.asm"));
  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path("link.asm"), false, &out));
  ASSERT_FALSE(out->Write("new"));
  ASSERT_FALSE(out->Commit());
  EXPECT_TRUE(fs::is_symlink(Path("link.asm")));
  EXPECT_EQ(Get("target.asm"), "new");
}

// Regression: a failed append through a dangling link removed the link, not the file it made.
TEST_F(DiskFileSystemTest, AppendingThroughADanglingLinkMakesItsTarget) {
  fs::create_symlink(Path("target.asm"), Path("link.asm"));
  for (bool commit : {false, true}) {
    std::unique_ptr<OutputFile> out;
    ASSERT_FALSE(disk_.OpenOutput(Path("link.asm"), true, &out));
    ASSERT_FALSE(out->Write("new"));
    if (commit) {
      ASSERT_FALSE(out->Commit());
    }
    out.reset();
    EXPECT_TRUE(fs::is_symlink(Path("link.asm")));
    EXPECT_EQ(fs::exists(Path("target.asm")), commit);
  }
  EXPECT_EQ(Get("target.asm"), "new");
}
#endif

// Regression: the file beside a long output name was too long a name for the folder.
TEST_F(DiskFileSystemTest, LongOutputNamesCanBeReplaced) {
  const std::string name(250, 'x');
  Put(name, "old");
  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path(name), false, &out));
  ASSERT_FALSE(out->Write("new"));
  ASSERT_FALSE(out->Commit());
  EXPECT_EQ(Get(name), "new");
}

TEST_F(DiskFileSystemTest, OutputErrors) {
  std::unique_ptr<OutputFile> out;
  EXPECT_EQ(disk_.OpenOutput(dir_.string(), false, &out).message(), "Is a directory");
  // Regression: an empty name was only refused at the final rename, after the whole listing.
  EXPECT_EQ(disk_.OpenOutput("", false, &out).message(), "No such file or directory");
  EXPECT_EQ(disk_.OpenOutput(Path("no/such/dir/out.asm"), false, &out).message(),
            "No such file or directory");
  if (fs::exists("/dev/full")) {
    ASSERT_FALSE(disk_.OpenOutput("/dev/full", false, &out));
    EXPECT_EQ(out->Write(std::string(1 << 16, 'x')).message(), "No space left on device");
  }
}

TEST_F(DiskFileSystemTest, SameFileMeansTheSameFileNotTheSameText) {
  Put("a.bin", "a");
  Put("b.bin", "b");
  fs::create_hard_link(Path("a.bin"), Path("hard.bin"));
  EXPECT_TRUE(disk_.SameFile(Path("a.bin"), (dir_ / "." / "a.bin").string()));
  EXPECT_TRUE(disk_.SameFile(Path("a.bin"), Path("hard.bin")));
  EXPECT_FALSE(disk_.SameFile(Path("a.bin"), Path("b.bin")));
  EXPECT_FALSE(disk_.SameFile(Path("a.bin"), Path("missing.bin")));
}

}  // namespace
}  // namespace tessary
