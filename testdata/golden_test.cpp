// Whole listings: every folder under testdata/golden holds case.bin (the input), case.flags
// (tessary-cli options) and case.asm (the expected listing), or instead of case.asm case.message
// (why the range lists nothing, when no file may be written). Each folder is a test of its own.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "run/host.h"
#include "run/mem_file_system.h"
#include "run/run.h"
#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

// "" when the listings are equal, else the first line where they part.
std::string FirstDifference(const std::string& want, const std::string& got) {
  std::istringstream w(want), g(got);
  for (int line = 1;; ++line) {
    std::string a = "(end)", b = "(end)";
    const bool more = static_cast<bool>(std::getline(w, a)) | static_cast<bool>(std::getline(g, b));
    if (!more) return "";
    if (a != b) return "line " + std::to_string(line) + ": expected " + a + ", got " + b;
  }
}

// The bytes a listing's row lines spell: every %, 0b (eight binary digits) or 0x (two
// hexadecimal digits) number in it, in order; label lines and pixel comments hold none.
std::string SpelledBytes(const std::string& listing) {
  std::string bytes;
  const std::regex number("(?:%|0b)([01]{8})|0x([0-9A-F]{2})");
  for (auto it = std::sregex_iterator(listing.begin(), listing.end(), number);
       it != std::sregex_iterator(); ++it) {
    const bool binary = (*it)[1].matched;
    bytes += static_cast<char>(std::stoi(binary ? (*it)[1].str() : (*it)[2].str(), nullptr,
                                         binary ? 2 : 16));
  }
  return bytes;
}

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(TESSARY_GOLDEN_DIR)) {
    if (fs::exists(entry.path() / "case.bin")) names.push_back(entry.path().filename().string());
  }
  return names;
}

class GoldenTest : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenTest, ListingMatchesByteForByte) {
  const fs::path dir = fs::path(TESSARY_GOLDEN_DIR) / GetParam();
  std::istringstream flags(ReadWholeFile(dir / "case.flags"));
  std::vector<std::string> args;
  for (std::string word; flags >> word;) args.push_back(word);
  args.insert(args.end(), {"case.bin", "out.asm"});
  CliRequest request;
  ASSERT_FALSE(ParseCliArgs(args, &request).has_value());

  MemFileSystem files;
  files.files["case.bin"] = ReadWholeFile(dir / "case.bin");
  FixedStyleHost host(request.style);
  const RunResult result = tessary::Run(request.options, host, files);
  if (fs::exists(dir / "case.message")) {
    EXPECT_EQ(result.status, RunStatus::kNothingListed);
    EXPECT_EQ(result.message + "\n", ReadWholeFile(dir / "case.message"));
    EXPECT_EQ(files.files.count("out.asm"), 0u);
    return;
  }
  ASSERT_EQ(result.status, RunStatus::kDone) << result.message;
  const std::string want = ReadWholeFile(dir / "case.asm");
  EXPECT_EQ(FirstDifference(want, files.files["out.asm"]), "");

  // --bin writes the bytes that the listing's digits spell, in their order.
  args.insert(args.begin(), {"--bin", "out.bin"});
  std::FILE* scratch = std::tmpfile();
  EXPECT_EQ(RunCli(args, scratch, scratch, files), 0);
  std::fclose(scratch);
  EXPECT_TRUE(files.files["out.bin"] == SpelledBytes(want));
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tessary
