// The Win32 file edge's error codes.
#pragma once

namespace syscode {

// The code the file seam reports for a GetLastError value: the value
// itself, except that a full disk reported for the handle (39,
// ERROR_HANDLE_DISK_FULL) is reported as every full disk is, 112.
int FileErrorCode(unsigned long last_error);

}  // namespace syscode
