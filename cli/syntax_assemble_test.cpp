// Listings in every syntax that a Debian package can assemble, assembled by the real tool: the
// bytes must be those the classic listing spells, and (ca65) every label symbol must name its
// tile's address. The text of the pixel comments is checked by the golden listings.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "run/host.h"
#include "run/map_file.h"
#include "run/mem_file_system.h"
#include "run/run.h"
#include "run/test_png.h"
#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

// One listing is these runs one after another: every shape and walk, glyphs one to three bytes
// wide, inverted, with pixels and with symbol prefixes of three lengths. Tile numbers never repeat,
// so symbols stay unique.
const std::pair<const char*, const char*> kSegments[] = {
    // flags, prefix where symbols exist
    {"--end 1024", ""},
    {"--vertical --skip odd --invert --pixels --end 1024 --count-from $100", "v_"},
    {"--skip even --pixels --start 8 --end 1000 --count-from $200", "eighteen_chars_ok_"},
    {"--shape 8x12 --invert --end 1100 --count-from $7FFFFFF0",
     "prefix_longer_than_a_table_piece_"},
    {"--shape 16x16 --pixels --invert --end 1024 --count-from $300", "w"},
    {"--shape 16x16 --end 600 --count-from $400", ""},
    {"--no-labels --vertical --start 3 --end 700", ""},
    {"--every-tile --vertical --skip even --end 700 --count-from $500", "e_"},
    {"--glyph 8x16 --start 4 --end 1000 --count-from $600", "g_"},
    {"--glyph 16x16 --pixels --invert --end 1024 --count-from $700", "h_"},
    {"--glyph 24x21 --glyph-gap 1 --pixels --end 1100 --count-from $800", "s_"},
};

// Per syntax: the Debian package and the tool it brings, the file "main" that includes the
// listing "tiles.inc" (none: the listing is assembled itself), and the commands that leave the
// raw bytes in out.bin.
struct Assembler {
  const char *syntax, *package, *tool, *main, *commands;
};
const Assembler kAssemblers[] = {
    {"classic", "xa65", "xa", "", "xa -o out.bin tiles.inc"},
    {"ca65", "cc65", "ca65", "",
     "ca65 -g -o t.o tiles.inc && ld65 -t none -Ln labels.txt -o out.bin t.o"},
    {"64tass", "64tass", "64tass", "", "64tass --quiet --nostart -o out.bin tiles.inc"},
    {"acme", "acme", "acme", "*=0\n!source \"tiles.inc\"\n", "acme -f plain -o out.bin main"},
    {"dasm", "dasm", "dasm", "\tprocessor 6502\n\torg 0\n\tinclude \"tiles.inc\"\n",
     "dasm main -f3 -oout.bin"},
    {"xa", "xa65", "xa", "", "xa -o out.bin tiles.inc"},
    {"pasmo", "pasmo", "pasmo", "", "pasmo tiles.inc out.bin"},
    {"z80asm", "z80asm", "z80asm", "", "z80asm -i tiles.inc -o out.bin"},
    {"sdas", "sdcc", "sdasz80", "",
     "sdasz80 -o t.rel tiles.inc && sdldz80 -i t.ihx t.rel && makebin -p t.ihx out.bin"},
    {"gas", "binutils-z80", "z80-unknown-coff-as", "",
     "z80-unknown-coff-as -o t.o tiles.inc && z80-unknown-coff-objcopy -O binary t.o out.bin"},
    {"c", "gcc", "gcc", "const unsigned char tiles[] = {\n#include \"tiles.inc\"\n};\n",
     "gcc -x c -std=c99 -pedantic -Wall -Werror -c -o t.o main && "
     "objcopy -O binary -j .rodata t.o out.bin"},
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
  EXPECT_EQ(Run(request.options, host, files).status, RunStatus::kDone) << flags;
  return files.files["out.asm"];
}

// What the classic listing of each segment spells: its bytes, and the offset of each labelled
// tile in all the bytes ("0A" -> offset).
struct Spelled {
  std::string bytes;
  std::map<std::string, size_t> tiles;
};
std::vector<Spelled> Classic() {
  std::vector<Spelled> segments;
  size_t total = 0;
  for (const auto& [flags, prefix] : kSegments) {
    Spelled& s = segments.emplace_back();
    std::istringstream lines(Listing(flags));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("; ", 0) == 0) s.tiles[line.substr(2, line.size() - 3)] = total;
      for (size_t at = line.find('%'); at != std::string::npos; at = line.find('%', at + 1)) {
        s.bytes.push_back(static_cast<char>(std::stoi(line.substr(at + 1, 8), nullptr, 2)));
        ++total;
      }
    }
  }
  return segments;
}

// A screen of 7 cells across and 3 down from 4 distinct cells (the blank one first used third),
// as a one-bit picture: digit 1 black.
constexpr int kScreen[3][7] = {{1, 2, 0, 2, 1, 1, 3}, {0, 0, 3, 2, 2, 1, 0}, {3, 3, 3, 0, 1, 2, 0}};
std::string ScreenCell(int kind) {
  const char* cells[] = {"\0\0\0\0\0\0\0\0", "\x18\x3C\x66\x7E\x66\x66\x66\0",
                         "\xFF\x81\x81\x81\x81\x81\x81\xFF", "\x01\x02\x04\x08\x10\x20\x40\x80"};
  return std::string(cells[kind], 8);
}
std::string ScreenPicture() {
  TestPng png(7 * 8, 3 * 8, 1, 0);
  for (int y = 0; y < 24; ++y) {
    for (int x = 0; x < 56; ++x) {
      const char row = ScreenCell(kScreen[y / 8][x / 8])[y % 8];
      png.samples.push_back(((row >> (7 - x % 8)) & 1) ? 0 : 1);
    }
  }
  return png.File();
}

