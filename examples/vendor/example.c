/* Prints this machine's system code, then the code that the values of one
 * recorded press give (the values a customer's LogD.txt shows).
 *
 * Build against an installed syscode:
 *   cc example.c $(pkg-config --cflags --libs syscode) -o example
 */
#include <stdio.h>

#include <syscode/syscode.h>

int main(void) {
  char code[SYSCODE_CODE_BUFFER_SIZE];

  int result = syscode_get_code(code, sizeof code);
  if (result < 0) {
    fprintf(stderr, "syscode_get_code: %s\n", syscode_last_error_message());
    return 1;
  }
  printf("this machine: %s\n", code);

  /* Source order: CpuId, BiosVersion, BaseBordSerialNumber,
   * HardDiskSerialNumber, BiosName, BaseBordManufacturer, DiskDriveSignature.
   * NULL for a source the press did not read. */
  const char* const values[SYSCODE_SOURCE_COUNT] = {
      "BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", NULL, NULL, NULL};
  result = syscode_code_from_values(values, code, sizeof code);
  if (result < 0) {
    fprintf(stderr, "syscode_code_from_values: %s\n", syscode_last_error_message());
    return 1;
  }
  printf("recorded press: %s\n", code);
  return 0;
}
