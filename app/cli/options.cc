#include "app/cli/options.h"

#include <getopt.h>

#include <string>
#include <utility>

#include "syscode/diagnostic_log.h"

namespace app::cli {

namespace {

enum OptionId : int {
  kHelp = 'h',
  kVersion = 'V',
  kSources = 256,
  kJson,
  kStrict,
  kFromLog,
  kCheck,
  kLog,
  kQuery,
  kNamespace,
  kServer,
};

constexpr struct option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},           {"version", no_argument, nullptr, kVersion},
    {"sources", no_argument, nullptr, kSources},     {"json", no_argument, nullptr, kJson},
    {"strict", no_argument, nullptr, kStrict},       {"from-log", optional_argument, nullptr, kFromLog},
    {"check", required_argument, nullptr, kCheck},   {"log", optional_argument, nullptr, kLog},
    {"query", required_argument, nullptr, kQuery},   {"namespace", required_argument, nullptr, kNamespace},
    {"server", required_argument, nullptr, kServer}, {nullptr, 0, nullptr, 0},
};

Text Quoted(const Text& text) { return u"'" + text + u"'"; }
Text Wide(const char* text) { return syscode::FromUtf8(text); }

// Why getopt_long refused `arg`: the same rules, told in words. getopt's own
// return codes for these cases differ between C libraries, so the argument
// is looked at again here.
Text RefusalOf(const std::string& arg) {
  if (!arg.starts_with("--")) {
    return u"unknown option " + Quoted(Wide(arg.substr(0, 2).c_str()));
  }
  const std::size_t equals = arg.find('=');
  const std::string name = arg.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
  std::vector<const struct option*> matches;
  for (const struct option* o = kLongOptions; o->name != nullptr; ++o) {
    if (name == o->name) {
      matches = {o};
      break;
    }
    if (!name.empty() && std::string(o->name).starts_with(name)) matches.push_back(o);
  }
  if (matches.empty()) return u"unknown option " + Quoted(Wide(arg.substr(0, equals).c_str()));
  if (matches.size() > 1) {
    Text names;
    for (const struct option* o : matches) names += (names.empty() ? u"" : u", ") + Text(u"--") + Wide(o->name);
    return u"option " + Quoted(Wide(arg.substr(0, equals).c_str())) + u" is ambiguous (" + names + u")";
  }
  const Text full = u"--" + Wide(matches[0]->name);
  if (matches[0]->has_arg == no_argument) return u"option " + full + u" takes no value";
  return u"option " + full + u" needs a value";
}

