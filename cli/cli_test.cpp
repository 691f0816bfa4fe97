#include "cli/cli.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "testdata/scratch_dir.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

namespace tessary {
namespace {

namespace fs = std::filesystem;

// How a message shows a backslash: Windows paths are full of them.
#if defined(_WIN32)
#define BACKSLASH "\\"
#else
#define BACKSLASH "\\\\"
#endif

// The golden listings check the options through their output; these check what they cannot.
TEST(CliArgsTest, UsageErrors) {
  const std::string no_symbol =
      " is not a symbol name: use letters, digits and _, and begin with a letter or _";
  const std::string by_rows = ": it takes every 8x8 cell, row by row";
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
    {{"in.bin"}, "expected INPUT and OUTPUT, got 1 file name"},
    {{"a", "b", "c"}, "expected INPUT and OUTPUT, got 3 file names"},
    {{"--shape", "8x16", "a", "b"}, "--shape takes 8x8, 8x12 or 16x16, not \"8x16\""},
    {{"--skip", "all\n", "a", "b"}, "--skip takes even or odd, not \"all\\n\""},
    {{"--frobnicate", "a", "b"}, "unknown option \"--frobnicate\""},
    // Guards against user text breaking a message over lines or sending terminal controls.
    {{"-x\x1B\xC2\x9B\x7F\"\\\xC3\xA9", "a", "b"},
     "unknown option \"-x\\x1B\\u009B\\x7F\\\"" BACKSLASH "\xC3\xA9\""},
    // Regression: option values and names went into messages raw.
    {{"--nope\x1B[2J=1", "a", "b"}, "unknown option \"--nope\\x1B[2J\""},
    {{"--shape", "8x8\r", "a", "b"}, "--shape takes 8x8, 8x12 or 16x16, not \"8x8\\r\""},
    {{"--label-prefix", "tile\n_", "a", "b"}, "--label-prefix \"tile\\n_\"" + no_symbol},
    // Regression: a Windows path showed every backslash doubled.
    {{"--skip", "Z:\\tmp\\odd", "a", "b"},
     "--skip takes even or odd, not \"Z:" BACKSLASH "tmp" BACKSLASH "odd\""},
    {{"a", "b", "--end"}, "--end needs a value"},
    {{"--glyph", "8x8", "--glyph-gap", "1x", "a", "b"},
     "--glyph-gap takes a whole number from 0 to 65536, not \"1x\""},
    {{"--threshold", "$100", "a", "b"},
     "--threshold takes a whole number from 1 to 255, not \"$100\""},
    {{"--end", "--vertical", "a", "b"}, "--end needs a value"},
    {{"--invert=yes", "a", "b"}, "--invert takes no value"},
    {{"--syntax", "ca6\x1B", "a", "b"},
     "--syntax takes one of classic, ca65, 64tass, acme, dasm, xa, pasmo, z80asm, sdas, gas, "
     "rgbds, wla-dx, sjasmplus, kickass, vasm, c; not \"ca6\\x1B\""},
    {{"--label-prefix", "9lives", "a", "b"}, "--label-prefix \"9lives\"" + no_symbol},
    {{"--label-prefix=", "a", "b"}, "--label-prefix \"\"" + no_symbol},
    {{"--label-prefix", "t", "--no-labels", "a", "b"},
     "--label-prefix needs label lines, and --no-labels leaves them empty"},
    {{"--unique", "--vertical", "a", "b"}, "--unique cannot go with --vertical" + by_rows},
    {{"--map", "m", "--shape", "16x16", "a", "b"}, "--map cannot go with --shape 16x16" + by_rows},
    {{"--unique", "--glyph", "8x16", "a", "b"}, "--unique cannot go with --glyph" + by_rows},
    {{"--map=", "a", "b"}, "--map needs a file name"},
    {{"--syntax", "C", "--label-prefix", "t", "a", "b"},
     "--label-prefix cannot go with --syntax c, which has no symbols, only comments"},
#if defined(TESSARY_HAS_PNG)
    {{"--png-columns", "0", "--png", "p", "a", "b"},
     "--png-columns takes a whole number from 1 to 1024, not \"0\""},
    {{"--png-scale=17", "--png", "p", "a", "b"},
     "--png-scale takes a whole number from 1 to 16, not \"17\""},
    {{"--png-scale", "2x", "a", "b"}, "--png-scale takes a whole number from 1 to 16, not \"2x\""},
    {{"--png-columns", "5", "a", "b"}, "--png-columns goes with --png"},
    {{"--png=", "a", "b"}, "--png needs a file name"},
#endif
  };
  for (const auto& c : cases) {
    CliRequest r;
    EXPECT_EQ(ParseCliArgs(c.args, &r).value_or("(accepted)"), c.error);
  }
}

// Every syntax by its name in any letter case, and none by a name with any letter changed.
TEST(CliArgsTest, SyntaxNames) {
  for (const SyntaxProfile& profile : kSyntaxProfiles) {
    std::string name = profile.name;
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    CliRequest r;
    EXPECT_EQ(ParseCliArgs({"--syntax", name, "a", "b"}, &r).value_or("(accepted)"), "(accepted)");
    EXPECT_EQ(r.options.listing.syntax, profile.syntax) << name;
    for (size_t i = 0; i <= name.size(); ++i) {
      const std::string known = profile.name;
      const std::string wrong =
          known.substr(0, i) + "#" + known.substr(std::min(i + 1, known.size()));
      EXPECT_TRUE(ParseCliArgs({"--syntax", wrong, "a", "b"}, &r).has_value()) << wrong;
    }
  }
}

#if !defined(TESSARY_HAS_PNG)
// A build without libpng refuses --png rather than ignoring it.
TEST(CliArgsTest, NoPictureWithoutLibpng) {
  CliRequest r;
  EXPECT_EQ(ParseCliArgs({"--png", "p.png", "a", "b"}, &r).value_or("(accepted)"),
            "--png is not available: this tessary-cli was built without libpng");
}
#endif

#if defined(_WIN32)
// Regression: Windows handed the arguments over in its ANSI code page, losing such names. (The
// shell cases below need a POSIX shell.)
TEST(CliEndToEndTest, NonAsciiNamesOnWindows) {
  ScratchDir scratch;
  const std::string name = "Bl\xC3\xA4tter \xE2\x82\xAC\xF0\x9F\x98\x80";
  scratch.Put(name + ".chr", ReadWholeFile(TESSARY_GOLDEN_DIR "/sheet_rows/case.bin"));
  const std::string command = "cd /d \"" + scratch.dir().string() +
                              "\" && \"" TESSARY_CLI_PATH "\" \"" + name + ".chr\" \"" + name +
                              ".asm\" <NUL";
  ASSERT_EQ(_wsystem(PathFromUtf8(command).c_str()), 0);
  EXPECT_EQ(scratch.Get(name + ".asm"), ReadWholeFile(TESSARY_GOLDEN_DIR "/sheet_rows/case.asm"));
}
#else
// A shell script run in a fresh folder that holds in.bin (256 bytes: the sheet_rows golden
// input) and out.asm ("keep"). "$T" is tessary-cli; "$U" runs what follows as an unprivileged
// user (nobody when the tests run as root) and "$MINE" gives a file to that user; "stop SIGNAL
// SECONDS command" sends the signal after that time; "ro command" runs it as that user with a
// writable ro/out.asm ("keep") in a read-only folder, then copies that to out.asm; "kept 'TEST'"
// exits 9 unless [ TEST ] holds, else gives the status of the command before; TMPDIR is tmp/. `err`
// is the message on stderr without "tessary-cli: ", the line end and, for a usage error (status 2),
// the hint at --help. In `content`, "@" stands for the listing of in.bin.
struct ShellCase {
  const char* script;
  int status;
  std::string err;
  const char* content;  // of out.asm afterwards, unless null
};

// The refusal of an outside file `name` (of the kind `what`) that is the `other` file.
std::string Same(const std::string& what, const std::string& name, const std::string& other) {
  return what + " file \"" + name + "\" is the " + other + " file; choose another " + what +
         " file";
}

constexpr char kNoBlockRow[] =
    "the range from $0 to $64 (100 bytes) holds no whole block row of 128 bytes; nothing to list "
    "(--every-tile lists its 12 tiles)";

const ShellCase kShellCases[] = {
    {"$T in.bin out.asm", 0, "", "@"},
    {"$T in.bin - >out.asm", 0, "", "@"},
    {"$T --append in.bin out.asm", 0, "", "keep@"},
    // Regression: a range that lists no tile emptied the output and exited 0. Replaced or
    // appended to, the output keeps its bytes and its time.
    {"touch -d @1000 out.asm; $T --end 100 in.bin out.asm; kept '$(stat -c %Y out.asm) = 1000'", 1,
     kNoBlockRow, "keep"},
    {"touch -d @1000 out.asm; $T --append --end 100 in.bin out.asm; "
     "kept '$(stat -c %Y out.asm) = 1000'",
     1, kNoBlockRow, "keep"},
    {"head -c 100 in.bin | $T - out.asm", 1, kNoBlockRow, "keep"},
    {"$T --end 200 in.bin out.asm", 0,
     "note: the last 72 bytes of the range ($80 to $C8) fill no whole block row of 128 bytes and "
     "are not listed; --every-tile lists their 9 tiles",
     nullptr},
    // Regression: a number that Val2 reads only in part was taken silently.
    {"$T --start 0x20C in.bin out.asm", 2,
     "--start \"0x20C\": reads as 0; write hexadecimal as $20C", "keep"},
    {"$T --glyph 8x16 --vertical in.bin out.asm", 2,
     "--glyph cannot go with --vertical: glyphs are listed in order", "keep"},
    {"$T --glyph-gap 1 in.bin out.asm", 2, "--glyph-gap goes with --glyph", "keep"},
    // The bytes the listing spells, beside it: whole block rows of the range, and 16x16 rows as
    // the listing spells them, checked against the listing's own digits by the golden cases.
    {"$T --bin b.bin --end 300 in.bin out.asm 2>/dev/null && head -c 256 in.bin | cmp - b.bin", 0,
     "", nullptr},
    {"$T --bin in.bin in.bin out.asm", 1, Same("binary", "in.bin", "input"), "keep"},
    {"$T --bin out.asm in.bin out.asm", 1, Same("binary", "out.asm", "output"), "keep"},
    {"echo keep >b.bin; $T --end 100 --bin b.bin in.bin out.asm; [ $(cat b.bin) = keep ]", 0,
     kNoBlockRow, "keep"},
    // The map beside the listing: its symbol, its syntax, its number form, its lines, a partial
    // block row counted; refused when a number passes $FF, with no map file left.
    {"head -c 152 /dev/zero >z.bin; $T --unique --map m.s --syntax ca65 --label-prefix t_ z.bin "
     "out.asm && printf 't_map:\r\n .byte $00,$00,$00,$00,$00,$00,$00,$00,$00,$00,$00,$00,$00,$00,"
     "$00,$00\r\n .byte $00,$00,$00\r\n' | cmp - m.s",
     0, "", nullptr},
    {"head -c 16 /dev/zero >z.bin; $T --map m.c --syntax c --count-from 5 z.bin out.asm && "
     "printf '0x05,0x06,\r\n' | cmp - m.c",
     0, "", nullptr},
    {"$T --map m.s --count-from '$F0' in.bin out.asm; kept ! -e m.s", 1,
     "32 tiles from $F0 do not fit a byte map (tile $100 is the first)", "keep"},
    {"cat in.bin | $T --unique --map m.s --count-from '$F0' - out.asm; kept ! -e m.s", 1,
     "32 distinct tiles from $F0 do not fit a byte map (tile $100 is the first); output file "
     "\"out.asm\" is left as it was",
     "keep"},
    {"$T --map in.bin in.bin out.asm", 1, Same("map", "in.bin", "input"), "keep"},
    {"$T --bin m.s --map m.s in.bin out.asm", 1, Same("map", "m.s", "binary"), "keep"},
    {": >e.bin; $T --end 8 e.bin out.asm", 1, "input file \"e.bin\" is empty; nothing to list",
     "keep"},
    {"cp in.bin ./-x; $T -- -x out.asm", 0, "", "@"},
    {"ln in.bin hard.bin; $T in.bin hard.bin", 1, Same("output", "hard.bin", "input"), nullptr},
    // Regression: standard output appended to the input file was not refused.
    {"$T in.bin - >>in.bin", 1, Same("output", "-", "input"), nullptr},
    {"$T in.bin /dev/full", 1,
     "cannot write output file \"/dev/full\": No space left on device; it is incomplete", nullptr},
    {"$T --version | grep -q '^tessary-cli [0-9]'", 0, "", nullptr},
    {"$T --version >/dev/full", 1, "cannot write to standard output", nullptr},
    // Standard input lists as the file does.
    {"for R in '' '--start 8 --end $308 --vertical' '--shape 8x12 --end $300'; do "
     "$T $R in.bin f.asm && cat in.bin | $T $R - out.asm && cmp f.asm out.asm || exit; done",
     0, "", nullptr},
    {"printf 'keep me\\r\\n' >out.asm; $T - out.asm <out.asm", 1,
     Same("output", "out.asm", "input"), "keep me\r\n"},
    // Regression guard: standard input and output on one device are not one file.
    {"$T - - </dev/null >/dev/null", 1, "input file \"-\" is empty; nothing to list", "keep"},
    // Regression: a closed standard output was said to be the input file, which took its number.
    {"$T in.bin - >&-", 1, "cannot write output file \"-\": standard output is closed", "keep"},
    {"$T in.bin - 1<out.asm", 1,
     "cannot write output file \"-\": standard output is open for reading only", "keep"},
    // Regression guard: a number's control characters are shown escaped.
    {"$T --count-from $'99999999999\\e' in.bin out.asm", 1,
     "Hex Count From \"99999999999\\x1B\" is outside the 32-bit range", "keep"},
    // Regression: a descriptor path was reopened by name, or replaced, losing what was before.
    {"$T in.bin /dev/stdout >>out.asm", 0, "", "keep@"},
    {"{ echo HEADER; $T in.bin /dev/stdout; } >out.asm", 0, "", "HEADER\n@"},
    {"{ echo HEADER >&2; $T in.bin /dev/stderr; } 2>out.asm", 0, "", "HEADER\n@"},
    {"{ echo HEADER >&3; $T in.bin /dev/fd/3; } 3>out.asm", 0, "", "HEADER\n@"},
    {"{ echo HEADER >&3; $T in.bin /proc/self/fd/3; } 3>out.asm", 0, "", "HEADER\n@"},
    // Regression: a file size limit killed the run, leaving a temp file or a grown output.
    {"ulimit -f 20; $T --end 65536 in.bin out.asm", 1,
     "cannot write output file \"out.asm\": File too large; it is left as it was", "keep"},
    {"ulimit -f 20; $T --append --end 65536 in.bin out.asm", 1,
     "cannot write output file \"out.asm\": File too large; it is left as it was", "keep"},
    // Regression: Ctrl-C or a kill left a half-written output or a temporary file behind. 2 GiB
    // past the end of a short file lists blank tiles for a long while.
    {"ulimit -f 4000000; stop INT 0.1 $T --end 2147483647 in.bin out.asm", 1,
     "cancelled; output file \"out.asm\" is left as it was", "keep"},
    // A FIFO is read as it comes; a signal ends a run blocked reading a pipe or opening a FIFO.
    {"mkfifo p; cat in.bin >p & $T p out.asm", 0, "", "@"},
    {"stop INT 0.2 $T - out.asm < <(sleep 1)", 1, "cancelled; nothing was written", "keep"},
    {"mkfifo p; stop INT 0.2 $T p out.asm", 1, "cancelled; nothing was written", "keep"},
    // Regression: a signal did not end a run blocked on a FIFO with no reader or a full pipe.
    {"mkfifo fifo; stop INT 0.2 $T in.bin fifo", 1,
     "cancelled; output file \"fifo\" is left as it was", nullptr},
    {"set -o pipefail; stop TERM 0.2 $T --end 2147483647 in.bin - | sleep 1", 1,
     "cancelled; output file \"-\" is incomplete", nullptr},
    // Regression: a writable file in a read-only folder could not be replaced.
    {"ro $T in.bin ro/out.asm", 0, "", "@"},
    {"ulimit -f 1; ro $T --end 65536 in.bin ro/out.asm", 1,
     "cannot write output file \"ro/out.asm\": File too large; it is left as it was", "keep"},
    // Regression: a read-only file of the user's own was replaced anyway.
    {"chmod 444 out.asm; $MINE out.asm; $U $T in.bin out.asm", 1,
     "cannot create output file \"out.asm\": Permission denied", "keep"},
#if defined(TESSARY_HAS_PNG)
    // The picture beside the listing: written with it or not at all. "kept" checks that p.png
    // ("keep") was left alone.
    {"echo keep >p.png; $T --end 100 --png p.png in.bin out.asm; kept '$(cat p.png) = keep'", 1,
     kNoBlockRow, "keep"},
    {"$T --png p.png --bin p.png in.bin out.asm", 1, Same("binary", "p.png", "picture"), "keep"},
    {"$T --png in.bin in.bin out.asm", 1, Same("picture", "in.bin", "input"), "keep"},
    {"$T --png ./new.asm in.bin new.asm", 1, Same("picture", "./new.asm", "output"), nullptr},
    {"$T --png p.png in.bin - >p.png", 1, Same("picture", "p.png", "output"), nullptr},
    // Regression: the picture went into the listing's pipe, mixed with it.
    {"set -o pipefail; $T --png /dev/stdout in.bin - | cat >out.asm", 1,
     Same("picture", "/dev/stdout", "output"), ""},
    {"set -o pipefail; $T --png - in.bin /dev/fd/1 | cat >out.asm", 1,
     Same("picture", "-", "output"), ""},
    {"$T --png /dev/null in.bin - >/dev/null", 0, "", "keep"},  // a device takes both
    {"$T --png - in.bin out.asm >&-", 1,
     "cannot write picture file \"-\": standard output is closed", "keep"},
    {"$T --png /dev/full in.bin out.asm", 1,
     "cannot write picture file \"/dev/full\": No space left on device; output file \"out.asm\" "
     "is left as it was; picture file \"/dev/full\" is incomplete",
     "keep"},
    {"echo keep >p.png; $T --png p.png in.bin /dev/full; kept '$(cat p.png) = keep'", 1,
     "cannot write output file \"/dev/full\": No space left on device; it is incomplete", nullptr},
    {"ulimit -f 20000; $T --end 2147483647 --png-columns 1 --png-scale 16 --png p.png in.bin "
     "out.asm",
     1,
     "picture file \"p.png\" would be 34359736320 pixels high, more than a PNG holds "
     "(2147483647); use more --png-columns or a smaller --png-scale; output file \"out.asm\" is "
     "left as it was",
     "keep"},
    // Regression guard: the encoding thread ends with a cancelled run, and the picture goes back.
    {"echo keep >p.png; ulimit -f 4000000; stop INT 0.2 $T --png p.png --end 2147483647 in.bin "
     "out.asm; kept '$(cat p.png) = keep'",
     1, "cancelled; output file \"out.asm\" is left as it was", "keep"},
#endif
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
    for (const fs::path& path : {dir, dir / "tmp"}) fs::permissions(path, fs::perms::all);
    std::ofstream(dir / "out.asm") << "keep";
    std::ofstream(dir / "script.sh")
        << "stop() { timeout --preserve-status -k 20 -s \"$@\"; }\n"
           "ro() { mkdir ro; cp out.asm ro; chmod 666 ro/out.asm; chmod 555 ro; $U \"$@\"; s=$?;\n"
           "  cat ro/out.asm >out.asm; return $s; }\n"
           "kept() { s=$?; eval \"[ $* ]\" || exit 9; return $s; }\n"
        << c.script;
    const std::string command =
        "cd '" + dir.string() + "' && T='" TESSARY_CLI_PATH "' TMPDIR=\"$PWD/tmp\" " +
        (root ? "U='setpriv --reuid=nobody --regid=nogroup --clear-groups --' "
                "MINE='chown nobody:nogroup' "
              : "U= MINE=true ") +
        "bash script.sh </dev/null 2>err.txt";
    const int status = std::system(command.c_str());
    SCOPED_TRACE(c.script);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status);
    const std::string help = c.status == 2 ? "\nTry 'tessary-cli --help'." : "";
    EXPECT_EQ(ReadWholeFile(dir / "err.txt"),
              c.err.empty() ? "" : "tessary-cli: " + c.err + help + "\n");
    if (c.content != nullptr) {
      std::string want = c.content;
      if (const size_t at = want.find('@'); at != std::string::npos) want.replace(at, 1, listing);
      EXPECT_EQ(ReadWholeFile(dir / "out.asm"), want);
    }
    fs::permissions(dir / "ro", fs::perms::owner_all, fs::perm_options::add, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      EXPECT_NE(entry.path().filename().string()[0], '.') << "left behind: " << entry.path();
    }
  }
}

// Regression: an interrupt that came before the handlers were in place ended the process with
// 143 or 129. One held back until then (blocked, as a parent may pass it on) cancels the run.
TEST(CliEndToEndTest, EarlyInterruptCancels) {
  ScratchDir scratch;
  scratch.Put("in.bin", std::string(256, 'x'));
  const std::string dir = scratch.dir().string(), err = scratch.Path("err.txt");
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) {
    const pid_t child = fork();
    if (child == 0) {
      sigset_t held;
      sigemptyset(&held);
      sigaddset(&held, signal_number);
      sigprocmask(SIG_BLOCK, &held, nullptr);
      raise(signal_number);
      if (chdir(dir.c_str()) == 0 &&
          dup2(open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2) == 2) {
        execl(TESSARY_CLI_PATH, "tessary-cli", "in.bin", "out.asm", nullptr);
      }
      _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1) << "signal " << signal_number;
    EXPECT_EQ(scratch.Get("err.txt"), "tessary-cli: cancelled; nothing was written\n");
    EXPECT_FALSE(fs::exists(scratch.dir() / "out.asm"));
  }
}

#endif

}  // namespace
}  // namespace tessary
