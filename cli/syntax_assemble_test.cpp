// Listings in every syntax that a Debian package can assemble, assembled by the real tool: the
// bytes must be those the classic listing spells, the pixel comments must draw them, and (ca65)
// every label symbol must name its tile's address.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
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

// One listing is these runs one after another: every shape and walk, inverted, with pixels and
// with symbols of three prefix lengths. Tile numbers never repeat, so symbols stay unique.
struct Segment {
  const char* flags;
  const char* prefix;  // for --label-prefix where the syntax has symbols; "" for none
};
const Segment kSegments[] = {
    {"--end 1024", ""},
    {"--vertical --skip odd --invert --pixels --end 1024 --count-from $100", "v_"},
    {"--skip even --pixels --start 8 --end 1000 --count-from $200", "eighteen_chars_ok_"},
    {"--shape 8x12 --invert --end 1100 --count-from $7FFFFFF0",
     "a_prefix_longer_than_a_table_piece_"},
    {"--shape 16x16 --pixels --invert --end 1024 --count-from $300", "w"},
    {"--shape 16x16 --end 600 --count-from $400", ""},
    {"--no-labels --vertical --shape 8x8 --start 3 --end 700", ""},
};

// How to assemble one syntax in a scratch folder: the listing goes to `listing`, `main` (when
// given) includes it, and `commands` must leave the raw bytes in out.bin.
struct Assembler {
  const char* syntax;
  const char* package;  // the Debian package that brings `tool`
  const char* tool;
  const char* listing;
  const char* main;
  const char* commands;
};
const Assembler kAssemblers[] = {
    {"classic", "xa65", "xa", "tiles.asm", nullptr, "xa -o out.bin tiles.asm"},
    {"ca65", "cc65", "ca65", "tiles.s", nullptr,
     "ca65 -g -o tiles.o tiles.s && ld65 -t none -Ln labels.txt -o out.bin tiles.o"},
    {"64tass", "64tass", "64tass", "tiles.asm", nullptr,
     "64tass --quiet --nostart -o out.bin tiles.asm"},
    {"acme", "acme", "acme", "tiles.a", "*=0\n!source \"tiles.a\"\n",
     "acme -f plain -o out.bin main"},
    {"dasm", "dasm", "dasm", "tiles.asm", "\tprocessor 6502\n\torg 0\n\tinclude \"tiles.asm\"\n",
     "dasm main -f3 -oout.bin"},
    {"xa", "xa65", "xa", "tiles.asm", nullptr, "xa -o out.bin tiles.asm"},
    {"pasmo", "pasmo", "pasmo", "tiles.asm", nullptr, "pasmo tiles.asm out.bin"},
    {"z80asm", "z80asm", "z80asm", "tiles.asm", nullptr, "z80asm -i tiles.asm -o out.bin"},
    {"sdas", "sdcc", "sdasz80", "tiles.s", nullptr,
     "sdasz80 -o tiles.rel tiles.s && sdldz80 -i out.ihx tiles.rel && makebin -p out.ihx out.bin"},
    {"gas", "binutils-z80", "z80-unknown-coff-as", "tiles.s", nullptr,
     "z80-unknown-coff-as -o tiles.o tiles.s && z80-unknown-coff-objcopy -O binary tiles.o "
     "out.bin"},
    {"c", "gcc", "gcc", "tiles.inc",
     "const unsigned char tiles[] = {\n#include \"tiles.inc\"\n};\n",
     "gcc -x c -std=c99 -pedantic -Wall -Werror -c -o main.o main && "
     "objcopy -O binary -j .rodata main.o out.bin"},
};

std::string Input() {
  std::mt19937 random(8);
  std::string bytes(1200, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

// The listing of tessary-cli `flags` over Input().
std::string Listing(const std::string& flags) {
  std::vector<std::string> args;
  std::istringstream words(flags + " in.bin out.asm");
  for (std::string word; words >> word;) args.push_back(word);
  CliRequest request;
  if (auto error = ParseCliArgs(args, &request)) ADD_FAILURE() << *error;
  MemFileSystem files;
  files.files["in.bin"] = Input();
  FixedStyleHost host(request.style);
  const RunResult result = Run(request.options, host, files);
  EXPECT_EQ(result.status, RunStatus::kDone) << flags << ": " << result.message;
  return files.files["out.asm"];
}

// What the classic listings of all segments spell: their bytes, where each segment's bytes
// begin, and the byte offset of each labelled tile ("; 0A" -> offset), per segment.
struct Spelled {
  std::string bytes;
  std::vector<size_t> segment_start;
  std::vector<std::map<std::string, size_t>> tiles;
};
const Spelled& Classic() {
  static const Spelled spelled = [] {
    Spelled s;
    for (const Segment& segment : kSegments) {
      s.segment_start.push_back(s.bytes.size());
      s.tiles.emplace_back();
      std::istringstream lines(Listing(segment.flags));
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind("; ", 0) == 0)
          s.tiles.back()[line.substr(2, line.size() - 3)] = s.bytes.size();
        for (size_t at = line.find('%'); at != std::string::npos; at = line.find('%', at + 1)) {
          s.bytes.push_back(static_cast<char>(std::stoi(line.substr(at + 1, 8), nullptr, 2)));
        }
      }
    }
    s.segment_start.push_back(s.bytes.size());
    return s;
  }();
  return spelled;
}

