/*
 * syscode: the system code of a machine, as a library.
 *
 * The system code is the 25-character code (or 4 characters when fewer than
 * three hardware sources are usable) that the syscode window shows on the
 * first press of its get-code button in a newly opened window. It is built
 * from up to seven hardware sources, always read in this order:
 *
 *   0 CpuId                 Win32_Processor.ProcessorId
 *   1 BiosVersion           Win32_BIOS.Version
 *   2 BaseBordSerialNumber  Win32_BaseBoard.SerialNumber
 *   3 HardDiskSerialNumber  Win32_PhysicalMedia.SerialNumber
 *   4 BiosName              Win32_BIOS.Name
 *   5 BaseBordManufacturer  Win32_BaseBoard.Manufacturer
 *   6 DiskDriveSignature    Win32_DiskDrive.Signature
 *
 * Reading stops once three sources gave a 7-character part, so a press reads
 * at least three and at most seven sources.
 *
 * The library never writes a file (no LogD.txt) and keeps no state between
 * calls but each thread's last error message: every call is a first press in
 * a new window. syscode_code_from_values
 * may be called from any thread; call syscode_get_code from one thread at a
 * time (it queries the hardware through the platform's WMI layer).
 *
 * Link with pkg-config (`pkg-config --cflags --libs syscode`) or CMake
 * (`find_package(syscode)`, target syscode::syscode or syscode::syscode_static).
 */
#ifndef SYSCODE_SYSCODE_H_
#define SYSCODE_SYSCODE_H_

#include <stddef.h>

/* SYSCODE_API marks what the library exports. On Windows the C API lives in
 * syscode.dll: declared dllimport for its users, dllexport while the DLL is
 * built. A program that links the static libsyscode.a instead defines
 * SYSCODE_STATIC (the CMake target syscode::syscode_static and the Windows
 * syscode.pc do). */
#if defined(_WIN32)
#if defined(SYSCODE_BUILDING_DLL)
#define SYSCODE_API __declspec(dllexport)
#elif defined(SYSCODE_STATIC)
#define SYSCODE_API
#else
#define SYSCODE_API __declspec(dllimport)
#endif
/* The DLL exports plain C only, so that MSVC and .NET can use it: with the
 * DLL the C++ API below is inline over the C API; the static archive holds
 * it compiled. */
#define SYSCODE_CXX_API
#elif defined(__GNUC__)
#define SYSCODE_API __attribute__((visibility("default")))
#define SYSCODE_CXX_API SYSCODE_API
#else
#define SYSCODE_API
#define SYSCODE_CXX_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Number of hardware sources, and a buffer size that holds every code with
 * its terminating NUL. */
#define SYSCODE_SOURCE_COUNT 7
#define SYSCODE_CODE_BUFFER_SIZE 26

/* Results of the C functions below: a code's length (4 or 25) on success,
 * else one of these negative values. */
#define SYSCODE_ERROR_ARGUMENT (-1)         /* a NULL pointer where none is allowed */
#define SYSCODE_ERROR_BUFFER_TOO_SMALL (-2) /* size < length of the code + 1 */
#define SYSCODE_ERROR_VALUES (-3)           /* the values are not those of one press */
#define SYSCODE_ERROR_HARDWARE (-4)         /* the hardware could not be queried at all */
#define SYSCODE_ERROR_INTERNAL (-5)         /* out of memory or another unexpected failure */

/*
 * This machine's system code, as the first press of a newly opened window
 * gives it. Reads the hardware (WMI on Windows, the syscode Linux layer on
 * Linux; some Linux sources need root, so root and an ordinary user may get
 * different codes). Writes the code and a NUL into buf.
 *
 * Returns the code's length (4 or 25), or:
 *   SYSCODE_ERROR_ARGUMENT          buf is NULL and size is not 0;
 *   SYSCODE_ERROR_BUFFER_TOO_SMALL  size is below the length + 1 (a buffer
 *                                   of SYSCODE_CODE_BUFFER_SIZE always fits);
 *   SYSCODE_ERROR_HARDWARE          the hardware could not be queried at all:
 *                                   no reader could create the WMI locator
 *                                   (WMI missing or stopped, COM unusable);
 *   SYSCODE_ERROR_INTERNAL          anything else (out of memory).
 * On every failure buf[0] is set to NUL when size > 0, and
 * syscode_last_error_message() tells the detail.
 * A source that cannot be read counts as empty, as in the window; that is no
 * error. On Windows the calling thread's COM apartment is used, or one is
 * set up (and released) for the call.
 */
SYSCODE_API int syscode_get_code(char* buf, size_t size);

