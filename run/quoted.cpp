#include "run/quoted.h"

namespace tessary {
namespace {

// A Windows path is full of backslashes, which stand for themselves there: shown doubled, every
// name would read wrong.
#if defined(_WIN32)
constexpr bool kEscapeBackslash = false;
#else
constexpr bool kEscapeBackslash = true;
#endif

}  // namespace

std::string Quoted(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  out.reserve(text.size() + 2);
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
    if (c == '"' || (c == '\\' && kEscapeBackslash)) {
      out += {'\\', static_cast<char>(c)};
    } else if (c == '\n' || c == '\r' || c == '\t') {
      out += {'\\', c == '\n' ? 'n' : c == '\r' ? 'r' : 't'};
    } else if (c < 0x20 || c == 0x7F) {
      out += {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {  // U+0080 to U+009F
      out += {'\\', 'u', '0', '0', kHex[next >> 4], kHex[next & 15]};
      ++i;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace tessary
