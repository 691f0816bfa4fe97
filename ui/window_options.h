// What the window's controls ask of a run: its options and the boxes' values.
#pragma once

#include <QString>

#include "run/box_values.h"
#include "run/options.h"

class QWidget;

namespace tessary {

// The values of the eight check boxes of `form` (the window), found by their object names.
BoxValues BoxesOf(const QWidget& form);

// The options of a run as the controls of `form` give them: the file names encoded for the file
// system, the offset and number fields as typed, the boxes as FromBoxes() reads them, the format
// row's spelling, "Every tile" (named so in messages), the Threshold, "Unique tiles" and a map
// while Map file names one (these two only while enabled), and, while "Glyph" is set, the glyph
// shape and gap; the boxes of the format and glyph rows count as set at the value 1 only. When the
// glyph fields name no shape, `problem` says so (naming the field and what it takes), the options
// hold no glyph, and no run may start; else `problem` is emptied.
RunOptions OptionsOf(const QWidget& form, QString* problem);

// The map file that the Map file field names, encoded for the file system; empty for none.
std::string MapPathOf(const QWidget& form);

// Whether the boxes of `form` and Glyph give the 8x8 row walk, which unique tiles and a map need:
// none of Vertical, Skip, 16x16, 8x12 Masked and Glyph set.
bool RowWalkOf(const QWidget& form);

}  // namespace tessary
