// Whole listings: every folder under testdata/golden holds case.bin (the input), case.flags
// (tessary-cli options) and case.asm (the expected listing), or instead of case.asm case.message
// (why the range lists nothing, when no file may be written). Each folder is a test of its own.
#include <gtest/gtest.h>

#include <filesystem>
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
  EXPECT_EQ(FirstDifference(ReadWholeFile(dir / "case.asm"), files.files["out.asm"]), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace tessary
