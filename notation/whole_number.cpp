#include "notation/whole_number.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "notation/val2.h"

namespace tessary {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// The text without blanks, ASCII letters upper-cased.
std::string Packed(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (!IsBlank(c)) s.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  return s;
}

bool AllOf(std::string_view s, std::string_view digits, size_t low, size_t high) {
  return s.size() >= low && s.size() <= high && s.find_first_not_of(digits) == s.npos;
}

constexpr std::string_view kHex = "0123456789ABCDEF";
constexpr std::string_view kDecimal = "0123456789";

// The length of one UTF-8 character at the start of `s`, or 1 for a stray byte (which Val2
// reads as one character too).
size_t CharacterLength(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  const size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
  if (n > s.size()) return 1;
  for (size_t k = 1; k < n; ++k) {
    if ((static_cast<unsigned char>(s[k]) & 0xC0) != 0x80) return 1;
  }
  return n;
}

// [+-] digits [. digits] [E [+-] digits], with a digit before or after the point.
bool IsDecimal(std::string_view s) {
  size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  const size_t whole = s.find_first_not_of(kDecimal, i);
  size_t end = whole == s.npos ? s.size() : whole;
  bool digits = end > i;
  if (end < s.size() && s[end] == '.') {
    const size_t fraction = s.find_first_not_of(kDecimal, end + 1);
    const size_t stop = fraction == s.npos ? s.size() : fraction;
    digits = digits || stop > end + 1;
    end = stop;
  }
  if (!digits) return false;
  if (end == s.size()) return true;
  if (s[end] != 'E') return false;
  size_t j = end + 1;
  if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
  return AllOf(s.substr(j), kDecimal, 1, s.size());
}

// Whether `s` (`original` packed) is one number that Val2 reads whole.
bool IsWhole(const std::string& s, std::string_view original) {
  if (s.empty()) return false;
  const size_t sign = s[0] == '-' ? 1 : 0;
  const char form = s.size() > sign ? s[sign] : '\0';
  if (form == '$' || form == '%' || form == '\'') {
    if (sign && original.find('-') >= 4) return false;  // Val2 would not see that "-"
  }
  const std::string_view rest = std::string_view(s).substr(std::min(s.size(), sign + 1));
  if (form == '$') return AllOf(rest, kHex, 1, 8);
  if (form == '%') return AllOf(rest, "01", 1, 30);
  if (form == '\'') {
    // The character is taken from the original text, where blanks and letter case count.
    const std::string_view after = original.substr(original.find('\'') + 1);
    if (after.empty()) return false;
    const std::string_view tail = after.substr(CharacterLength(after));
    return std::all_of(tail.begin(), tail.end(), IsBlank);
  }
  if (s.rfind("&H", 0) == 0) return AllOf(s.substr(2), kHex, 1, 8);
  if (s.rfind("&O", 0) == 0) return AllOf(s.substr(2), "01234567", 1, 11);
  return IsDecimal(s);
}

// How to write what the text seems to mean.
std::string Hint(const std::string& s) {
  const bool minus = !s.empty() && s[0] == '-';
  const std::string digits = s.substr(minus ? 1 : 0);
  const std::string sign = minus ? "-" : "";
  if (digits.size() > 2 && digits.rfind("0X", 0) == 0 && AllOf(digits.substr(2), kHex, 1, 8)) {
    return "write hexadecimal as " + sign + "$" + digits.substr(2);
  }
  if (digits.size() > 1 && digits.back() == 'H' &&
      AllOf(digits.substr(0, digits.size() - 1), kHex, 1, 8)) {
    return "write hexadecimal as " + sign + "$" + digits.substr(0, digits.size() - 1);
  }
  if (digits.size() > 2 && digits.rfind("0B", 0) == 0 && AllOf(digits.substr(2), "01", 1, 30)) {
    return "write binary as " + sign + "%" + digits.substr(2);
  }
  return "write one number: $7734 hexadecimal, %1010 binary, 'A a character, or decimal";
}

}  // namespace

std::optional<std::string> WholeNumberProblem(std::string_view text) {
  const std::optional<int32_t> value = Val2(text);
  if (!value) return std::nullopt;
  const std::string packed = Packed(text);
  if (IsWhole(packed, text)) return std::nullopt;
  return "reads as " + std::to_string(*value) + "; " + Hint(packed);
}

}  // namespace tessary
