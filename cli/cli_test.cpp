#include "cli/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

// The golden listings check the options through their output; these check what they cannot.
TEST(CliArgsTest, DefaultsAndValuesThatLookLikeOptions) {
  CliRequest defaults;
  ASSERT_FALSE(ParseCliArgs({"in.bin", "out.asm"}, &defaults));
  EXPECT_EQ(defaults.options.start_text, "0");
  EXPECT_FALSE(defaults.options.end_text.has_value());
  EXPECT_EQ(defaults.options.tile_number_text, "$00");
  EXPECT_TRUE(defaults.style.labels);
  EXPECT_EQ(defaults.options.shape, Shape::k8x8);

  CliRequest negative;  // a value may begin with "-"
  ASSERT_FALSE(ParseCliArgs({"--start", "-5", "--", "--odd name", "out"}, &negative));
  EXPECT_EQ(negative.options.start_text, "-5");
  EXPECT_EQ(negative.options.input_path, "--odd name");
}

TEST(CliArgsTest, UsageErrors) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"in.bin"}, "expected INPUT and OUTPUT, got 1 file name"},
      {{"a", "b", "c"}, "expected INPUT and OUTPUT, got 3 file names"},
      {{"--shape", "8x16", "a", "b"}, "--shape takes 8x8, 8x12 or 16x16, not \"8x16\""},
      {{"--skip", "all", "a", "b"}, "--skip takes even or odd, not \"all\""},
      {{"--frobnicate", "a", "b"}, "unknown option \"--frobnicate\""},
      {{"-x", "a", "b"}, "unknown option \"-x\""},
      {{"a", "b", "--end"}, "--end needs a value"},
      {{"--end", "--vertical", "a", "b"}, "--end needs a value"},
      {{"--invert=yes", "a", "b"}, "--invert takes no value"},
      {{"--syntax", "masm", "a", "b"},
       "--syntax takes one of classic, ca65, 64tass, acme, dasm, xa, pasmo, z80asm, sdas, gas, "
       "rgbds, wla-dx, sjasmplus, kickass, vasm, c; not \"masm\""},
      {{"--label-prefix", "9lives", "a", "b"},
       "--label-prefix \"9lives\" is not a symbol name: use letters, digits and _, and begin with "
       "a letter or _"},
      {{"--label-prefix", "t", "--no-labels", "a", "b"},
       "--label-prefix needs label lines, and --no-labels leaves them empty"},
      {{"--syntax", "C", "--label-prefix", "t", "a", "b"},
       "--label-prefix cannot go with --syntax c, which has no symbols, only comments"},
  };
  for (const auto& c : cases) {
    CliRequest r;
    EXPECT_EQ(ParseCliArgs(c.args, &r).value_or("(accepted)"), c.error);
  }
}

// Runs the real tessary-cli binary in a scratch folder.
class CliEndToEndTest : public ::testing::Test {
 protected:
  CliEndToEndTest() {
    std::string sheet;
    for (int i = 0; i < 512; ++i) sheet.push_back(static_cast<char>(i * 13));
    Put("in.bin", sheet);
  }

  void Put(const std::string& name, const std::string& text) { scratch_.Put(name, text); }
  std::string Get(const std::string& name) { return scratch_.Get(name); }
  // Runs tessary-cli with `args` in the scratch folder, standard input fed by the shell command
  // `feed` through a pipe; returns the exit status.
  int Cli(const std::string& args, const std::string& feed = "cat </dev/null") {
    // Redirections in `args` come last and so win over these.
#if defined(_WIN32)
    // cmd.exe: quotes are ", "cat X |" becomes "<X" (its "type" stops at a Ctrl-Z byte), and
    // only one "<" may be given. The command goes in as UTF-16, so any file name passes.
    const std::string input = args.find('<') != std::string::npos ? ""
                              : feed == "cat </dev/null"          ? " <NUL"
                                                                  : " <" + feed.substr(4);
    std::string command = "cd /d \"" + dir_.string() +
                          "\" && \"" TESSARY_CLI_PATH "\" >stdout.txt 2>stderr.txt" + input + " " +
                          args;
    std::replace(command.begin(), command.end(), '\'', '"');
    return _wsystem(PathFromUtf8(command).c_str());
#else
    const std::string command = "cd '" + dir_.string() + "' && " + feed +
                                " | '" TESSARY_CLI_PATH "' >stdout.txt 2>stderr.txt " + args;
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
  }

  ScratchDir scratch_;
  const fs::path& dir_ = scratch_.dir();
};

TEST_F(CliEndToEndTest, WritesTheListingToAFileOrStandardOutput) {
  ASSERT_EQ(Cli("--end '$100' in.bin out.asm"), 0);
  const std::string listing = Get("out.asm");
  EXPECT_EQ(listing.size(), 32u * (6 + 8 * 16));
  EXPECT_EQ(listing.substr(0, 22), "; 00\r\n .db %00000000\r\n");
  EXPECT_EQ(Get("stderr.txt"), "");
  ASSERT_EQ(Cli("--end '$100' in.bin -"), 0);
  EXPECT_EQ(Get("stdout.txt"), listing);

  ASSERT_EQ(Cli("--end '$80' --append in.bin out.asm"), 0);
  EXPECT_EQ(Get("out.asm"), listing + listing.substr(0, listing.size() / 2));

  // Regression: Windows handed the arguments over in its ANSI code page, losing such names.
  const std::string name = "Bl\xC3\xA4tter \xE2\x82\xAC\xF0\x9F\x98\x80";
  Put(name + ".chr", Get("in.bin"));
  ASSERT_EQ(Cli("--end '$100' '" + name + ".chr' '" + name + ".asm'"), 0);
  EXPECT_EQ(Get(name + ".asm"), listing);
}

