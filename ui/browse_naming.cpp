#include "ui/browse_naming.h"

#include <algorithm>

namespace tessary {

QString OutputNameFor(const QString& input) {
  const qsizetype name_start =
      std::max(input.lastIndexOf(QLatin1Char('/')), input.lastIndexOf(QLatin1Char('\\'))) + 1;
  const qsizetype dot = input.lastIndexOf(QLatin1Char('.'));
  const QString stem = dot >= name_start ? input.left(dot) : input;
  return stem + QStringLiteral(".H");
}

}  // namespace tessary
