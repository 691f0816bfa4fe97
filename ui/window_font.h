// The window's fonts: the largest one under which every caption of the fixed layout fits, and
// the browse button's own.
#pragma once

#include <QFont>

class QWidget;

namespace tessary {

// Tries the application font at pixel sizes from 12 down, each at normal, semi-condensed and
// condensed width, and sets on `form` the first under which every check box, button and text
// field child shows its caption whole in its fixed geometry and every label, sized to its
// caption, stays clear of the other controls. Children with a font of their own keep it.
void FitWindowFont(QWidget* form);

// The browse button's "O": a bold 9-point terminal font, or the typewriter font standing in for it.
QFont BrowseButtonFont();

}  // namespace tessary
