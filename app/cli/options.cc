#include "app/cli/options.h"

#include <utility>

#include "syscode/diagnostic_log.h"

namespace cli {

namespace {

Text Quoted(const Text& text) { return u"'" + text + u"'"; }

// Splits "--name=value" into its name and value.
std::pair<Text, std::optional<Text>> SplitOption(const Text& arg) {
  const std::size_t equals = arg.find(u'=');
  if (equals == Text::npos) return {arg, std::nullopt};
  return {arg.substr(0, equals), arg.substr(equals + 1)};
}

// The options that cannot go together; the first pair found, as an error.
Text Conflicts(const Options& o) {
  auto both = [](const char16_t* a, const char16_t* b) {
    return Text(u"options ") + a + u" and " + b + u" cannot be used together";
  };
  if (o.from_log && o.query) return both(u"--from-log", u"--query");
  if (o.from_log && o.log) return both(u"--from-log", u"--log");
  if (o.query && o.log) return both(u"--query", u"--log");
  if (o.query && o.sources) return both(u"--query", u"--sources");
  if (o.sources && o.json) return both(u"--sources", u"--json");
  if (!o.query && o.name_space_given) return u"option --namespace needs --query";
  if (!o.query && o.server_given) return u"option --server needs --query";
  return Text();
}

}  // namespace

ParseResult ParseCommandLine(const std::vector<Text>& args) {
  ParseResult result;
  Options& o = result.options;
  auto fail = [&result](Text error) {
    result.error = std::move(error);
    return result;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Text& arg = args[i];
    if (arg == u"--") {
      if (i + 1 < args.size()) return fail(u"unexpected argument " + Quoted(args[i + 1]));
      break;
    }
    if (!arg.starts_with(u"-") || arg == u"-") return fail(u"unexpected argument " + Quoted(arg));
    // Plain variables rather than a structured binding: the lambdas below
    // capture them, which not every compiler accepts for bindings.
    const auto split = SplitOption(arg);
    const Text& name = split.first;
    const std::optional<Text>& value = split.second;
    // An option that needs a value takes "=VALUE" or the next argument.
    auto take_value = [&](Text* out) -> bool {
      if (value) {
        *out = *value;
      } else if (i + 1 < args.size()) {
        *out = args[++i];
      } else {
        return false;
      }
      return true;
    };
    auto no_value = [&]() { return !value.has_value(); };
    Text text;
    if ((name == u"--help" || name == u"-h") && no_value()) {
      o.help = true;
    } else if ((name == u"--version" || name == u"-V") && no_value()) {
      o.version = true;
    } else if (name == u"--sources" && no_value()) {
      o.sources = true;
    } else if (name == u"--json" && no_value()) {
      o.json = true;
    } else if (name == u"--log") {
      if (value && value->empty()) return fail(u"option --log= needs a file name");
      o.log = value ? *value : Text(syscode::kLogFileName);
    } else if (name == u"--from-log" || name == u"--query" || name == u"--namespace" || name == u"--server") {
      if (!take_value(&text)) return fail(u"option " + name + u" needs a value");
      if (text.empty()) return fail(u"option " + name + u" needs a non-empty value");
      if (name == u"--from-log") {
        o.from_log = text;
      } else if (name == u"--query") {
        o.query = text;
      } else if (name == u"--namespace") {
        o.name_space = text;
        o.name_space_given = true;
      } else {
        o.server = text;
        o.server_given = true;
      }
    } else if (value && (name == u"--help" || name == u"--version" || name == u"--sources" || name == u"--json")) {
      return fail(u"option " + name + u" takes no value");
    } else {
      return fail(u"unknown option " + Quoted(arg));
    }
  }
  if (o.help || o.version) return result;
  if (Text conflict = Conflicts(o); !conflict.empty()) return fail(std::move(conflict));
  return result;
}

Text HelpText() {
  return u"Usage: syscode-cli [OPTION]...\n"
         u"Print the system code of this machine: the code the window gives on the\n"
         u"first press of a newly opened window.\n"
         u"\n"
         u"  --sources             also show, for each of the seven sources, whether it\n"
         u"                        was read, its raw value and the part it gave or why\n"
         u"                        none\n"
         u"  --json                print the code, the source mask and the seven sources\n"
         u"                        as one JSON object\n"
         u"  --log[=FILE]          append the press's lines to LogD.txt in the working\n"
         u"                        directory (or to FILE), exactly as the window does;\n"
         u"                        without it no file is written\n"
         u"  --from-log FILE       read a diagnostic log (LogD.txt) and print, one per\n"
         u"                        line, the code each complete press in it gives on the\n"
         u"                        first press of a new window; with --sources or --json\n"
         u"                        show each press's sources too. Presses cut short by a\n"
         u"                        failed log write are skipped with a note on stderr\n"
         u"  --query CLASS_OR_WQL  run a WMI class enumeration or a WQL query (SELECT ...)\n"
         u"                        and print its result table (JSON with --json)\n"
         u"  --namespace NS        namespace for --query (default root\\CIMV2)\n"
         u"  --server NAME         server for --query (default \".\", this machine)\n"
         u"  -h, --help            show this help and exit\n"
         u"  -V, --version         show the version and exit\n"
         u"\n"
         u"Exit status:\n"
         u"  0  success\n"
         u"  1  the work failed: a file that cannot be read or is no diagnostic log, a\n"
         u"     log line that cannot be written, a failed query or hardware access\n"
         u"  2  the command line is wrong\n";
}

}  // namespace cli
