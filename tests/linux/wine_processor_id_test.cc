// This machine's ProcessorId against Wine's own WMI, an independent
// implementation of the same class ("wine wmic cpu get ProcessorId").
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "linux/wmi_walker.h"
#include "platform/linux/wbem_linux.h"

namespace linux_layer_test {
namespace {

namespace fs = std::filesystem;

bool CommandExists(const char* name) {
  std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// wmic writes UTF-16 (with or without a byte-order mark); keeps the ASCII
// letters and digits of every line after the header.
std::string WmicValue(const std::string& raw) {
  std::string text;
  for (char c : raw) {
    if (c != '\0' && static_cast<unsigned char>(c) < 0x80) text.push_back(c);
  }
  std::string value;
  std::size_t header = text.find("ProcessorId");
  if (header == std::string::npos) return value;
  for (std::size_t i = header + 11; i < text.size(); ++i) {
    if (std::isalnum(static_cast<unsigned char>(text[i]))) value.push_back(text[i]);
    if (text[i] == '\n' && !value.empty()) break;
  }
  return value;
}

TEST(WineProcessorIdTest, MatchesWhatWinesWmiReports) {
#if !defined(__x86_64__) && !defined(__i386__)
  GTEST_SKIP() << "no CPUID on this architecture";
#endif
  if (!CommandExists("wine")) GTEST_SKIP() << "wine is not installed";

  std::string prefix_template = (fs::path(::testing::TempDir()) / "wineprefix-XXXXXX").string();
  ASSERT_NE(::mkdtemp(prefix_template.data()), nullptr);
  const std::string prefix = prefix_template;
  const std::string output = prefix + "/wmic.txt";
  std::string command = "WINEPREFIX='" + prefix + "/pfx' WINEDEBUG=-all timeout 600 wine wmic cpu get ProcessorId >'" +
                        output + "' 2>/dev/null";
  int status = std::system(command.c_str());
  std::string raw;
  if (FILE* f = std::fopen(output.c_str(), "rb")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) raw.append(buffer, n);
    std::fclose(f);
  }
  // Stops the prefix's wineserver; its exit status does not matter.
  [[maybe_unused]] const int stopped =
      std::system(("WINEPREFIX='" + prefix + "/pfx' wineserver -k >/dev/null 2>&1").c_str());
  fs::remove_all(prefix);
  ASSERT_EQ(status, 0) << "wine wmic failed";
  std::string wine_value = WmicValue(raw);
  ASSERT_EQ(wine_value.size(), 16u) << raw;

  wmi::linux_layer::LinuxMachine live = wmi::linux_layer::LiveLinuxMachine();
  SeenObjects seen = WalkClass(live, u"Win32_Processor");
  ASSERT_FALSE(seen.instances.empty());
  EXPECT_EQ(Show(Find(seen.instances[0], u"ProcessorId")->value), wine_value);
}

}  // namespace
}  // namespace linux_layer_test
