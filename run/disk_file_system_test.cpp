#include "run/disk_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#if !defined(_WIN32)
#include <grp.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "run/signals.h"
#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

enum class Kind { kMissing, kPlain, kLongName, kHardLinked, kOthers, kLink, kDanglingLink };

#if defined(_WIN32)
// mingw-w64 makes no symbolic links, files have no owner, group or mode bits here, and every
// file is replaced by rename.
constexpr bool kPosix = false;
const Kind kKinds[] = {Kind::kMissing, Kind::kPlain, Kind::kLongName};
std::string Facts(const std::string&) { return ""; }
void GiveAway(Kind, const std::string&) {}
#else
constexpr bool kPosix = true;
const Kind kKinds[] = {Kind::kMissing, Kind::kPlain, Kind::kLongName,    Kind::kHardLinked,
                       Kind::kOthers,  Kind::kLink,  Kind::kDanglingLink};
// Owner, group and mode bits.
std::string Facts(const std::string& path) {
  struct stat info = {};
  stat(path.c_str(), &info);
  return std::to_string(info.st_uid) + ":" + std::to_string(info.st_gid) + ":" +
         std::to_string(info.st_mode & 07777);
}
// Only root can give a file away (kOthers) or to a group of another user (kPlain, whose group
// must stay when it is renamed over).
void GiveAway(Kind kind, const std::string& path) {
  if (geteuid() != 0 || (kind != Kind::kOthers && kind != Kind::kPlain)) return;
  ASSERT_EQ(chown(path.c_str(), kind == Kind::kOthers ? 65534 : 0, 65534), 0);
}
#endif

class DiskFileSystemTest : public ::testing::Test, public ScratchDir {
 protected:
  std::vector<std::string> Hidden() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir())) {
      const std::string name = entry.path().filename().string();
      if (name[0] == '.') names.push_back(name);
    }
    return names;
  }

  FileSystem& disk_ = *DiskFileSystem();
};

// An existing output has the mode kMode.
const fs::perms kMode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
const std::regex kTemp(R"(\.out\.asm\.tessary-[A-Za-z0-9]{6})");

// Every kind, replaced or appended to, then committed, rolled back or dropped with neither (as
// when the run runs out of memory): the file (and every link to it) shows the new content or
// the old, links stay links, an owner stays, nothing is left beside. The old content is longer
// than the new, which must not keep its tail.
TEST_F(DiskFileSystemTest, CommitOrRollbackOfEveryKindOfOutput) {
  const std::string kOld = "old, and longer than the new";
  for (Kind kind : kKinds) {
    // Regression: the temp name beside a long name was too long.
    const std::string out = kind == Kind::kLongName ? std::string(250, 'x') : "out.asm";
    const bool link = kind == Kind::kLink || kind == Kind::kDanglingLink;
    const bool existed = kind != Kind::kMissing && kind != Kind::kDanglingLink;
    for (int run = 0; run < 6; ++run) {
      const bool append = run & 1, commit = run / 2 == 1, drop = run / 2 == 2;
      SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << " run " << run);
      for (const auto& entry : fs::directory_iterator(dir())) fs::remove(entry.path());
      if (existed) Put(out, kOld);
      if (existed) fs::permissions(Path(out), kMode);
      if (kind == Kind::kHardLinked) fs::create_hard_link(Path(out), Path("other.asm"));
      GiveAway(kind, Path(out));
      if (link) fs::create_symlink(Path(out), Path("link.asm"));
      const std::string facts = Facts(Path(out));

      std::unique_ptr<OutputFile> output;
      ASSERT_FALSE(disk_.OpenOutput(Path(link ? "link.asm" : out), append, &output));
      // Beside it now: its temp file or the copy of its old content, named after it and, as a
      // regression, not readable by all.
      const std::vector<std::string> hidden = Hidden();
      ASSERT_EQ(hidden.size(), append && existed ? 0u : 1u);
      EXPECT_TRUE(hidden.empty() || kind == Kind::kLongName || std::regex_match(hidden[0], kTemp));
      EXPECT_TRUE(hidden.empty() || !existed || !kPosix ||
                  (fs::status(dir() / hidden[0]).permissions() & fs::perms::others_read) ==
                      fs::perms::none);
      EXPECT_TRUE(output->Restorable());
      EXPECT_EQ(output->Existed(), existed);  // else a message says a new file was left as it was
      ASSERT_FALSE(output->Write("new"));
      if (!drop) {
        EXPECT_TRUE(commit ? !output->Commit() : output->Rollback().empty());
      }
      output.reset();

      const std::string old = existed ? kOld : "";
      EXPECT_EQ(fs::exists(Path(out)), existed || commit);
      EXPECT_EQ(Get(out), commit ? (append ? old + "new" : "new") : old);
      EXPECT_EQ(Get("other.asm"), kind == Kind::kHardLinked ? Get(out) : "");
      EXPECT_TRUE(!existed || Facts(Path(out)) == facts);  // owner, group and mode stay
      EXPECT_EQ(fs::is_symlink(Path("link.asm")), link);
      EXPECT_EQ(Hidden(), std::vector<std::string>());
    }
  }
}