// The tile set and map of the screen picture in `syntax`, one after the other.
std::string TileSetAndMap(const char* syntax, const std::string& prefix) {
  std::vector<std::string> args = {"--unique", "--map", "map.inc", "--count-from", "$10",
                                   "--syntax", syntax,  "in.png",  "tiles.inc"};
  if (!prefix.empty()) args.insert(args.begin(), {"--label-prefix", prefix});
  CliRequest request;
  if (auto error = ParseCliArgs(args, &request)) ADD_FAILURE() << *error;
  MemFileSystem files;
  files.files["in.png"] = ScreenPicture();
  MapFile map(files, request.map_path, request.options.listing);
  struct : FixedStyleHost {
    using FixedStyleHost::FixedStyleHost;
    MapSink* Map() override { return map; }
    MapSink* map;
  } host(request.style);
  host.map = &map;
  EXPECT_EQ(Run(request.options, host, files).status, RunStatus::kDone) << syntax;
  EXPECT_FALSE(map.Commit());
  return files.files["tiles.inc"] + files.files["map.inc"];
}

// Guards against a profile whose rows, symbols or comments its assembler rejects or reads as
// other bytes, symbols that do not name their tiles; a map or tile set rejected or read as other
// bytes, a map that names the wrong tiles, and a tile set out of the order of first use.
TEST(SyntaxAssembleTest, EachAssemblerReadsTheListingsAndTheMap) {
  const std::vector<Spelled> classic = Classic();
  // The first segment is the slice as is; the golden cases check what the others spell.
  ASSERT_EQ(classic[0].bytes, Input().substr(0, 1024));
  std::string bytes, screen, first_uses;
  for (const Spelled& s : classic) bytes += s.bytes;
  for (const auto& row : kScreen) {
    for (int kind : row) screen += ScreenCell(kind);
  }
  for (int kind : {1, 2, 0, 3}) first_uses += ScreenCell(kind);

  ScratchDir scratch;
  for (const Assembler& a : kAssemblers) {
    SCOPED_TRACE(a.syntax);
    const fs::path dir = scratch.dir() / a.syntax;
    fs::create_directory(dir);
    const auto shell = [&](const std::string& commands) {
      return std::system(("cd '" + dir.string() + "' && (" + commands + ") >log 2>&1").c_str());
    };
    if (shell(std::string("command -v ") + a.tool) != 0) {
      ADD_FAILURE() << a.tool << " is missing: install the Debian package " << a.package
                    << " (scripts/install-deps does)";
      continue;
    }
    // The bytes that a.commands make of `listing`.
    const auto assembled = [&](const std::string& listing) {
      std::ofstream(dir / "tiles.inc", std::ios::binary) << listing;
      std::ofstream(dir / "main") << a.main;
      fs::remove(dir / "out.bin");
      EXPECT_EQ(shell(a.commands), 0) << a.commands << "\n"
                                      << ReadWholeFile(dir / "log").substr(0, 2000);
      return ReadWholeFile(dir / "out.bin");
    };
    const bool symbols = ProfileOf(*SyntaxNamed(a.syntax)).symbol_tail != nullptr;
    std::string listing;
    std::map<std::string, size_t> symbol_at;
    for (size_t i = 0; i < std::size(kSegments); ++i) {
      std::string flags = kSegments[i].first + std::string(" --syntax ") + a.syntax;
      const std::string prefix = symbols ? kSegments[i].second : "";
      if (!prefix.empty()) flags += " --label-prefix " + prefix;
      listing += Listing(flags);
      for (const auto& [hex, offset] : classic[i].tiles) {
        if (!prefix.empty()) symbol_at[prefix + hex] = 0x1000 + offset;  // ld65's none: $1000
      }
    }
    EXPECT_TRUE(assembled(listing) == bytes) << "assembled bytes differ";
    const bool ca65 = std::string(a.syntax) == "ca65";
    std::map<std::string, size_t> found;
    std::istringstream labels(ca65 ? ReadWholeFile(dir / "labels.txt") : "");
    for (std::string al, address, name; labels >> al >> address >> name;) {
      if (symbol_at.count(name.substr(1))) found[name.substr(1)] = std::stoul(address, nullptr, 16);
    }
    EXPECT_TRUE(!ca65 || (found == symbol_at && symbol_at.size() > 100u)) << "labels.txt differs";

    const std::string tiles = assembled(TileSetAndMap(a.syntax, symbols ? "scr_" : ""));
    ASSERT_EQ(tiles.size(), 4 * 8 + 21u);
    EXPECT_TRUE(tiles.substr(0, 32) == first_uses);
    std::string rebuilt;
    for (size_t k = 32; k < tiles.size(); ++k) {
      const int tile = static_cast<uint8_t>(tiles[k]) - 0x10;
      ASSERT_TRUE(tile >= 0 && tile < 4) << k;
      rebuilt += tiles.substr(static_cast<size_t>(tile) * 8, 8);
    }
    EXPECT_TRUE(rebuilt == screen);
    if (ca65) {
      EXPECT_NE(ReadWholeFile(dir / "labels.txt").find("001020 .scr_map"), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tessary
