// Which sources a run could not read, and whether root would have: on the
// captures (unreadable.txt records each refusal as the capture met it) and
// on real files, where the live probe asks the kernel.
#include "platform/linux/source_access_linux.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "linux/scratch_tree.h"
#include "linux/wmi_walker.h"

namespace linux_layer_test {
namespace {

using wmi::linux_layer::UnreadableSources;

// "BiosVersion:root:permission denied" per entry, in order.
std::vector<std::string> Listed(const std::vector<syscode::SourceAccess>& found) {
  std::vector<std::string> out;
  for (const auto& access : found) {
    out.push_back(syscode::ToUtf8(syscode::kSources[access.source].name) + (access.needs_privilege ? ":root:" : ":") +
                  syscode::ToUtf8(access.reason));
  }
  return out;
}

std::vector<std::string> UserView(const std::string& machine) {
  return Listed(UnreadableSources(CaptureSources(machine), false));
}

TEST(SourceAccessTest, AUserIsToldOfWhatRootCouldReadAndOfNothingAbsent) {
  EXPECT_EQ(UserView("desktop-nvme-user"), (std::vector<std::string>{"BiosVersion:root:permission denied",
                                                                     "BaseBordSerialNumber:root:permission denied",
                                                                     "DiskDriveSignature:root:permission denied"}));
  // No SMBIOS at all: no board serial to miss.
  EXPECT_EQ(UserView("this-machine-user"), (std::vector<std::string>{"BiosVersion:root:permission denied",
                                                                     "DiskDriveSignature:root:permission denied"}));
  // A legacy boot with SMBIOS: the entry point root may read decides whether
  // Windows shows the base board at all, so both board sources depend on it.
  EXPECT_EQ(UserView("kvm-seabios-sm3-user"),
            (std::vector<std::string>{
                "BiosVersion:root:permission denied", "BaseBordSerialNumber:root:permission denied",
                "BaseBordManufacturer:root:permission denied", "DiskDriveSignature:root:permission denied"}));
  // Under UEFI the entry point decides nothing.
  EXPECT_EQ(UserView("ovmf-vm-user"), (std::vector<std::string>{"BiosVersion:root:permission denied",
                                                                "BaseBordSerialNumber:root:permission denied",
                                                                "DiskDriveSignature:root:permission denied"}));
  // Nothing unreadable: nothing listed.
  EXPECT_EQ(UserView("no-dmi"), std::vector<std::string>{});
  EXPECT_EQ(UserView("laptop-sata"), std::vector<std::string>{});
}

TEST(SourceAccessTest, WhatRootItselfCannotReadIsNoCaseForRoot) {
  // The Firecracker guest refuses root its disk ("operation not permitted"):
  // listed with its reason, never as something a privileged user would read.
  EXPECT_EQ(Listed(UnreadableSources(CaptureSources("this-machine"), true)),
            (std::vector<std::string>{"DiskDriveSignature:operation not permitted"}));
  EXPECT_EQ(Listed(UnreadableSources(CaptureSources("this-machine"), false)),
            (std::vector<std::string>{"DiskDriveSignature:operation not permitted"}));
  // Root that is refused a file (a security module, say): root cannot help.
  for (const auto& access : UnreadableSources(CaptureSources("desktop-nvme-user"), true)) {
    EXPECT_FALSE(access.needs_privilege) << syscode::ToUtf8(syscode::kSources[access.source].name);
  }
  EXPECT_TRUE(
      UnreadableSources(wmi::linux_layer::LinuxMachine{CaptureRoot("desktop-nvme-user"), nullptr}, false).empty());
}

TEST(SourceAccessTest, OnlyTheSourcesAPressReadCount) {
  std::array<bool, syscode::kSourceCount> read{};
  read[0] = read[1] = read[2] = true;  // collection ended after three sources
  const auto unreadable = UnreadableSources(CaptureSources("this-machine-user"), false);
  EXPECT_EQ(Listed(syscode::PrivilegeLimitsOfPress(read, unreadable)),
            (std::vector<std::string>{"BiosVersion:root:permission denied"}));
  read[1] = false;
  EXPECT_TRUE(syscode::PrivilegeLimitsOfPress(read, unreadable).empty());
}

// The live probe's answer for `path`, asked as an ordinary user: in a child
// that drops root's rights when the test runs as root.
int OpenErrorAsUser(const std::string& path) {
  auto probe = wmi::linux_layer::LiveMachineProbe();
  if (::geteuid() != 0) return probe->OpenError(path);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(255);
    ::_exit(probe->OpenError(path) & 0xFF);
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(LiveProbeTest, TellsPermissionDeniedFromAbsentAndReadable) {
  ScratchTree tree;
  tree.Write("board_serial", "L1HF05A01BC\n");
  tree.Write("product_name", "20NFCTO1WW\n");
  const std::string root_only = tree.root() + "/board_serial";
  ::chmod(root_only.c_str(), 0400);
  ::chmod(tree.root().c_str(), 0755);
  // The scratch folder's parents must let the user through.
  for (std::string folder = tree.root(); folder.size() > 1; folder = folder.substr(0, folder.rfind('/'))) {
    struct stat info;
    if (::stat(folder.c_str(), &info) == 0 && (info.st_mode & S_IXOTH) == 0 && ::geteuid() == 0) {
      GTEST_SKIP() << folder << " is closed to other users";
    }
  }
  if (::geteuid() != 0) ::chmod(root_only.c_str(), 0);  // the owner is refused too
  EXPECT_EQ(OpenErrorAsUser(root_only), EACCES);
  EXPECT_EQ(OpenErrorAsUser(tree.root() + "/product_name"), 0);
  EXPECT_EQ(OpenErrorAsUser(tree.root() + "/absent"), ENOENT);
  EXPECT_EQ(syscode::ToUtf8(wmi::linux_layer::OpenErrorText(EACCES)), "permission denied");
  EXPECT_EQ(syscode::ToUtf8(wmi::linux_layer::OpenErrorText(EPERM)), "operation not permitted");
}

TEST(LiveProbeTest, RootIsNeverToldThatRootWouldReadMore) {
  if (::geteuid() != 0) GTEST_SKIP() << "only a root run can check this";
  for (const auto& access : syscode::UnreadableSources()) EXPECT_FALSE(access.needs_privilege);
}

}  // namespace
}  // namespace linux_layer_test