#if !defined(_WIN32)  // no renaming an open file there, no file size limit
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
  std::signal(SIGXFSZ, SIG_IGN);  // as the program does
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string problem = out->Rollback();
  setrlimit(RLIMIT_FSIZE, &limit);
  const std::vector<std::string> hidden = Hidden();
  ASSERT_EQ(hidden.size(), 1u);
  EXPECT_EQ(problem, "could not be put back (File too large); its old content is kept in \"" +
                         (dir() / hidden[0]).string() + "\"");
  EXPECT_EQ(Get(hidden[0]), old);
}

// Regression: a second Ctrl-C while an output written in place was copied back ended the
// process, leaving the file empty or part-restored and its old content in a hidden file.
TEST_F(DiskFileSystemTest, ASecondCtrlCDoesNotCutTheRestoreShort) {
  const std::string old(32 << 20, 'o');  // copied back in 32 chunks
  Put("out.asm", old);
  fs::create_hard_link(Path("out.asm"), Path("other.asm"));  // so it is written in place
  auto restore = [&] {
    CatchInterrupts();
    std::unique_ptr<OutputFile> out;
    if (disk_.OpenOutput(Path("out.asm"), false, &out)) std::exit(3);
    std::raise(SIGINT);    // the run is cancelled
    ::usleep(300 * 1000);  // late enough for a second Ctrl-C to end the process at once
    std::atomic<bool> done = false, sent = false;
    std::thread second([&] {
      while (!done) {  // sent once the copy back has begun and has not ended
        const auto size = fs::file_size(Path("out.asm"));
        if (size == 0 || size == old.size()) continue;
        std::raise(SIGINT);
        sent = true;
        return;
      }
    });
    const std::string problem = out->Rollback();
    done = true;
    second.join();
    std::exit(!problem.empty() ? 4 : sent ? 0 : 5);
  };
  EXPECT_EXIT(restore(), ::testing::ExitedWithCode(0), "putting the output file back");
  EXPECT_EQ(fs::file_size(Path("out.asm")), old.size());
  EXPECT_TRUE(Get("out.asm") == old);
  EXPECT_EQ(Hidden(), std::vector<std::string>());
}

#if !defined(__SANITIZE_ADDRESS__)  // whose allocator ends the process instead
// Regression: a copy back that could not get its buffer threw, ending the process before the
// old content was back.
TEST_F(DiskFileSystemTest, TheRestoreNeedsNoMoreMemory) {
  Put("out.asm", std::string(3 << 20, 'o'));
  fs::create_hard_link(Path("out.asm"), Path("other.asm"));  // so it is written in place
  auto restore = [&] {
    std::unique_ptr<OutputFile> out;
    if (disk_.OpenOutput(Path("out.asm"), false, &out)) std::exit(3);
    // Room for 256 KiB more than the process has mapped now, then all of it taken.
    std::vector<void*> taken(1 << 16);
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line) && line.rfind("VmSize:", 0) != 0) {
    }
    const rlim_t room = (std::stoull(line.substr(7)) << 10) + (256 << 10);
    const rlimit limit = {room, room};
    if (setrlimit(RLIMIT_AS, &limit) != 0) std::exit(4);
    for (void*& block : taken) block = std::malloc(1024);
    if (taken.back() != nullptr) std::exit(6);
    std::exit(out->Rollback().empty() ? 0 : 5);
  };
  EXPECT_EXIT(restore(), ::testing::ExitedWithCode(0), "");
  EXPECT_TRUE(Get("out.asm") == std::string(3 << 20, 'o'));
  EXPECT_EQ(Hidden(), std::vector<std::string>());
}
#endif

// Guards against a Ctrl-C that waits for the whole old content to be copied aside, only for the
// copy to be put back: it stops the copy, and the file is left as it was.
TEST_F(DiskFileSystemTest, AnInterruptStopsTheCopyAside) {
  Put("out.asm", "old");
  fs::create_hard_link(Path("out.asm"), Path("other.asm"));  // so it is written in place
  auto open = [&] {
    CatchInterrupts();
    std::raise(SIGINT);
    std::unique_ptr<OutputFile> out;
    std::fputs(disk_.OpenOutput(Path("out.asm"), false, &out).message().c_str(), stderr);
    std::exit(out ? 4 : 0);
  };
  EXPECT_EXIT(open(), ::testing::ExitedWithCode(0), "^Operation canceled$");
  EXPECT_EQ(Get("out.asm"), "old");
  EXPECT_EQ(Hidden(), std::vector<std::string>());
}

