#include "app/cli/access_hint.h"

#include "syscode/hardware_sources.h"

namespace app::cli {

namespace {

bool Read(const syscode::PressTrace& press, const syscode::SourceAccess& access) {
  return access.source >= 0 && access.source < syscode::kSourceCount && press.sources[access.source].read;
}

}  // namespace

RootHint AccessRootHint(const std::vector<syscode::SourceAccess>& unreadable) {
  return [unreadable](int source) {
    for (const auto& access : unreadable) {
      if (access.source == source && access.needs_privilege) return true;
    }
    return false;
  };
}

Text AccessNote(const syscode::PressTrace& press, const std::vector<syscode::SourceAccess>& unreadable, bool all) {
  Text out;
  const auto limits = syscode::PrivilegeLimitsOfPress(press, unreadable);
  if (!limits.empty()) {
    Text names;
    for (const auto& access : limits) {
      if (!names.empty()) names += u", ";
      names += syscode::kSources[access.source].name;
    }
    out += u"syscode-cli: note: " + names + u" could not be read without root rights (" + limits.front().reason +
           u"); root may get another code on this machine: run syscode-cli as root, e.g. with sudo\n";
  }
  if (all) {
    for (const auto& access : unreadable) {
      if (access.needs_privilege || !Read(press, access)) continue;
      out += u"syscode-cli: note: " + Text(syscode::kSources[access.source].name) + u" could not be read (" +
             access.reason + u")\n";
    }
  }
  return out;
}

nlohmann::ordered_json AccessJson(const syscode::PressTrace& press,
                                  const std::vector<syscode::SourceAccess>& unreadable) {
  using json = nlohmann::ordered_json;
  json list = json::array();
  for (const auto& access : unreadable) {
    if (!Read(press, access)) continue;
    list.push_back({{"name", syscode::ToUtf8(syscode::kSources[access.source].name)},
                    {"needs_root", access.needs_privilege},
                    {"reason", syscode::ToUtf8(access.reason)}});
  }
  return {{"root_may_differ", !syscode::PrivilegeLimitsOfPress(press, unreadable).empty()},
          {"unreadable", std::move(list)}};
}

}  // namespace app::cli
