#include "notation/val2.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <system_error>

namespace tessary {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes UTF-8 into code points, upper-casing ASCII letters only. A byte that does not begin a
// well-formed sequence stands for one U+FFFD character.
std::u32string DecodeUpper(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t cp = lead;
    if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, cp = lead & 0x07;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, cp = lead & 0x0F;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, cp = lead & 0x1F;
    } else if (lead >= 0x80) {
      extra = -1;
    }
    bool ok = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
    for (int k = 1; ok && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      ok = (next & 0xC0) == 0x80;
      cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not characters.
    if (ok && ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
               (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))) {
      ok = false;
    }
    if (!ok) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 'a' && cp <= 'z') cp -= 'a' - 'A';
    out.push_back(cp);
    i += 1 + static_cast<size_t>(extra);
  }
  return out;
}

int HexDigit(char32_t c) {
  if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<int>(c - 'A' + 10);
  return -1;
}

// A 32-bit pattern read as a two's-complement value.
int32_t FromBits(uint32_t bits) { return static_cast<int32_t>(bits); }

// Hexadecimal form: every hex digit from `from` on counts, everything else is skipped. More
// than eight digits, leading zeros included, are out of range.
std::optional<int32_t> ReadHexForm(const std::u32string& s, size_t from, int32_t sign) {
  uint32_t value = 0;
  int digits = 0;
  for (size_t i = from; i < s.size(); ++i) {
    const int d = HexDigit(s[i]);
    if (d < 0) continue;
    if (++digits > 8) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  const int32_t pattern = FromBits(value);
  if (sign < 0 && pattern == std::numeric_limits<int32_t>::min()) return std::nullopt;
  return pattern * sign;
}

// Binary form: "0" and "1" from `from` on, at most 30 of them; everything else is skipped.
int32_t ReadBinaryForm(const std::u32string& s, size_t from, int32_t sign) {
  int32_t value = 0;
  int count = 0;
  for (size_t i = from; i < s.size() && count < 30; ++i) {
    if (s[i] == '0' || s[i] == '1') {
      value = value * 2 + static_cast<int32_t>(s[i] - '0');
      ++count;
    }
  }
  return value * sign;
}

// "&H" and "&O" numbers: digits up to the first one that does not fit, as a 32-bit pattern; more
// than eight hexadecimal digits, or an octal value past 32 bits, are out of range.
std::optional<int32_t> ReadRadixPrefixed(const std::u32string& s, size_t from, int radix) {
  uint64_t value = 0;
  for (size_t i = from; i < s.size(); ++i) {
    const int d = HexDigit(s[i]);
    if (d < 0 || d >= radix) break;
    value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(d);
    if (value > 0xFFFFFFFFu || (radix == 16 && i - from >= 8)) return std::nullopt;
  }
  return FromBits(static_cast<uint32_t>(value));
}

bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }

// Reads all of `number` (plain ASCII decimal) as a double, as std::from_chars does. The browser
// build's standard library has no floating-point from_chars; strtod reads alike there, since
// that build never leaves the "C" locale.
std::errc ReadDouble(const std::string& number, double* value) {
#if defined(__EMSCRIPTEN__)
  errno = 0;
  char* end = nullptr;
  *value = std::strtod(number.c_str(), &end);
  if (end != number.c_str() + number.size()) return std::errc::invalid_argument;
  return errno == ERANGE ? std::errc::result_out_of_range : std::errc();
#else
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), *value);
  if (ec == std::errc() && end != number.data() + number.size()) return std::errc::invalid_argument;
  return ec;
#endif
}

// Decimal form: [+-] digits [. digits] [E [+-] digits], blanks, tabs and line feeds ignored
// anywhere, ending at the first character that cannot continue the number. Rounds to the nearest
// integer, ties to even.
std::optional<int32_t> ReadDecimalForm(const std::u32string& text) {
  std::u32string s;
  for (char32_t c : text) {
    if (c != ' ' && c != '\t' && c != '\n') s.push_back(c);
  }
  if (s.size() >= 2 && s[0] == '&' && s[1] == 'H') return ReadRadixPrefixed(s, 2, 16);
  if (s.size() >= 2 && s[0] == '&' && s[1] == 'O') return ReadRadixPrefixed(s, 2, 8);

  std::string number;  // plain ASCII for std::from_chars, which ignores the locale
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') number.push_back('-');
    ++i;
  }
  bool any_digit = false;
  for (; i < s.size() && IsDigit(s[i]); ++i, any_digit = true) number.push_back(char(s[i]));
  if (i < s.size() && s[i] == '.') {
    number.push_back('.');
    for (++i; i < s.size() && IsDigit(s[i]); ++i, any_digit = true) number.push_back(char(s[i]));
  }
  if (!any_digit) return 0;
  bool negative_exponent = false;
  if (i < s.size() && s[i] == 'E') {
    std::string exponent = "e";
    size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      negative_exponent = s[j] == '-';
      exponent.push_back(char(s[j++]));
    }
    const size_t digits_from = j;
    for (; j < s.size() && IsDigit(s[j]); ++j) exponent.push_back(char(s[j]));
    if (j > digits_from) number += exponent;  // "1E" and "1E+" read as 1
  }

  double value = 0;
  const std::errc ec = ReadDouble(number, &value);
  if (ec == std::errc::result_out_of_range) {
    if (negative_exponent) return 0;  // too small to tell from zero
    return std::nullopt;
  }
  if (ec != std::errc()) return 0;
  const double rounded = std::nearbyint(value);  // the default rounding mode: ties to even
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) return std::nullopt;
  return static_cast<int32_t>(rounded);
}

}  // namespace

std::optional<int32_t> Val2(std::string_view text) {
  const std::u32string s = DecodeUpper(text);
  const size_t dollar = s.find(U'$');
  const size_t percent = s.find(U'%');
  const size_t quote = s.find(U'\'');
  const size_t minus = s.find(U'-');  // std::u32string::npos when absent: after every position
  const int32_t sign = minus < 4 ? -1 : 1;

  if (dollar < percent && dollar < quote) return ReadHexForm(s, dollar + 1, sign);
  if (percent < quote) return ReadBinaryForm(s, percent + 1, sign);
  if (quote != std::u32string::npos) {
    if (quote + 1 >= s.size()) return 0;  // nothing after the "'"
    return static_cast<int32_t>(s[quote + 1]) * sign;
  }
  return ReadDecimalForm(s);
}

}  // namespace tessary
