// The console edge of syscode-cli: arguments in, text out, logs read.
//
// Linux: arguments are taken as UTF-8 and output is written as UTF-8.
// Windows: arguments come from the wide command line; text goes to a console
// as UTF-16 (WriteConsoleW) and to a pipe or file as UTF-8.
//
// Every write is checked. A failed write (a full disk, a closed pipe) is
// remembered, later output is dropped, and FinishOutput tells it, so that
// the program can report it and exit with 1 instead of 0.
#pragma once

#include <string>
#include <vector>

#include "base/text.h"

namespace cli {

using syscode::Text;
using syscode::TextView;

// The arguments after the program name.
std::vector<Text> CommandLineArguments(int argc, char** argv);

// Sets up the standard streams: a write to a closed pipe fails with an error
// instead of ending the process by a signal.
void PrepareConsole();

// Writes text to standard output / standard error. "\n" ends a line.
void WriteOut(const Text& text);
void WriteErr(const Text& text);

// Writes UTF-8 text (already encoded, e.g. JSON) to standard output.
void WriteOutUtf8(const std::string& text);

// Flushes standard output. Returns false, with the reason, when any write to
// it failed.
bool FinishOutput(Text* reason);

// "syscode-cli: " + text + "\n" on standard error, every control character of
// the text escaped (line breaks in it stay line breaks).
void ReportError(const Text& text);

// Text with its control characters (C0, DEL, C1: U+0000-U+001F and
// U+007F-U+009F, ESC and BEL among them) written as \r, \n, \t or \xHH, so
// that text from a file or the command line cannot drive the terminal.
Text Printable(TextView text);

// Reads a whole diagnostic log; "-" is standard input. Returns false with a
// short reason ("no such file", "permission denied", "is a folder", "larger
// than 64 MiB ...", "out of memory ...") when it cannot be read. Reads at most
// syscode::kMaxLogBytes and one byte more.
bool ReadLogFile(const Text& name, std::string* bytes, Text* reason);

}  // namespace cli