TEST_F(CliEndToEndTest, NothingToListIsAnErrorAndTouchesNoFile) {
  EXPECT_EQ(Cli("--start 20 --end 10 in.bin out.asm"), 1);
  EXPECT_EQ(Get("stderr.txt"),
            "tessary-cli: End Offset 10 is below Start Offset 20; nothing to list\n");
  EXPECT_FALSE(fs::exists(dir_ / "out.asm"));
  // A range with no whole block row still writes a (empty) listing.
  EXPECT_EQ(Cli("--end 100 in.bin out.asm"), 0);
  EXPECT_EQ(Get("out.asm"), "");
}

TEST_F(CliEndToEndTest, ErrorsLeaveTheOutputAsItWas) {
  Put("out.asm", "keep me\r\n");
  EXPECT_EQ(Cli("'Click on *' out.asm"), 1);
  EXPECT_EQ(Get("stderr.txt"),
            "tessary-cli: cannot open input file \"Click on *\": No such file or directory\n");
  // Regression: standard output appended to the input file was not refused.
  EXPECT_EQ(Cli("in.bin - >>in.bin"), 1);
  EXPECT_EQ(Get("in.bin").size(), 512u);
  EXPECT_EQ(Cli("in.bin ./in.bin"), 1);
  EXPECT_EQ(Get("stderr.txt"),
            "tessary-cli: output file \"./in.bin\" is the input file; choose another output "
            "file\n");
#if !defined(_WIN32)  // no /dev/full
  if (fs::exists("/dev/full")) {
    EXPECT_EQ(Cli("in.bin /dev/full"), 1);
    EXPECT_EQ(Get("stderr.txt"),
              "tessary-cli: cannot write output file \"/dev/full\": No space left on device\n");
  }
#endif
  EXPECT_EQ(Cli("--shape 9x9 in.bin out.asm"), 2);
  EXPECT_EQ(Get("stderr.txt"),
            "tessary-cli: --shape takes 8x8, 8x12 or 16x16, not \"9x9\"\n"
            "Try 'tessary-cli --help'.\n");
  EXPECT_EQ(Get("out.asm"), "keep me\r\n");
}

TEST_F(CliEndToEndTest, StandardInputListsAsTheFileDoes) {
  const char* ranges[] = {"", "--start 8 --end '$300' --vertical", "--shape 8x12 --end '$300'"};
  for (const std::string range : ranges) {
    ASSERT_EQ(Cli(range + " in.bin file.asm"), 0);
    ASSERT_EQ(Cli(range + " - pipe.asm", "cat in.bin"), 0) << Get("stderr.txt");
    EXPECT_EQ(Get("pipe.asm"), Get("file.asm")) << range;
  }
  Put("out.asm", "keep me\r\n");
  EXPECT_EQ(Cli("- out.asm <out.asm"), 1);
  EXPECT_EQ(Get("stderr.txt"),
            "tessary-cli: output file \"out.asm\" is the input file; choose another output file\n");
  EXPECT_EQ(Get("out.asm"), "keep me\r\n");
}

#if !defined(_WIN32)  // POSIX signals; cli/console_interrupt_test.sh checks Ctrl-C on Windows
// Regression: Ctrl-C or a kill left a half-written output or a temporary file behind.
TEST_F(CliEndToEndTest, InterruptLeavesTheOutputAsItWas) {
  Put("out.asm", "keep me\r\n");
  for (const char* mode : {"", "--append"}) {
    // 2 GiB past the end of a short file lists blank tiles for a long while; the file size
    // limit bounds what a missed signal could write.
    const std::string command = "cd '" + dir_.string() + "' && (ulimit -f 4000000; exec timeout " +
                                "--preserve-status -s INT -k 20 0.1 '" TESSARY_CLI_PATH "' " +
                                mode + " --end 2147483647 in.bin out.asm) 2>stderr.txt";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << mode;
    EXPECT_EQ(Get("stderr.txt"),
              "tessary-cli: cancelled; output file \"out.asm\" is left as it was\n");
    EXPECT_EQ(Get("out.asm"), "keep me\r\n") << mode;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), {}), 3) << "a file was left behind";
  }
}
#endif

TEST_F(CliEndToEndTest, HelpAndVersion) {
  EXPECT_EQ(Cli("--version"), 0);
  EXPECT_EQ(Get("stdout.txt"), "tessary-cli 2.01.0005\n");
#if !defined(_WIN32)  // no /dev/full
  EXPECT_EQ(Cli("--version >/dev/full"), 1);
#endif
  EXPECT_EQ(Cli("--help"), 0);
  EXPECT_EQ(Get("stdout.txt").rfind("Usage: tessary-cli [OPTIONS] INPUT OUTPUT", 0), 0u);
}

}  // namespace
}  // namespace tessary
