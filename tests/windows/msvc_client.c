/* syscode.lib as the Microsoft toolchain uses it: compiled by clang for the
 * MSVC target (the Microsoft ABI and object format) and linked by lld-link,
 * a drop-in for link.exe, against syscode.lib alone. No C runtime is
 * linked, so nothing here but the import library can supply a symbol. The
 * exit code is the number of failed checks. */
#include <syscode/syscode.h>

static int Same(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

static int Contains(const char* text, const char* part) {
  for (; *text != '\0'; ++text) {
    const char* t = text;
    const char* p = part;
    while (*p != '\0' && *t == *p) {
      ++t;
      ++p;
    }
    if (*p == '\0') return 1;
  }
  return 0;
}

int mainCRTStartup(void) {
  static const char* const inventory[SYSCODE_SOURCE_COUNT] = {
      "BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", "LEGACY BIOS 2.07", "ASUSTeK", "2864434397"};
  static const char* const missing[SYSCODE_SOURCE_COUNT] = {"BFEBFBFF000306A9", 0, 0, 0, 0, 0, 0};
  char code[SYSCODE_CODE_BUFFER_SIZE];
  int failures = 0;

  if (!Same(syscode_version(), SYSCODE_VERSION_FOR_TEST)) ++failures;
  if (syscode_code_from_values(inventory, code, sizeof code) != 25 || !Same(code, "900603007249AQRXZ7MK29X31")) {
    ++failures;
  }
  if (syscode_code_from_values(missing, code, sizeof code) != SYSCODE_ERROR_VALUES || code[0] != '\0') ++failures;
  if (!Contains(syscode_last_error_message(), "value 1 (BiosVersion) is missing")) ++failures;
  if (syscode_get_code(code, sizeof code) < 0) ++failures;
  return failures;
}
