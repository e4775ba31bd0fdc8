// What syscode-cli says when a press read a source this user could not read:
// the note on standard error, the per-source hint of --sources and the
// "access" field of --json.
#include "app/cli/access_hint.h"

#include <gtest/gtest.h>

namespace {

using syscode::SourceAccess;
using syscode::Text;

// A user's press on a machine like laptop-nvme: the BIOS version and the
// board serial are root's, the press goes on to the disk and beyond.
syscode::PressTrace UserPress(int sources_read) {
  syscode::PressTrace press;
  for (int i = 0; i < sources_read; ++i) press.sources[i].read = true;
  return press;
}

const std::vector<SourceAccess> kUnreadable = {
    {1, true, u"permission denied"}, {2, true, u"permission denied"}, {6, false, u"operation not permitted"}};

TEST(AccessHintTest, ANoteNamesTheSourcesRootCouldReadWhenThePressReadThem) {
  EXPECT_EQ(syscode::ToUtf8(app::cli::AccessNote(UserPress(6), kUnreadable, false)),
            "syscode-cli: note: BiosVersion, BaseBordSerialNumber could not be read without root rights "
            "(permission denied); root may get another code on this machine: run syscode-cli as root, "
            "e.g. with sudo\n");
}

TEST(AccessHintTest, OtherReasonsAreToldOnlyWithAllAndOnlyForSourcesRead) {
  // The disk signature was not read: nothing about it.
  EXPECT_EQ(app::cli::AccessNote(UserPress(6), kUnreadable, true),
            app::cli::AccessNote(UserPress(6), kUnreadable, false));
  // Read, refused to root as well: its reason, but no advice to run as root.
  const std::string all = syscode::ToUtf8(app::cli::AccessNote(UserPress(7), kUnreadable, true));
  EXPECT_NE(all.find("syscode-cli: note: DiskDriveSignature could not be read (operation not permitted)\n"),
            std::string::npos)
      << all;
  EXPECT_EQ(all.find("DiskDriveSignature could not be read without root"), std::string::npos) << all;
}

TEST(AccessHintTest, NothingToSayGivesNoText) {
  EXPECT_TRUE(app::cli::AccessNote(UserPress(7), {}, true).empty());
  // Root's run: nothing needs privilege.
  EXPECT_TRUE(app::cli::AccessNote(UserPress(3), {{1, false, u"permission denied"}}, false).empty());
}

TEST(AccessHintTest, TheSourcesReportHintsOnlyWhereRootWouldHelp) {
  const app::cli::RootHint hint = app::cli::AccessRootHint(kUnreadable);
  EXPECT_FALSE(hint(0));
  EXPECT_TRUE(hint(1));
  EXPECT_TRUE(hint(2));
  EXPECT_FALSE(hint(6));  // root is refused too
}

TEST(AccessHintTest, JsonTellsWhetherRootMayDifferAndWhy) {
  const auto json = app::cli::AccessJson(UserPress(7), kUnreadable);
  EXPECT_TRUE(json.at("root_may_differ").get<bool>());
  ASSERT_EQ(json.at("unreadable").size(), 3u);
  EXPECT_EQ(json.at("unreadable").at(0).at("name"), "BiosVersion");
  EXPECT_TRUE(json.at("unreadable").at(0).at("needs_root").get<bool>());
  EXPECT_EQ(json.at("unreadable").at(2).at("name"), "DiskDriveSignature");
  EXPECT_FALSE(json.at("unreadable").at(2).at("needs_root").get<bool>());
  EXPECT_EQ(json.at("unreadable").at(2).at("reason"), "operation not permitted");

  const auto root = app::cli::AccessJson(UserPress(3), {{6, false, u"operation not permitted"}});
  EXPECT_FALSE(root.at("root_may_differ").get<bool>());
  EXPECT_TRUE(root.at("unreadable").empty());  // the signature was not read
}

}  // namespace
