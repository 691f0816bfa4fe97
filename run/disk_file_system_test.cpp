#include "run/disk_file_system.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <regex>

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
  uid_t Owner(const std::string& name) const {
    struct stat info = {};
    return stat(Path(name).c_str(), &info) == 0 ? info.st_uid : static_cast<uid_t>(-1);
  }
  std::vector<std::string> Hidden() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.') names.push_back(name);
    }
    return names;
  }

  ScratchDir scratch_;
  const fs::path& dir_ = scratch_.dir();
  FileSystem& disk_ = *DiskFileSystem();
};

// How the output file stands before it is opened.
enum class Kind { kMissing, kPlain, kLongName, kHardLinked, kOthers, kLink, kDanglingLink };

// Every kind, replaced or appended to, then committed or rolled back: the file (and every link to
// it) shows the new content or the old, links stay links, an owner stays, nothing is left beside.
TEST_F(DiskFileSystemTest, CommitOrRollbackOfEveryKindOfOutput) {
  for (Kind kind : {Kind::kMissing, Kind::kPlain, Kind::kLongName, Kind::kHardLinked, Kind::kOthers,
                    Kind::kLink, Kind::kDanglingLink}) {
    if (kind == Kind::kOthers && geteuid() != 0) continue;  // only root can give a file away
    // Regression: the temp name beside a long name was too long.
    const std::string out = kind == Kind::kLongName ? std::string(250, 'x') : "out.asm";
    const bool link = kind == Kind::kLink || kind == Kind::kDanglingLink;
    const bool existed = kind != Kind::kMissing && kind != Kind::kDanglingLink;
    for (int run = 0; run < 4; ++run) {
      const bool append = run & 1, commit = run & 2;
      SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << " run " << run);
      for (const auto& entry : fs::directory_iterator(dir_)) fs::remove(entry.path());
      if (existed) Put(out, "old");
      if (kind == Kind::kHardLinked) fs::create_hard_link(Path(out), Path("other.asm"));
      if (kind == Kind::kOthers) {
        ASSERT_EQ(chown(Path(out).c_str(), 65534, 65534), 0);
      }
      if (link) fs::create_symlink(Path(out), Path("link.asm"));
      const uid_t owner = existed ? Owner(out) : geteuid();

      std::unique_ptr<OutputFile> output;
      ASSERT_FALSE(disk_.OpenOutput(Path(link ? "link.asm" : out), append, &output));
      EXPECT_TRUE(output->Restorable());
      ASSERT_FALSE(output->Write("new"));
      EXPECT_TRUE(commit ? !output->Commit() : output->Rollback().empty());
      output.reset();

      const std::string old = existed ? "old" : "";
      EXPECT_EQ(fs::exists(Path(out)), existed || commit);
      EXPECT_EQ(Get(out), commit ? (append ? old + "new" : "new") : old);
      EXPECT_EQ(Get("other.asm"), kind == Kind::kHardLinked ? Get(out) : "");
      EXPECT_TRUE(!fs::exists(Path(out)) || Owner(out) == owner);
      EXPECT_EQ(fs::is_symlink(Path("link.asm")), link);
      EXPECT_EQ(Hidden(), std::vector<std::string>());
    }
  }
}

// Regression: the new file was readable by all until the final rename.
TEST_F(DiskFileSystemTest, TempFileIsNamedAfterTheOutputAndKeepsItsPermissions) {
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  Put("out.asm", "old");
  fs::permissions(Path("out.asm"), mode);
  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), false, &out));
  const std::vector<std::string> hidden = Hidden();
  ASSERT_EQ(hidden.size(), 1u);
  EXPECT_TRUE(std::regex_match(hidden[0], std::regex(R"(\.out\.asm\.tessary-[A-Za-z0-9]{6})")));
  EXPECT_EQ(fs::status(dir_ / hidden[0]).permissions(), mode);
  ASSERT_FALSE(out->Write("new"));
  ASSERT_FALSE(out->Commit());
  EXPECT_EQ(fs::status(Path("out.asm")).permissions(), mode);
}

// Regression: an append was cut back by name, so a file renamed or put in its place meanwhile
// lost the wrong bytes.
TEST_F(DiskFileSystemTest, AppendIsCutBackThroughItsOwnDescriptor) {
  Put("out.asm", "old");
  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), true, &out));
  ASSERT_FALSE(out->Write("new"));
  fs::rename(Path("out.asm"), Path("moved.asm"));
  Put("out.asm", "another file");
  out.reset();
  EXPECT_EQ(Get("moved.asm"), "old");
  EXPECT_EQ(Get("out.asm"), "another file");
}

// A file written in place whose old content cannot be put back names the copy that keeps it.
TEST_F(DiskFileSystemTest, FailedRestoreKeepsTheCopyAndSaysWhere) {
  const std::string old(4096, 'o');
  Put("out.asm", old);
  fs::create_hard_link(Path("out.asm"), Path("other.asm"));  // so it is written in place
  std::unique_ptr<OutputFile> out;
  ASSERT_FALSE(disk_.OpenOutput(Path("out.asm"), false, &out));
  ASSERT_FALSE(out->Write("new"));
  rlimit limit = {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit small = {1024, limit.rlim_max};
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string problem = out->Rollback();
  setrlimit(RLIMIT_FSIZE, &limit);
  std::signal(SIGXFSZ, old_handler);

  const std::vector<std::string> hidden = Hidden();
  ASSERT_EQ(hidden.size(), 1u);
  EXPECT_EQ(problem, "could not be put back (File too large); its old content is kept in \"" +
                         (dir_ / hidden[0]).string() + "\"");
  EXPECT_EQ(Get(hidden[0]), old);
}

TEST_F(DiskFileSystemTest, OutputErrors) {
  std::unique_ptr<OutputFile> out;
  EXPECT_EQ(disk_.OpenOutput(dir_.string(), false, &out).message(), "Is a directory");
  // Regression: an empty name was only refused at the final rename, after the whole listing.
  EXPECT_EQ(disk_.OpenOutput("", false, &out).message(), "No such file or directory");
  EXPECT_EQ(disk_.OpenOutput(Path("no/such/dir/out.asm"), false, &out).message(),
            "No such file or directory");
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
