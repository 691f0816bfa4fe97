// The window's saved settings: which control goes to which entry of the store, and how.
#pragma once

#include <QString>
#include <array>

class QSettings;
class QWidget;

namespace tessary {

struct SettingsEntry {
  const char* control;  // the object name of a text field or check box of the window
  const char* section;
  const char* key;
  const char* default_text;
  bool is_box;  // a check box, stored as the decimal text of its value 0, 1 or 2
};

// The thirteen entries, in the order in which they are loaded and saved.
extern const std::array<SettingsEntry, 13> kSettingsEntries;

// Sets each control of `form` named in the table from `settings`. A missing entry, and a box
// entry whose text is no whole number from 0 to 2, takes the entry's default.
void LoadSettings(QSettings& settings, QWidget* form);

// Writes every entry from the controls of `form`: texts as they stand, box values as "0", "1"
// or "2", and writes the store out. Returns why the store could not be written, or an empty
// string.
QString SaveSettings(QSettings& settings, const QWidget* form);

}  // namespace tessary