// A file in a read-only folder is written in place, its old content kept in TMPDIR. Regression:
// when no copy could be made, the message blamed the file ("No such file or directory").
TEST_F(DiskFileSystemTest, NoCopyOfTheOldContentSaysWhereAndWhy) {
  fs::create_directories(dir() / "ro");
  fs::create_directories(dir() / "tmp");
  fs::permissions(dir() / "tmp", fs::perms::all);
  Put("ro/x.asm", std::string(4096, 'o'));
  fs::permissions(dir() / "ro", fs::perms(0505));
  // Run as nobody when root, who could write the folder.
  auto open = [&](const std::string& tmpdir, fs::perms mode, rlim_t size_limit = RLIM_INFINITY) {
    fs::permissions(dir() / "ro/x.asm", mode);
    const rlimit limit = {size_limit, size_limit};
    std::signal(SIGXFSZ, SIG_IGN);  // as the program does
    if (size_limit != RLIM_INFINITY && setrlimit(RLIMIT_FSIZE, &limit) != 0) std::exit(3);
    if (geteuid() == 0 &&
        (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
      std::exit(3);
    }
    setenv("TMPDIR", tmpdir.c_str(), 1);
    std::unique_ptr<OutputFile> out;
    std::fputs(disk_.OpenOutput(Path("ro/x.asm"), false, &out).message().c_str(), stderr);
    std::exit(out ? 4 : 0);
  };
  const auto rw = fs::perms(0606), write_only = fs::perms(0202);
  EXPECT_EXIT(open("/nonexistent", rw), ::testing::ExitedWithCode(0),
              R"(^no copy of its old content can be made beside it \(Permission denied\) or in )"
              R"("/nonexistent" \(No such file or directory\)$)");
  EXPECT_EXIT(open(Path("tmp"), write_only), ::testing::ExitedWithCode(0),
              R"(^its old content cannot be read for a copy \(Permission denied\)$)");
  EXPECT_EXIT(open(Path("tmp"), rw, 1024), ::testing::ExitedWithCode(0),
              R"(^its old content cannot be copied into ".*/tmp" \(File too large\)$)");
  fs::permissions(dir() / "ro", fs::perms::owner_all);
  EXPECT_EQ(Get("ro/x.asm"), std::string(4096, 'o'));
  EXPECT_TRUE(fs::is_empty(dir() / "tmp"));
}
#endif

#if !defined(_WIN32)
// Regression: a relative link was followed from the working folder, not from its own.
TEST_F(DiskFileSystemTest, ARelativeLinkLeadsFromItsOwnFolder) {
  fs::create_directories(dir() / "sub");
  Put("sub/t.asm", "old");
  fs::create_symlink("t.asm", dir() / "sub/link");
  const fs::path was = fs::current_path();
  fs::current_path(dir());
  std::unique_ptr<OutputFile> out;
  const std::error_code ec = disk_.OpenOutput("sub/link", false, &out);
  const bool written = !ec && !out->Write("new") && !out->Commit();
  fs::current_path(was);
  EXPECT_TRUE(written) << ec.message();
  EXPECT_EQ(Get("sub/t.asm"), "new");
  EXPECT_TRUE(fs::is_symlink(dir() / "sub/link"));
  EXPECT_FALSE(fs::exists(dir() / "t.asm"));
}
#endif

TEST_F(DiskFileSystemTest, OpenErrors) {
  std::unique_ptr<InputFile> in;
  EXPECT_EQ(disk_.OpenInput(dir().string(), &in).message(), "Is a directory");
  EXPECT_EQ(disk_.OpenInput(Path("missing"), &in).message(), "No such file or directory");
  std::unique_ptr<OutputFile> out;
  EXPECT_EQ(disk_.OpenOutput(dir().string(), false, &out).message(), "Is a directory");
  // Regression: an empty name was only refused at the final rename, after the whole listing.
  EXPECT_EQ(disk_.OpenOutput("", false, &out).message(), "No such file or directory");
  EXPECT_EQ(disk_.OpenOutput(Path("no/such/dir/out.asm"), false, &out).message(),
            "No such file or directory");
#if !defined(_WIN32)
  // Regression guard: a descriptor folder without a number read an empty number.
  EXPECT_EQ(disk_.OpenOutput("/dev/fd/", false, &out).message(), "Is a directory");
  EXPECT_EQ(disk_.OpenOutput("/proc/self/fd/", false, &out).message(), "Is a directory");
  EXPECT_EQ(disk_.OpenOutput("/dev/fd/x1", false, &out).message(), "No such file or directory");
#endif
}

}  // namespace
}  // namespace tessary
