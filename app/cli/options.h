// The command line of syscode-cli: GNU-style long options (getopt_long).
#pragma once

#include <optional>
#include <vector>

#include "base/text.h"

namespace app::cli {

using syscode::Text;

// Exit statuses scripts can rely on.
inline constexpr int kExitOk = 0;       // success; for --check: the code matches
inline constexpr int kExitFailure = 1;  // the work failed (file, log, query, hardware, output); --check: no match
inline constexpr int kExitUsage = 2;    // the command line is wrong

struct Options {
  bool help = false;
  bool version = false;
  bool sources = false;              // --sources
  bool json = false;                 // --json
  bool strict = false;               // --strict: any bad stretch of a log fails
  bool from_log = false;             // --from-log[=FILE] [FILE...]
  std::vector<Text> files;           // the logs; "-" is standard input
  std::optional<Text> check;         // --check CODE
  std::optional<Text> log;           // --log[=FILE]: the file the press's lines go to
  std::optional<Text> query;         // --query CLASS_OR_WQL
  Text name_space = u"root\\CIMV2";  // --namespace
  Text server = u".";                // --server
  bool name_space_given = false;
  bool server_given = false;
};

struct ParseResult {
  Options options;
  Text error;  // empty when the command line is good
};

// Parses the arguments after the program name with getopt_long: long options
// may be abbreviated to any unambiguous prefix; options with a required value
// take it as "--opt=VALUE" or as the next argument; --log and --from-log take
// theirs only as "--opt=VALUE" (a following argument is no value of theirs:
// it is a further log for --from-log and an error otherwise). Arguments that
// are no options are logs of --from-log; "--" ends the options. Options that
// cannot go together, an unknown or ambiguous option, a missing value or a
// stray argument give an error text.
ParseResult ParseCommandLine(const std::vector<Text>& args);

// The text of --help.
Text HelpText();

}  // namespace app::cli
