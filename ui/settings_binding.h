// The window's saved settings: which control goes to which entry of the store, and how.
#pragma once

#include <QString>

class QSettings;
class QWidget;

namespace tessary {

// Sets each control of `form` named in the table from `settings`. A missing entry, a box entry
// whose text is no whole number from 0 to 2, a zoom outside 1 to 8, a threshold outside 0 to
// 255, and a store with junk in it give the defaults.
// Returns why the store could not be read at all (the controls then show the defaults), or an
// empty string.
QString LoadSettings(QSettings& settings, QWidget* form);

// Writes every entry from the controls of `form`: texts as they stand, box values as "0", "1"
// or "2", the zoom as its number, and writes the store out anew with these entries alone: keys
// and sections that no entry names, and lines that are no entry at all, are dropped. Returns why
// the store could not be written, or an empty string.
QString SaveSettings(QSettings& settings, const QWidget* form);

}  // namespace tessary
