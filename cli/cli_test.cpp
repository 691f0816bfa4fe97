#include "cli/cli.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

// The golden listings check the options through their output; these check what they cannot.
TEST(CliArgsTest, ValuesThatLookLikeOptions) {
  CliRequest request;  // a value may begin with "-"
  ASSERT_FALSE(ParseCliArgs({"--start", "-5", "--", "--odd name", "out"}, &request));
  EXPECT_EQ(request.options.start_text, "-5");
  EXPECT_EQ(request.options.input_path, "--odd name");
}

TEST(CliArgsTest, UsageErrors) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"in.bin"}, "expected INPUT and OUTPUT, got 1 file name"},
      {{"a", "b", "c"}, "expected INPUT and OUTPUT, got 3 file names"},
      {{"--shape", "8x16", "a", "b"}, "--shape takes 8x8, 8x12 or 16x16, not \"8x16\""},
      {{"--skip", "all\n", "a", "b"}, "--skip takes even or odd, not \"all\\n\""},
      {{"--frobnicate", "a", "b"}, "unknown option \"--frobnicate\""},
      {{"-x\x1B", "a", "b"}, "unknown option \"-x\\x1B\""},
      {{"a", "b", "--end"}, "--end needs a value"},
      {{"--end", "--vertical", "a", "b"}, "--end needs a value"},
      {{"--invert=yes", "a", "b"}, "--invert takes no value"},
  };
  for (const auto& c : cases) {
    CliRequest r;
    EXPECT_EQ(ParseCliArgs(c.args, &r).value_or("(accepted)"), c.error);
  }
}

// A shell script run in a fresh folder holding in.bin (the sheet_rows golden input). "$T" is
// tessary-cli, "$U" runs what follows as an unprivileged user (nobody when the tests run as
// root), "$MINE" gives a file to that user, and TMPDIR is the folder tmp/. In `content`, "@" stands
// for the listing of in.bin with
// --end '$100'; a null `content` means `file` must not exist.
struct ShellCase {
  const char* script;
  int status;
  const char* err;
  const char* file;
  const char* content;
};

