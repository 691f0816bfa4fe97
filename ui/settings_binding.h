// The window's saved settings: which control goes to which entry of the store, and how.
#pragma once

#include <QString>

class QSettings;
class QWidget;

namespace tessary {

// Sets each control of `form` named in the table from `settings`. A missing entry, and a box
// entry whose text is no whole number from 0 to 2, takes the entry's default.
void LoadSettings(QSettings& settings, QWidget* form);

// Writes every entry from the controls of `form`: texts as they stand, box values as "0", "1"
// or "2", and writes the store out. Returns why the store could not be written, or an empty
// string.
QString SaveSettings(QSettings& settings, const QWidget* form);

}  // namespace tessary
