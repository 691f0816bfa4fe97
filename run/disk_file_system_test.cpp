#include "run/disk_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessary {
namespace {

namespace fs = std::filesystem;

class DiskFileSystemTest : public ::testing::Test {
 protected:
  DiskFileSystemTest() {
    dir_ =
        fs::temp_directory_path() /
        ("tessary-disk-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  ~DiskFileSystemTest() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  void Put(const std::string& name, const std::string& content) const {
    std::ofstream(Path(name), std::ios::binary) << content;
  }

  std::string Get(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  size_t Entries() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {}));
  }

  FileSystem& disk_ = *DiskFileSystem();
  fs::path dir_;
};

TEST_F(DiskFileSystemTest, SizeAndReadsOfInputs) {
  Put("in.bin", "0123456789");
  uint64_t size = 0;
  EXPECT_FALSE(disk_.FileSize(Path("in.bin"), &size));
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(disk_.FileSize(Path("missing"), &size).message(), "No such file or directory");
  EXPECT_EQ(disk_.FileSize(dir_.string(), &size).message(), "Is a directory");

  std::string bytes;
  EXPECT_FALSE(disk_.ReadAt(Path("in.bin"), 4, 100, &bytes));
  EXPECT_EQ(bytes, "456789");  // the read stops where the file ends
  EXPECT_FALSE(disk_.ReadAt(Path("in.bin"), 20, 5, &bytes));
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(disk_.ReadAt(Path("missing"), 0, 5, &bytes).message(), "No such file or directory");
}

TEST_F(DiskFileSystemTest, ReplacedFileChangesOnlyOnCommit) {
  Put("out.asm", "old");
  fs::permissions(Path("out.asm"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
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
  EXPECT_EQ(fs::status(Path("out.asm")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Entries(), 1u);
}

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