// "#" for every set bit of `bytes`, "." for a clear one, bit 7 first.
std::string Picture(const std::string& bytes) {
  std::string picture;
  for (char c : bytes) {
    for (int bit = 7; bit >= 0; --bit) picture += (c >> bit) & 1 ? '#' : '.';
  }
  return picture;
}

class AssembleTest : public ::testing::TestWithParam<Assembler> {
 protected:
  AssembleTest() {
    char name[] = "/tmp/tessary-assemble-XXXXXX";
    dir_ = mkdtemp(name) ? name : "";
  }
  ~AssembleTest() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  void Put(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  // Runs `commands` in the scratch folder; their output goes to log.txt.
  bool Shell(const std::string& commands) const {
    return std::system(
               ("cd '" + dir_.string() + "' && (" + commands + ") >log.txt 2>&1").c_str()) == 0;
  }
  fs::path dir_;
};

// Guards against a profile whose rows, symbols or comments its assembler rejects or reads as
// other bytes, and against pixel comments that do not draw the digits.
TEST_P(AssembleTest, AssemblesToTheBytesTheClassicListingSpells) {
  const Assembler& a = GetParam();
  ASSERT_FALSE(dir_.empty());
  ASSERT_TRUE(Shell(std::string("command -v ") + a.tool))
      << a.tool << " is missing: install the Debian package " << a.package
      << " (scripts/install-deps does)";

  const bool symbols = ProfileOf(*SyntaxNamed(a.syntax)).symbol_tail != nullptr;
  std::string listing;
  std::string pixels_expected;
  for (size_t i = 0; i < std::size(kSegments); ++i) {
    std::string flags = std::string(kSegments[i].flags) + " --syntax " + a.syntax;
    if (symbols && *kSegments[i].prefix)
      flags += std::string(" --label-prefix ") + kSegments[i].prefix;
    listing += Listing(flags);
    const Spelled& classic = Classic();
    if (flags.find("--pixels") != std::string::npos) {
      pixels_expected += Picture(classic.bytes.substr(
          classic.segment_start[i], classic.segment_start[i + 1] - classic.segment_start[i]));
    }
  }
  Put(a.listing, listing);
  if (a.main) Put("main", a.main);
  ASSERT_TRUE(Shell(a.commands)) << a.commands << "\n"
                                 << ReadWholeFile(dir_ / "log.txt").substr(0, 2000);

  // The first segment lists the slice as it stands, so the digits are the input's bytes.
  ASSERT_EQ(Classic().bytes.substr(0, 1024), Input().substr(0, 1024));
  const std::string bytes = ReadWholeFile(dir_ / "out.bin");
  ASSERT_EQ(bytes.size(), Classic().bytes.size());
  EXPECT_TRUE(bytes == Classic().bytes) << "the assembled bytes differ from the listing's digits";

  std::string pixels;
  const std::regex drawn("[.#]{8,}");
  for (auto it = std::sregex_iterator(listing.begin(), listing.end(), drawn);
       it != std::sregex_iterator(); ++it) {
    pixels += it->str();
  }
  EXPECT_FALSE(pixels_expected.empty());
  EXPECT_EQ(pixels, pixels_expected);

  if (std::string(a.syntax) == "ca65") {  // ld65's none target loads at $1000
    std::map<std::string, size_t> expected, found;
    for (size_t i = 0; i < std::size(kSegments); ++i) {
      if (!*kSegments[i].prefix) continue;
      for (const auto& [hex, offset] : Classic().tiles[i])
        expected[kSegments[i].prefix + hex] = 0x1000 + offset;
    }
    ASSERT_FALSE(expected.empty());
    std::istringstream labels(ReadWholeFile(dir_ / "labels.txt"));
    for (std::string al, address, name; labels >> al >> address >> name;) {
      for (const Segment& segment : kSegments) {
        if (*segment.prefix && name.rfind(std::string(".") + segment.prefix, 0) == 0) {
          found[name.substr(1)] = std::stoul(address, nullptr, 16);
        }
      }
    }
    EXPECT_EQ(found, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Profiles, AssembleTest, ::testing::ValuesIn(kAssemblers),
                         [](const ::testing::TestParamInfo<Assembler>& info) {
                           std::string name = info.param.syntax;
                           return name == "64tass" ? std::string("tass64") : name;
                         });

}  // namespace
}  // namespace tessary
