// The output file name that the browse button proposes for a chosen input file.
#pragma once

#include <QString>

namespace tessary {

// `input` with the extension of its file name (the last "." in it and what follows) replaced by
// ".H", or with ".H" added when the file name has no ".": "font.chr" gives "font.H", "x.grph"
// gives "x.H", "tileset" gives "tileset.H". Both "/" and "\" end a folder name.
QString OutputNameFor(const QString& input);

}  // namespace tessary
