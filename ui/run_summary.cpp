#include "ui/run_summary.h"

#include "run/quoted.h"

namespace tessary {
namespace {

QString Count(int64_t count, const char* one, const char* more) {
  return QString::number(count) + QLatin1Char(' ') + QString::fromLatin1(count == 1 ? one : more);
}

}  // namespace

QString Sentence(const std::string& text) {
  QString sentence = QString::fromStdString(text);
  if (!sentence.isEmpty()) sentence[0] = sentence[0].toUpper();
  return sentence;
}

QString RunSummary(const RunResult& result, const std::string& output_path) {
  switch (result.status) {
    case RunStatus::kDone: {
      QString line = QStringLiteral("Listed ") + Count(result.tiles, "tile", "tiles") +
                     QStringLiteral(": ") + Count(result.lines_written, "line", "lines") +
                     QStringLiteral(", ") +
                     Count(static_cast<int64_t>(result.bytes_written), "byte", "bytes") +
                     QStringLiteral(" to ") + QString::fromStdString(Quoted(output_path));
      if (!result.note.empty()) line += QStringLiteral(". ") + Sentence(result.note);
      return line;
    }
    case RunStatus::kFailed:
      return QStringLiteral("Failed: ") + QString::fromStdString(result.message);
    case RunStatus::kQuietStop:
    case RunStatus::kNothingListed:
    case RunStatus::kCancelled:
      break;
  }
  return Sentence(result.message);
}

QString RunAlert(const RunResult& result) {
  const bool alert =
      result.status == RunStatus::kFailed || result.status == RunStatus::kNothingListed;
  return alert ? Sentence(result.message) : QString();
}

}  // namespace tessary