const ShellCase kShellCases[] = {
    {"$T --end '$100' in.bin out.asm", 0, "", "out.asm", "@"},
    {"$T --end '$100' in.bin - >out.asm", 0, "", "out.asm", "@"},
    {"printf 'x\\r\\n' >out.asm; $T --end '$100' --append in.bin out.asm", 0, "", "out.asm",
     "x\r\n@"},
    {"$T --end 100 in.bin out.asm", 0, "", "out.asm", ""},  // no whole block row: empty
    {"$T --start 20 --end 10 in.bin out.asm", 1,
     "tessary-cli: End Offset 10 is below Start Offset 20; nothing to list\n", "out.asm", nullptr},
    {"printf 'keep\\r\\n' >out.asm; $T 'Click on *' out.asm", 1,
     "tessary-cli: cannot open input file \"Click on *\": No such file or directory\n", "out.asm",
     "keep\r\n"},
    {"$T in.bin ./in.bin", 1,
     "tessary-cli: output file \"./in.bin\" is the input file; choose another output file\n",
     nullptr, nullptr},
    // Regression: standard output appended to the input file was not refused.
    {"$T in.bin - >>in.bin", 1,
     "tessary-cli: output file \"-\" is the input file; choose another output file\n", nullptr,
     nullptr},
    {"$T in.bin /dev/full", 1,
     "tessary-cli: cannot write output file \"/dev/full\": No space left on device; it is "
     "incomplete\n",
     nullptr, nullptr},
    {"$T --shape 9x9 in.bin out.asm", 2,
     "tessary-cli: --shape takes 8x8, 8x12 or 16x16, not \"9x9\"\nTry 'tessary-cli --help'.\n",
     "out.asm", nullptr},
    {"$T --version | grep -q '^tessary-cli [0-9]'", 0, "", nullptr, nullptr},
    {"$T --version >/dev/full", 1, "tessary-cli: cannot write to standard output\n", nullptr,
     nullptr},
    // Standard input lists as the file does.
    {"$T in.bin f.asm && cat in.bin | $T - out.asm && cmp f.asm out.asm", 0, "", nullptr, nullptr},
    {"R='--start 8 --end $300 --vertical'; $T $R in.bin f.asm && cat in.bin | $T $R - out.asm && "
     "cmp f.asm out.asm",
     0, "", nullptr, nullptr},
    {"R='--shape 8x12 --end $300'; $T $R in.bin f.asm && cat in.bin | $T $R - out.asm && "
     "cmp f.asm out.asm",
     0, "", nullptr, nullptr},
    {"printf 'keep me\\r\\n' >out.asm; $T - out.asm <out.asm", 1,
     "tessary-cli: output file \"out.asm\" is the input file; choose another output file\n",
     "out.asm", "keep me\r\n"},
    // Regression: a descriptor path was reopened by name, or replaced, losing what was before.
    {"printf 'PREVIOUS\\r\\n' >all.asm; $T --end '$100' in.bin /dev/stdout >>all.asm", 0, "",
     "all.asm", "PREVIOUS\r\n@"},
    {"{ echo HEADER; $T --end '$100' in.bin /dev/stdout; } >all.asm", 0, "", "all.asm",
     "HEADER\n@"},
    {"{ echo HEADER >&2; $T --end '$100' in.bin /dev/stderr; } 2>all.asm", 0, "", "all.asm",
     "HEADER\n@"},
    {"{ echo HEADER >&3; $T --end '$100' in.bin /dev/fd/3; } 3>all.asm", 0, "", "all.asm",
     "HEADER\n@"},
    {"{ echo HEADER >&3; $T --end '$100' in.bin /proc/self/fd/3; } 3>all.asm", 0, "", "all.asm",
     "HEADER\n@"},
    // Regression: a file size limit killed the run, leaving a temp file or a grown output.
    {"printf 'keep\\r\\n' >out.asm; ulimit -f 20; $T --end 65536 in.bin out.asm", 1,
     "tessary-cli: cannot write output file \"out.asm\": File too large; it is left as it was\n",
     "out.asm", "keep\r\n"},
    {"printf 'keep\\r\\n' >out.asm; ulimit -f 20; $T --append --end 65536 in.bin out.asm", 1,
     "tessary-cli: cannot write output file \"out.asm\": File too large; it is left as it was\n",
     "out.asm", "keep\r\n"},
    // Regression: Ctrl-C or a kill left a half-written output or a temporary file behind. 2 GiB
    // past the end of a short file lists blank tiles for a long while.
    {"printf 'keep\\r\\n' >out.asm; ulimit -f 4000000; "
     "timeout --preserve-status -s INT -k 20 0.1 $T --end 2147483647 in.bin out.asm",
     1, "tessary-cli: cancelled; output file \"out.asm\" is left as it was\n", "out.asm",
     "keep\r\n"},
    {"printf 'keep\\r\\n' >out.asm; ulimit -f 4000000; "
     "timeout --preserve-status -s HUP -k 20 0.1 $T --append --end 2147483647 in.bin out.asm",
     1, "tessary-cli: cancelled; output file \"out.asm\" is left as it was\n", "out.asm",
     "keep\r\n"},
    // Regression: a signal did not end a run blocked on a FIFO with no reader or a full pipe.
    {"mkfifo fifo; timeout --preserve-status -s INT -k 5 0.2 $T in.bin fifo", 1,
     "tessary-cli: cancelled; output file \"fifo\" is left as it was\n", nullptr, nullptr},
    {"set -o pipefail; timeout --preserve-status -s TERM -k 5 0.2 $T --end 2147483647 in.bin - "
     "| sleep 1",
     1, "tessary-cli: cancelled; output file \"-\" is incomplete\n", nullptr, nullptr},
    // Regression: a writable file in a read-only folder could not be replaced.
    {"mkdir ro; printf 'old\\r\\n' >ro/out.asm; chmod 666 ro/out.asm; chmod 555 ro; "
     "$U $T --end '$100' in.bin ro/out.asm",
     0, "", "ro/out.asm", "@"},
    {"mkdir ro; printf 'old\\r\\n' >ro/out.asm; chmod 666 ro/out.asm; chmod 555 ro; ulimit -f 1; "
     "$U $T --end 65536 in.bin ro/out.asm",
     1,
     "tessary-cli: cannot write output file \"ro/out.asm\": File too large; it is left as it "
     "was\n",
     "ro/out.asm", "old\r\n"},
    // Regression: a read-only file of the user's own was replaced anyway.
    {"printf 'old\\r\\n' >out.asm; chmod 444 out.asm; $MINE out.asm; $U $T --end '$100' in.bin "
     "out.asm",
     1, "tessary-cli: cannot create output file \"out.asm\": Permission denied\n", "out.asm",
     "old\r\n"},
};

TEST(CliEndToEndTest, ShellCases) {
  ScratchDir scratch;
  const std::string listing = ReadWholeFile(TESSARY_GOLDEN_DIR "/sheet_rows/case.asm");
  const bool root = geteuid() == 0;
  int row = 0;
  std::error_code ignored;
  for (const ShellCase& c : kShellCases) {
    const fs::path dir = scratch.dir() / std::to_string(++row);
    fs::create_directories(dir / "tmp");
    fs::copy_file(TESSARY_GOLDEN_DIR "/sheet_rows/case.bin", dir / "in.bin");
    // The unprivileged user may write the folder and its tmp/, and owns what is made there.
    fs::permissions(dir, fs::perms::all);
    fs::permissions(dir / "tmp", fs::perms::all);
    std::ofstream(dir / "script.sh") << c.script;
    const std::string command =
        "cd '" + dir.string() + "' && T='" TESSARY_CLI_PATH "' TMPDIR=\"$PWD/tmp\" " +
        (root ? "U='setpriv --reuid=nobody --regid=nogroup --clear-groups --' "
                "MINE='chown nobody:nogroup' "
              : "U= MINE=true ") +
        "bash script.sh </dev/null 2>err.txt";
    const int status = std::system(command.c_str());
    SCOPED_TRACE(c.script);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    EXPECT_EQ(ReadWholeFile(dir / "err.txt"), c.err);
    if (c.file != nullptr) {
      EXPECT_EQ(fs::exists(dir / c.file), c.content != nullptr);
      std::string want = c.content ? c.content : "";
      if (const size_t at = want.find('@'); at != std::string::npos) want.replace(at, 1, listing);
      EXPECT_EQ(ReadWholeFile(dir / c.file), want);
    }
    fs::permissions(dir / "ro", fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
    }
  }
}

}  // namespace
}  // namespace tessary
