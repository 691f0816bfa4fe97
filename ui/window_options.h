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
// row's spelling, "Every tile" (named so in messages) and, while "Glyph" is set, the glyph shape
// and gap; these three count as set at the value 1 only. When the glyph fields name no shape,
// `problem` says so (naming the field and what it takes), the options hold no glyph, and no run
// may start; else `problem` is emptied.
RunOptions OptionsOf(const QWidget& form, QString* problem);

}  // namespace tessary
