// What the window says about a run that Go! started: a status line, and the message box of one
// that failed or listed nothing.
#pragma once

#include <QString>
#include <string>

#include "run/run.h"

namespace tessary {

// One line on what the run did: for a finished run the tiles listed, the lines and bytes written
// and the output file (`output_path` as the run got it), then the note on what it left unlisted:
// `Listed 26 tiles: 234 lines, 4212 bytes to "font.H"`. For any other run its message, after
// "Failed: " for one that failed.
QString RunSummary(const RunResult& result, const std::string& output_path);

// The text of the message box that a failed run, or one that listed nothing, calls for; empty
// for any other.
QString RunAlert(const RunResult& result);

// `text` with its first letter upper-cased, as a sentence of its own.
QString Sentence(const std::string& text);

}  // namespace tessary
