// What the window's controls ask of a run: its options and the boxes' values.
#pragma once

#include "run/box_values.h"
#include "run/options.h"

class QWidget;

namespace tessary {

// The values of the eight check boxes of `form` (the window), found by their object names.
BoxValues BoxesOf(const QWidget& form);

// The options of a run as the controls of `form` give them: the file names encoded for the file
// system, the offset and number fields as typed, the boxes as FromBoxes() reads them, and the
// format row's spelling.
RunOptions OptionsOf(const QWidget& form);

}  // namespace tessary
