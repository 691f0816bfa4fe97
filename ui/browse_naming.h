// The names that the browse button proposes for the files written from a chosen input file.
#pragma once

#include <QString>

namespace tessary {

// `input` with the extension of its file name (the last "." in it and what follows) replaced by
// ".H", or with ".H" added when the file name has no ".": "font.chr" gives "font.H", "x.grph"
// gives "x.H", "tileset" gives "tileset.H". Both "/" and "\" end a folder name.
QString OutputNameFor(const QString& input);

// The same with ".map": "screen.png" gives "screen.map".
QString MapNameFor(const QString& input);

}  // namespace tessary
