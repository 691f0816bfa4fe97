#include "ui/browse_naming.h"

#include <algorithm>

namespace tessary {
namespace {

// `input` without the extension of its file name.
QString Stem(const QString& input) {
  const qsizetype name_start =
      std::max(input.lastIndexOf(QLatin1Char('/')), input.lastIndexOf(QLatin1Char('\\'))) + 1;
  const qsizetype dot = input.lastIndexOf(QLatin1Char('.'));
  return dot >= name_start ? input.left(dot) : input;
}

}  // namespace

QString OutputNameFor(const QString& input) { return Stem(input) + QStringLiteral(".H"); }

QString MapNameFor(const QString& input) { return Stem(input) + QStringLiteral(".map"); }

}  // namespace tessary
