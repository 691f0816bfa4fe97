#include "ui/settings_binding.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QStringList>
#include <array>

#include "tiles/syntax.h"
#include "ui/check_box.h"

namespace tessary {
namespace {

struct SettingsEntry {
  const char* control;  // the object name of a text field or check box of the window
  const char* section;
  const char* key;
  const char* default_text;
  bool is_box;  // a check box, stored as the decimal text of its value 0, 1 or 2
};

// The entries, in the order in which they are loaded and saved: the thirteen of the original
// window, then the listing's syntax row with Every tile, the glyph row, the row of Threshold,
// Unique tiles and Map file, then the preview's zoom. The syntax is stored by its --syntax name.
const std::array<SettingsEntry, 24> kSettingsEntries = {{
    {"txt1", "Files", "File1", "Click on *", false},
    {"txt2", "Files", "File2", "Type in target file", false},
    {"txtStart", "Range", "Range1", "$0", false},
    {"txtEnd", "Range", "Range2", "$100", false},
    {"CVert", "Flags", "Vertical", "1", true},
    {"CAppend", "Flags", "Append", "0", true},
    {"CSkip", "Flags", "Skip", "0", true},
    {"CEven", "Flags", "Even", "1", true},
    {"CInvert", "Flags", "Invert", "0", true},
    {"C1616", "Flags", "1616", "0", true},
    {"C812Mask", "Flags", "812", "0", true},
    {"CHex", "Flags", "CHex", "1", true},
    {"txtHex", "Flags", "txtHex", "$00", false},
    {"cboSyntax", "Format", "Syntax", "classic", false},
    {"CPixels", "Format", "Pixels", "0", true},
    {"txtPrefix", "Format", "LabelPrefix", "", false},
    {"CEveryTile", "Format", "EveryTile", "0", true},
    {"CGlyph", "Format", "Glyph", "0", true},
    {"txtGlyph", "Format", "GlyphSize", "8x16", false},
    {"txtGlyphGap", "Format", "GlyphGap", "0", false},
    {"spnThreshold", "Format", "Threshold", "0", false},
    {"CUnique", "Format", "Unique", "0", true},
    {"txtMap", "Format", "MapFile", "", false},
    {"spnZoom", "View", "Zoom", "2", false},
}};

QString KeyOf(const SettingsEntry& entry) {
  return QString::fromLatin1(entry.section) + QLatin1Char('/') + QString::fromLatin1(entry.key);
}

// The stored text. A hand-edited value with an unquoted comma comes back from the store as a
// list, the blanks after each comma dropped; it is joined again with ", ", the usual spelling.
QString ReadText(QSettings& settings, const SettingsEntry& entry) {
  const QVariant value = settings.value(KeyOf(entry), QString::fromUtf8(entry.default_text));
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u", ");
  return value.toString();
}

QByteArray Content(const QString& file) {
  QFile in(file);
  return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// The whole number in `text` when it lies in [low, high], else the entry's default.
int NumberIn(const QString& text, int low, int high, const SettingsEntry& entry) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  if (ok && value >= low && value <= high) return value;
  return QString::fromLatin1(entry.default_text).toInt();
}

// Why the store at `file` could not be written, as far as the file system tells.
QString WriteFailure(const QString& file) {
  const QFileInfo info(file);
  QFileInfo folder(info.absolutePath());
  while (!folder.exists() && folder.absoluteFilePath() != folder.absolutePath()) {
    folder.setFile(folder.absolutePath());  // the nearest part of the path that exists
  }
  if (!folder.isDir()) return folder.absoluteFilePath() + QStringLiteral(" is not a folder");
  if (!folder.isWritable())
    return QStringLiteral("the folder ") + folder.absoluteFilePath() +
           QStringLiteral(" cannot be written to");
  if (info.exists() && !info.isWritable()) return file + QStringLiteral(" is read-only");
  return QStringLiteral("writing ") + file + QStringLiteral(" failed");
}

}  // namespace

QString LoadSettings(QSettings& settings, QWidget* form) {
  for (const SettingsEntry& entry : kSettingsEntries) {
    const QString text = ReadText(settings, entry);
    const QString name = QString::fromLatin1(entry.control);
    if (entry.is_box) {
      if (auto* box = form->findChild<CheckBox*>(name)) box->setValue(NumberIn(text, 0, 2, entry));
    } else if (auto* field = form->findChild<QLineEdit*>(name)) {
      field->setText(text);
    } else if (auto* spin = form->findChild<QSpinBox*>(name)) {
      spin->setValue(NumberIn(text, spin->minimum(), spin->maximum(), entry));
    } else if (auto* combo = form->findChild<QComboBox*>(name)) {
      // An unknown name loads as the first item, classic.
      const std::optional<Syntax> syntax = SyntaxNamed(text.toStdString());
      combo->setCurrentIndex(syntax ? static_cast<int>(*syntax) : 0);
    }
  }
  if (settings.status() != QSettings::AccessError) return {};  // junk reads as missing entries
  return settings.fileName() + QStringLiteral(" cannot be read");
}

QString SaveSettings(QSettings& settings, const QWidget* form) {
  const QByteArray before = Content(settings.fileName());
  settings.clear();  // the store holds the window's entries alone; whatever else it held goes
  for (const SettingsEntry& entry : kSettingsEntries) {
    const QString name = QString::fromLatin1(entry.control);
    if (entry.is_box) {
      if (const auto* box = form->findChild<const CheckBox*>(name)) {
        settings.setValue(KeyOf(entry), QString::number(box->value()));
      }
    } else if (const auto* field = form->findChild<const QLineEdit*>(name)) {
      settings.setValue(KeyOf(entry), field->text());
    } else if (const auto* spin = form->findChild<const QSpinBox*>(name)) {
      settings.setValue(KeyOf(entry), QString::number(spin->value()));
    } else if (const auto* combo = form->findChild<const QComboBox*>(name)) {
      settings.setValue(KeyOf(entry), combo->currentData().toString());
    }
  }
  settings.sync();
  // A store that held junk reports a format error even when it was written out anew.
  if (settings.status() == QSettings::NoError ||
      (settings.status() == QSettings::FormatError && Content(settings.fileName()) != before)) {
    return {};
  }
  return WriteFailure(settings.fileName());
}

}  // namespace tessary
