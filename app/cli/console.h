// The console edge of syscode-cli: arguments in, text out.
//
// Linux: arguments are taken as UTF-8 and output is written as UTF-8.
// Windows: arguments come from the wide command line; text goes to a console
// as UTF-16 (WriteConsoleW) and to a pipe or file as UTF-8.
#pragma once

#include <string>
#include <vector>

#include "syscode/text.h"

namespace cli {

using syscode::Text;

// The arguments after the program name.
std::vector<Text> CommandLineArguments(int argc, char** argv);

// Writes text to standard output / standard error. "\n" ends a line.
void WriteOut(const Text& text);
void WriteErr(const Text& text);

// Writes UTF-8 text (already encoded, e.g. JSON) to standard output.
void WriteOutUtf8(const std::string& text);

// Reads a whole file. Returns false with a short reason ("no such file",
// "permission denied", "is a folder", ...) when it cannot be read.
bool ReadWholeFile(const Text& name, std::string* bytes, Text* reason);

// True when the process runs without root rights on Linux (false elsewhere).
bool RunsWithoutRoot();

}  // namespace cli
