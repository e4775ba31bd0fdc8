/* A vendor's C program using syscode.dll through its import library, run
 * under Wine: the C API and the header's C++ API over it (dll_client_cxx.cc)
 * behave as with the static library. With --no-wmi it checks instead that a
 * machine whose WMI locator cannot be created gets SYSCODE_ERROR_HARDWARE.
 * Prints one line per failed check and exits 1 if there was any. */
#include <stdio.h>
#include <string.h>

#include <syscode/syscode.h>

int CheckCxxApi(void);

static int failures = 0;

static void Check(int ok, const char* what) {
  if (!ok) {
    printf("FAILED: %s\n", what);
    ++failures;
  }
}

/* WMI switched off (Wine's scripting locator disabled): no code at all. */
static int CheckNoWmi(void) {
  static const char kDetail[] = "the WMI locator could not be created: ";
  char code[SYSCODE_CODE_BUFFER_SIZE] = "x";
  Check(syscode_get_code(code, sizeof code) == SYSCODE_ERROR_HARDWARE, "SYSCODE_ERROR_HARDWARE");
  Check(code[0] == '\0', "the buffer is left empty");
  Check(strncmp(syscode_last_error_message(), kDetail, sizeof kDetail - 1) == 0, "the detail");
  printf("detail: %s\n", syscode_last_error_message());
  printf(failures ? "dll client without WMI: %d failed\n" : "dll client without WMI: ok\n", failures);
  return failures ? 1 : 0;
}

int main(int argc, char** argv) {
  if (argc == 2 && strcmp(argv[1], "--no-wmi") == 0) return CheckNoWmi();

  static const char* const worked[SYSCODE_SOURCE_COUNT] = {
      "BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", NULL, NULL, NULL};
  static const char* const inventory[SYSCODE_SOURCE_COUNT] = {
      "BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", "LEGACY BIOS 2.07", "ASUSTeK", "2864434397"};
  static const char* const missing[SYSCODE_SOURCE_COUNT] = {
      "BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", NULL, NULL, NULL, NULL};
  char code[SYSCODE_CODE_BUFFER_SIZE];
  int result;

  Check(strcmp(syscode_version(), SYSCODE_VERSION_FOR_TEST) == 0, "syscode_version");
  Check(strcmp(syscode_last_error_message(), "") == 0, "no detail before a failure");

  result = syscode_code_from_values(worked, code, sizeof code);
  Check(result == 25 && strcmp(code, "900603007249AQRXZ7MK29X31") == 0, "the worked example");
  result = syscode_code_from_values(inventory, code, sizeof code);
  Check(result == 25 && strcmp(code, "900603007249AQRXZ7MK29X31") == 0, "all seven values");

  result = syscode_code_from_values(missing, code, sizeof code);
  Check(result == SYSCODE_ERROR_VALUES, "a missing value is refused");
  Check(code[0] == '\0', "the buffer is left empty");
  Check(strstr(syscode_last_error_message(), "value 3 (HardDiskSerialNumber) is missing") != NULL,
        "the detail names the value");
  Check(strcmp(syscode_error_text(result), "the values are not those of one press") == 0, "syscode_error_text");

  /* Wine's own WMI answers the readers. */
  result = syscode_get_code(code, sizeof code);
  Check(result == 4 || result == 25, "syscode_get_code gives a code");
  if (result >= 0) {
    Check(strlen(code) == (size_t)result && code[1] == '0' && code[2] == '0', "the code's shape");
    printf("this machine: %s\n", code);
  } else {
    printf("syscode_get_code: %s\n", syscode_last_error_message());
  }

  failures += CheckCxxApi();
  printf(failures ? "dll client: %d failed\n" : "dll client: ok\n", failures);
  return failures ? 1 : 0;
}
