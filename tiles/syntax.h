// Assembler syntax profiles: how each target assembler spells rows, comments and symbols.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tessary {

enum class Syntax {
  kClassic,
  kCa65,
  k64tass,
  kAcme,
  kDasm,
  kXa,
  kPasmo,
  kZ80asm,
  kSdas,
  kGas,
  kRgbds,
  kWlaDx,
  kSjasmplus,
  kKickass,
  kVasm,
  kC,
};

// One profile. A row line is `row_head`, the digits of the byte, for a 16x16 row `separator`
// and the digits of the second byte, then `row_tail`. A comment is `comment_open`, the text,
// `comment_close`.
struct SyntaxProfile {
  Syntax syntax;
  const char* name;           // as --syntax and the settings store take it; lower case
  const char* title;          // for the window's list
  const char* row_head;       // " .db %"
  const char* separator;      // ",%"
  const char* row_tail;       // "" or, for C, ","
  bool hex_digits;            // two hexadecimal digits per byte ("6C") instead of eight binary
  const char* comment_open;   // "; "
  const char* comment_close;  // "" or " */"
  const char* symbol_tail;    // after a symbol at column 1: ":" or ""; nullptr: no symbols
  // A map line is `map_head`, then its bytes as `hex_head` and two hexadecimal digits, joined
  // by "," (" .byte $00,$1F"), then `row_tail`.
  const char* map_head;  // " .byte " or, for C, ""
  const char* hex_head;  // "$" or "0x"
};

// Every profile, in the order of the Syntax values; classic first.
// clang-format off
inline constexpr std::array<SyntaxProfile, 16> kSyntaxProfiles = {{
    // syntax             name         title             head        sep    tail hex   comment     symbol   map head   hex
    {Syntax::kClassic,   "classic",   "classic (.db)",  " .db %",   ",%",  "", false, "; ", "",    ":", " .db ",   "$"},
    {Syntax::kCa65,      "ca65",      "ca65 (cc65)",    " .byte %", ",%",  "", false, "; ", "",    ":", " .byte ", "$"},
    {Syntax::k64tass,    "64tass",    "64tass",         " .byte %", ",%",  "", false, "; ", "",    "", " .byte ", "$"},
    {Syntax::kAcme,      "acme",      "ACME",           " !byte %", ",%",  "", false, "; ", "",    "", " !byte ", "$"},
    {Syntax::kDasm,      "dasm",      "DASM",           " .byte %", ",%",  "", false, "; ", "",    "", " .byte ", "$"},
    {Syntax::kXa,        "xa",        "xa (xa65)",      " .byt %",  ",%",  "", false, "; ", "",    "", " .byt ",  "$"},
    {Syntax::kPasmo,     "pasmo",     "Pasmo",          " db %",    ",%",  "", false, "; ", "",    ":", " db ",    "$"},
    {Syntax::kZ80asm,    "z80asm",    "z80asm",         " defb %",  ",%",  "", false, "; ", "",    ":", " defb ",  "$"},
    {Syntax::kSdas,      "sdas",      "sdas (SDCC)",    " .db 0b",  ",0b", "", false, "; ", "",    ":", " .db ",   "0x"},
    {Syntax::kGas,       "gas",       "GNU as",         " .byte 0b",",0b", "", false, "; ", "",    ":", " .byte ", "0x"},
    {Syntax::kRgbds,     "rgbds",     "RGBDS",          " db %",    ",%",  "", false, "; ", "",    ":", " db ",    "$"},
    {Syntax::kWlaDx,     "wla-dx",    "WLA DX",         " .db %",   ",%",  "", false, "; ", "",    ":", " .db ",   "$"},
    {Syntax::kSjasmplus, "sjasmplus", "SjASMPlus",      " db %",    ",%",  "", false, "; ", "",    "", " db ",    "$"},
    {Syntax::kKickass,   "kickass",   "KickAssembler",  " .byte %", ",%",  "", false, "// ", "",   ":", " .byte ", "$"},
    {Syntax::kVasm,      "vasm",      "vasm (mot)",     " dc.b %",  ",%",  "", false, "; ", "",    ":", " dc.b ",  "$"},
    {Syntax::kC,         "c",         "C array",        "0x",       ",0x", ",", true,  "/* ", " */", nullptr, "",        "0x"},
}};
// clang-format on

// A map byte must read as hexadecimal in every syntax.
constexpr bool HexHeadsSet() {
  for (const SyntaxProfile& p : kSyntaxProfiles) {
    if (p.hex_head == nullptr || p.hex_head[0] == '\0' || p.map_head == nullptr) return false;
  }
  return true;
}
static_assert(HexHeadsSet(), "every syntax needs a map directive and a hexadecimal form");

inline const SyntaxProfile& ProfileOf(Syntax syntax) {
  return kSyntaxProfiles[static_cast<size_t>(syntax)];
}

// The profile named `name`, in any letter case; std::nullopt for an unknown name.
std::optional<Syntax> SyntaxNamed(std::string_view name);

// "classic, ca65, 64tass, ...": every name, for messages and help texts.
std::string SyntaxNames();

// Why `prefix` cannot start a symbol name, or std::nullopt when it can: a symbol prefix is
// [A-Za-z_][A-Za-z0-9_]*.
std::optional<std::string> LabelPrefixProblem(std::string_view prefix);

// The listing's form, fixed for a whole run.
struct ListingSyntax {
  Syntax syntax = Syntax::kClassic;
  bool pixels = false;  // each row line ends in a comment drawing its digits: "." 0, "#" 1
  // When not empty, a label line defines the symbol `label_prefix` + the tile number's hex
  // digits instead of the comment. Ignored by a profile without symbols.
  std::string label_prefix;
};

}  // namespace tessary
