#include "tiles/syntax.h"

#include <cctype>

#include "run/quoted.h"

namespace tessary {

// ProfileOf() indexes the table by the Syntax value.
static_assert([] {
  for (size_t i = 0; i < kSyntaxProfiles.size(); ++i) {
    if (static_cast<size_t>(kSyntaxProfiles[i].syntax) != i) return false;
  }
  return true;
}());

std::optional<Syntax> SyntaxNamed(std::string_view name) {
  for (const SyntaxProfile& profile : kSyntaxProfiles) {
    const std::string_view known = profile.name;
    if (known.size() != name.size()) continue;
    bool same = true;
    for (size_t i = 0; i < known.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(name[i])) == known[i];
    }
    if (same) return profile.syntax;
  }
  return std::nullopt;
}

std::string SyntaxNames() {
  std::string names;
  for (const SyntaxProfile& profile : kSyntaxProfiles) {
    if (!names.empty()) names += ", ";
    names += profile.name;
  }
  return names;
}

std::optional<std::string> LabelPrefixProblem(std::string_view prefix) {
  const auto word = [](char c, bool first) {
    return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           (!first && c >= '0' && c <= '9');
  };
  bool valid = !prefix.empty();
  for (size_t i = 0; i < prefix.size() && valid; ++i) valid = word(prefix[i], i == 0);
  if (valid) return std::nullopt;
  return Quoted(prefix) + " is not a symbol name: use letters, digits and _, and begin with a " +
         "letter or _";
}

}  // namespace tessary
