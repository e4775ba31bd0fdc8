// What syscode-cli tells a user when this run could not read a source that
// a privileged user could (syscode/source_access.h): Windows reads every
// source as an ordinary user, so such a run may give a code that a run as
// root on the same machine would not reproduce.
#pragma once

#include <vector>

#include <nlohmann/json.hpp>

#include "app/cli/report.h"
#include "syscode/code_assembly.h"
#include "syscode/source_access.h"

namespace app::cli {

// The per-source hint of --sources: true for a source that only a
// privileged user could have read.
RootHint AccessRootHint(const std::vector<syscode::SourceAccess>& unreadable);

// The note for standard error, empty when there is nothing to tell:
//   "syscode-cli: note: BiosVersion, BaseBordSerialNumber could not be read
//    without root rights (permission denied); root may get another code on
//    this machine: run syscode-cli as root, e.g. with sudo"
// for the sources the press read that root could read. With `all`, also a
// line for each read source that could not be read for another reason
// ("syscode-cli: note: DiskDriveSignature could not be read (operation not
// permitted)"), which root would not lift.
Text AccessNote(const syscode::PressTrace& press, const std::vector<syscode::SourceAccess>& unreadable, bool all);

// The "access" field of --json: {"root_may_differ": bool, "unreadable":
// [{"name", "needs_root", "reason"}, ...]} over the sources the press read.
nlohmann::ordered_json AccessJson(const syscode::PressTrace& press,
                                  const std::vector<syscode::SourceAccess>& unreadable);

}  // namespace app::cli
