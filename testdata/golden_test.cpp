// Whole listings: every folder under testdata/golden holds case.bin (the input), case.flags
// (tessary-cli options) and case.asm (the expected listing).
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

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

TEST(GoldenTest, ListingsMatchByteForByte) {
  int cases = 0;
  for (const auto& entry : fs::directory_iterator(TESSARY_GOLDEN_DIR)) {
    if (!fs::exists(entry.path() / "case.bin")) continue;
    ++cases;
    SCOPED_TRACE(entry.path().filename().string());
    std::vector<std::string> args = Words(ReadWholeFile(entry.path() / "case.flags"));
    args.push_back("case.bin");
    args.push_back("out.asm");
    CliRequest request;
    ASSERT_FALSE(ParseCliArgs(args, &request).has_value());

    MemFileSystem files;
    files.files["case.bin"] = ReadWholeFile(entry.path() / "case.bin");
    FixedStyleHost host(request.style);
    const RunResult result = tessary::Run(request.options, host, files);
    ASSERT_EQ(result.status, RunStatus::kDone) << result.message;
    EXPECT_TRUE(files.files["out.asm"] == ReadWholeFile(entry.path() / "case.asm"))
        << "listing differs from case.asm";
  }
  EXPECT_GE(cases, 14);
}

}  // namespace
}  // namespace tessary