// The options that cannot go together; the first pair found, as an error.
Text Conflicts(const Options& o) {
  auto both = [](const char16_t* a, const char16_t* b) {
    return Text(u"options ") + a + u" and " + b + u" cannot be used together";
  };
  if (o.from_log && o.query) return both(u"--from-log", u"--query");
  if (o.from_log && o.log) return both(u"--from-log", u"--log");
  if (o.check && o.query) return both(u"--check", u"--query");
  if (o.check && o.log) return both(u"--check", u"--log");
  if (o.check && o.sources) return both(u"--check", u"--sources");
  if (o.query && o.log) return both(u"--query", u"--log");
  if (o.query && o.sources) return both(u"--query", u"--sources");
  if (o.sources && o.json) return both(u"--sources", u"--json");
  if (!o.query && o.name_space_given) return u"option --namespace needs --query";
  if (!o.query && o.server_given) return u"option --server needs --query";
  if (!o.from_log && o.strict) return u"option --strict needs --from-log";
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
  // getopt_long works on a C argument vector, which it may reorder.
  std::vector<std::string> storage = {"syscode-cli"};
  for (const Text& arg : args) storage.push_back(syscode::ToUtf8(arg));
  std::vector<char*> argv;
  for (std::string& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(storage.size());

  optind = 0;  // a fresh scan (glibc and mingw-w64 both reset on 0)
  opterr = 0;  // the messages are ours
  optopt = 0;
  // "-" first: operands come back in their place (as id 1), so logs keep the
  // order of the command line; ":" next: a missing value is told apart.
  std::vector<Text> operands;
  int id = 0;
  while ((id = getopt_long(argc, argv.data(), "-:hV", kLongOptions, nullptr)) != -1) {
    const Text value = optarg != nullptr ? syscode::FromUtf8(optarg) : Text();
    auto needs_value = [&](const char16_t* name) -> bool {
      if (!value.empty()) return true;
      fail(Text(u"option ") + name + u" needs a non-empty value");
      return false;
    };
    switch (id) {
      case 1: operands.push_back(value); break;
      case kHelp: o.help = true; break;
      case kVersion: o.version = true; break;
      case kSources: o.sources = true; break;
      case kJson: o.json = true; break;
      case kStrict: o.strict = true; break;
      case kFromLog:
        o.from_log = true;
        if (optarg != nullptr) {
          if (!needs_value(u"--from-log")) return result;
          operands.push_back(value);
        }
        break;
      case kCheck:
        if (!needs_value(u"--check")) return result;
        o.check = value;
        break;
      case kLog:
        if (optarg != nullptr && value.empty()) return fail(u"option --log= needs a file name");
        o.log = optarg != nullptr ? value : Text(syscode::kLogFileName);
        break;
      case kQuery:
        if (!needs_value(u"--query")) return result;
        o.query = value;
        break;
      case kNamespace:
        if (!needs_value(u"--namespace")) return result;
        o.name_space = value;
        o.name_space_given = true;
        break;
      case kServer:
        if (!needs_value(u"--server")) return result;
        o.server = value;
        o.server_given = true;
        break;
      default:
        // '?' or ':'. A short option unknown inside a cluster ("-hx") is in
        // optopt; otherwise the element getopt stepped over is the culprit.
        if (optopt > 0 && optopt < 256 && optopt != kHelp && optopt != kVersion) {
          return fail(u"unknown option " + Quoted(Text(u"-") + static_cast<char16_t>(optopt)));
        }
        return fail(RefusalOf(optind > 1 && optind - 1 < argc ? argv[static_cast<std::size_t>(optind - 1)] : "--"));
    }
  }
  // After "--" everything is an operand.
  for (int i = optind; i < argc; ++i) operands.push_back(syscode::FromUtf8(argv[static_cast<std::size_t>(i)]));
  if (o.help || o.version) return result;
  if (!operands.empty()) {
    if (!o.from_log) {
      Text error = u"unexpected argument " + Quoted(operands[0]);
      if (o.log) error += u" (--log takes its file only as --log=FILE)";
      return fail(std::move(error));
    }
    o.files.insert(o.files.end(), operands.begin(), operands.end());
  }
  if (o.from_log && o.files.empty()) return fail(u"option --from-log needs a file (- for standard input)");
  if (Text conflict = Conflicts(o); !conflict.empty()) return fail(std::move(conflict));
  return result;
}

Text HelpText() {
  return u"Usage: syscode-cli [OPTION]...\n"
         u"       syscode-cli --from-log FILE... [--sources | --json] [--strict]\n"
         u"       syscode-cli --check CODE [--from-log FILE...] [--json]\n"
         u"Print the system code of this machine: the code the window gives on the\n"
         u"first press of a newly opened window.\n"
         u"\n"
         u"  --sources             also show, for each of the seven sources, whether it\n"
         u"                        was read, its raw value and the part it gave or why\n"
         u"                        none (failed query, no instance, no such property,\n"
         u"                        null, empty, too short, not read)\n"
         u"  --json                print the report as one JSON object (see docs/cli.md)\n"
         u"  --log[=FILE]          append the press's lines to LogD.txt in the working\n"
         u"                        directory (or to FILE), exactly as the window does;\n"
         u"                        without it no file is written. The file is given\n"
         u"                        only as --log=FILE: in '--log FILE', FILE is no value\n"
         u"  --from-log FILE...    read diagnostic logs (LogD.txt; - is standard input)\n"
         u"                        and print the code each complete press gives on the\n"
         u"                        first press of a new window, with its lines; with\n"
         u"                        --sources or --json each press's sources too. Bad\n"
         u"                        stretches and presses cut short are reported on\n"
         u"                        stderr, and the other presses are still decoded\n"
         u"  --strict              with --from-log: exit 1 when a log has a bad stretch\n"
         u"  --check CODE          check a code as the customer typed it (dashes, blanks\n"
         u"                        and lower case are fine) against this machine, or\n"
         u"                        with --from-log against every press in the logs;\n"
         u"                        explains mask digits of a later press and likely\n"
         u"                        typing errors\n"
         u"  --query CLASS_OR_WQL  run a WMI class enumeration or a WQL query (SELECT ...)\n"
         u"                        and print its result table (JSON with --json)\n"
         u"  --namespace NS        namespace for --query (default root\\CIMV2)\n"
         u"  --server NAME         server for --query (default \".\", this machine)\n"
         u"  -h, --help            show this help and exit\n"
         u"  -V, --version         show the version and exit\n"
         u"\n"
         u"Long options may be abbreviated (--from for --from-log); '--' ends the options.\n"
         u"\n"
         u"Exit status:\n"
         u"  0  success; with --check, the code matches\n"
         u"  1  the work failed: a file that cannot be read or holds no press, a log\n"
         u"     line that cannot be written, a failed query or hardware access, output\n"
         u"     that cannot be written; with --check, the code does not match\n"
         u"  2  the command line is wrong\n";
}

}  // namespace app::cli
