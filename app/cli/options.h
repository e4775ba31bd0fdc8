// The command line of syscode-cli: GNU-style long options.
#pragma once

#include <optional>
#include <vector>

#include "syscode/text.h"

namespace cli {

using syscode::Text;

// Exit statuses scripts can rely on.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the work failed (file, log, query, hardware)
inline constexpr int kExitUsage = 2;    // the command line is wrong

struct Options {
  bool help = false;
  bool version = false;
  bool sources = false;           // --sources
  bool json = false;              // --json
  std::optional<Text> from_log;   // --from-log FILE
  std::optional<Text> log;        // --log[=FILE]: the file the press's lines go to
  std::optional<Text> query;      // --query CLASS_OR_WQL
  Text name_space = u"root\\CIMV2";  // --namespace
  Text server = u".";                // --server
  bool name_space_given = false;
  bool server_given = false;
};

struct ParseResult {
  Options options;
  Text error;  // empty when the command line is good
};

// Parses the arguments after the program name. Options with a value take it
// as "--opt=VALUE" or as the next argument; --log takes one only as
// "--log=FILE". "--" ends the options. Options that cannot go together, an
// unknown option, a missing value or a stray argument give an error text.
ParseResult ParseCommandLine(const std::vector<Text>& args);

// The text of --help.
Text HelpText();

}  // namespace cli
