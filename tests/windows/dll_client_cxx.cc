// The header's C++ API for DLL users: inline over the C functions, so the
// DLL needs to export no C++ symbol.
#include <cstdio>
#include <stdexcept>
#include <string>

#include <syscode/syscode.h>

extern "C" int CheckCxxApi(void) {
  int failures = 0;
  auto check = [&](bool ok, const char* what) {
    if (!ok) {
      std::printf("FAILED: %s\n", what);
      ++failures;
    }
  };
  syscode::SourceValues values;
  values[0] = "BFEBFBFF000306A9";
  values[1] = "1.02b";
  values[2] = "mb.42/77zx-r";
  try {
    syscode::CodeFromValues(values);
    check(false, "C++: a missing value throws");
  } catch (const std::invalid_argument& e) {
    check(std::string(e.what()).find("HardDiskSerialNumber") != std::string::npos, "C++: the detail");
  }
  values[3] = "S1A7-QX92-KM3";
  values[6] = "2864434397";
  check(syscode::CodeFromValues(values) == "900603007249AQRXZ7MK29X31", "C++: CodeFromValues");
  try {
    check(syscode::GetCode().size() >= 4, "C++: GetCode");
  } catch (const std::runtime_error& e) {
    check(false, e.what());
  }
  return failures;
}