/*
 * The code the raw values of one press give on the first press of a new
 * window, e.g. the values a customer's LogD.txt records. values[i] is the raw
 * value of source i (order above) as UTF-8 text, or NULL for a source that
 * was not read. Only the ASCII letters and digits of a value count; invalid
 * UTF-8 never changes the code.
 *
 * Every source the derivation reads for these values must be given; a NULL
 * there gives SYSCODE_ERROR_VALUES (e.g. only three values where the first
 * three did not give three parts). Values after the point where the
 * derivation stops are ignored, as the window never reads them, so all seven
 * values of an inventory may be passed.
 *
 * Returns the code's length (4 or 25), or SYSCODE_ERROR_ARGUMENT (values is
 * NULL, or buf is NULL and size is not 0), SYSCODE_ERROR_BUFFER_TOO_SMALL,
 * SYSCODE_ERROR_VALUES or SYSCODE_ERROR_INTERNAL, as above; on every failure
 * buf[0] is set to NUL when size > 0.
 */
SYSCODE_API int syscode_code_from_values(const char* const values[SYSCODE_SOURCE_COUNT], char* buf, size_t size);

/* A short English text for a result of the functions above ("ok" for a
 * length). The text is static; never free it. */
SYSCODE_API const char* syscode_error_text(int result);

/* The detail of the last call of syscode_get_code, syscode_code_from_values,
 * syscode_decode_log or syscode_check_code on this thread that failed: which value or argument, and why (e.g. "value 3
 * (HardDiskSerialNumber) is missing, but the derivation reads it: ..."); ""
 * when none has failed.
 * A successful call leaves it as it is, so read it right after a negative
 * result. UTF-8 English text owned by the library, valid until the next call
 * on this thread; never free it. */
SYSCODE_API const char* syscode_last_error_message(void);

/* The library's version, e.g. "1.0.0". */
SYSCODE_API const char* syscode_version(void);

/*
 * Decoding a diagnostic log and checking a code. The JSON objects are those
 * syscode-cli prints; docs/cli.md describes their fields (schema 1).
 */

/* Decodes a diagnostic log's bytes: a newly allocated NUL-terminated UTF-8 JSON text, the same
   object as `syscode-cli --from-log FILE --json` prints for one file (its "file" is null);
   NULL on failure (out of memory, NULL bytes with a non-zero length, more than 64 MiB).
   Release it with syscode_free. */
SYSCODE_API char* syscode_decode_log(const char* bytes, size_t length);
/* Checks a code as a customer typed it (dashes, spaces, lower case accepted) against the presses of
   a log (log_bytes non-NULL) or against this machine (log_bytes NULL). Returns 1 on a match, 0 on
   none, or a negative SYSCODE_ERROR_* value (SYSCODE_ERROR_ARGUMENT: code NULL, not letters,
   digits, dashes and blanks, or a log of more than 64 MiB). When report is non-NULL, *report
   receives a newly allocated JSON text (the same object as
   `syscode-cli --check CODE [--from-log] --json` prints), to release with syscode_free, or NULL
   on failure. */
SYSCODE_API int syscode_check_code(const char* code, const char* log_bytes, size_t log_length, char** report);
/* Releases a text the two functions above returned; NULL is fine. */
SYSCODE_API void syscode_free(void* p);

#ifdef __cplusplus
} /* extern "C" */

#include <array>
#include <optional>
#include <stdexcept>
#include <string>

namespace syscode {

// The raw values of one press in source order (UTF-8); nullopt for a source
// that was not read.
using SourceValues = std::array<std::optional<std::string>, SYSCODE_SOURCE_COUNT>;

// This machine's code, as the first press of a newly opened window gives it.
// Throws std::runtime_error when the hardware cannot be queried at all.
//
// The code the values of one press give on the first press of a new window
// (CodeFromValues); values after the point where the derivation stops are
// ignored. Throws std::invalid_argument, saying which value, when one it
// reads is missing.
#if defined(_WIN32) && !defined(SYSCODE_STATIC) && !defined(SYSCODE_BUILDING_DLL)
// With the DLL, which exports C only, both are built here over the C API.
inline std::string GetCode() {
  char buf[SYSCODE_CODE_BUFFER_SIZE];
  const int result = syscode_get_code(buf, sizeof buf);
  if (result < 0) throw std::runtime_error(syscode_last_error_message());
  return std::string(buf, static_cast<std::size_t>(result));
}

inline std::string CodeFromValues(const SourceValues& values) {
  const char* given[SYSCODE_SOURCE_COUNT];
  for (int i = 0; i < SYSCODE_SOURCE_COUNT; ++i) given[i] = values[i] ? values[i]->c_str() : nullptr;
  char buf[SYSCODE_CODE_BUFFER_SIZE];
  const int result = syscode_code_from_values(given, buf, sizeof buf);
  if (result == SYSCODE_ERROR_VALUES) throw std::invalid_argument(syscode_last_error_message());
  if (result < 0) throw std::runtime_error(syscode_last_error_message());
  return std::string(buf, static_cast<std::size_t>(result));
}
#else
SYSCODE_CXX_API std::string GetCode();
SYSCODE_CXX_API std::string CodeFromValues(const SourceValues& values);
#endif

}  // namespace syscode
#endif /* __cplusplus */

#endif /* SYSCODE_SYSCODE_H_ */
