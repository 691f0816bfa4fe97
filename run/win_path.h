// Windows file names and arguments: the program's UTF-8 text to the wide-character names that
// Windows file functions take, and the Windows-only reason a file cannot be replaced. Elsewhere
// these pass the text through unchanged.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace tessary {

// `utf8` as a path. On Windows it is decoded as UTF-8 (not in the ANSI code page), so any name
// reaches the wide-character file functions whole; "\" and "/", drive letters and UNC names are
// Windows' own. Invalid UTF-8 becomes U+FFFD, which names no file.
std::filesystem::path PathFromUtf8(const std::string& utf8);

// `path` as UTF-8, for messages and names, also on Windows.
std::string Utf8FromPath(const std::filesystem::path& path);

// std::fopen for a path, through _wfopen on Windows. Sets errno on failure.
std::FILE* OpenPath(const std::filesystem::path& path, const char* mode);

// True when both paths name one existing file. On Windows this compares the volume and file
// index, so every spelling of a name matches ("\\?\C:\a" and "c:/a" too).
bool SameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Windows only: opens `path` for binary reading and returns the descriptor, or -1 with errno
// set as elsewhere: EISDIR for a folder, ENOENT for a name no file can have ("*.chr").
int OpenForReading(const std::filesystem::path& path);

// True when `a` and `b` are one existing regular file (two ends of one pipe or terminal are
// not). Each is an open stream or, where the stream is null, a path.
bool SameRegularFile(std::FILE* a_stream, const std::filesystem::path& a, std::FILE* b_stream,
                     const std::filesystem::path& b);

// On Windows: an error, whose message says so, when another program holds the existing file
// `path` open in a way that keeps it from being replaced (no delete sharing). Otherwise, and
// on other systems, no error.
std::error_code CheckNotOpenElsewhere(const std::filesystem::path& path);

// The arguments after the program name as UTF-8. On Windows they are taken from the wide
// command line, whatever the console's code page; `argv` is used elsewhere.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace tessary
