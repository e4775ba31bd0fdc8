"""The system code of a machine, over libsyscode's C API (ctypes).

The code is the 25-character code (4 when fewer than three hardware sources
are usable) that the syscode window shows on the first press of its get-code
button; every call here is such a first press, and nothing writes a file.

    import syscode
    syscode.get_code()                                  # this machine
    syscode.code_from_values(["BFEBFBFF000306A9", "1.02b",
                              "mb.42/77zx-r", "S1A7-QX92-KM3"])
    with open("LogD.txt", "rb") as f:
        log = f.read()
    syscode.decode_log(log)                             # every press, as a dict
    matches, report = syscode.check_code("9006-0300...", log)

The library is found through the environment variable SYSCODE_LIBRARY (the
path of the library file) when it is set, else by the system's loader
(libsyscode.so.1, syscode.dll), else next to this module's installation
prefix. Only the standard library is used. This module is the model for
bindings in other languages: each call maps one C function, and a failure
raises SyscodeError with the text of syscode_last_error_message().
"""

import ctypes
import json
import os
import sys
from collections.abc import Mapping

__all__ = [
    "SOURCE_NAMES", "SyscodeError", "ArgumentError", "ValuesError", "HardwareError",
    "get_code", "code_from_values", "version", "decode_log", "check_code",
    "library", "has_function",
]

#: The seven sources in the order the derivation reads them.
SOURCE_NAMES = (
    "CpuId", "BiosVersion", "BaseBordSerialNumber", "HardDiskSerialNumber",
    "BiosName", "BaseBordManufacturer", "DiskDriveSignature",
)

_CODE_BUFFER_SIZE = 26

ERROR_ARGUMENT = -1
ERROR_BUFFER_TOO_SMALL = -2
ERROR_VALUES = -3
ERROR_HARDWARE = -4
ERROR_INTERNAL = -5


class SyscodeError(Exception):
    """A call of the library failed. `result` is the C function's negative
    result, `function` its name; the message is the library's detail."""

    def __init__(self, function, result, message):
        super().__init__(f"{function}: {message}")
        self.function = function
        self.result = result
        self.detail = message


class ArgumentError(SyscodeError, ValueError):
    """The library refused an argument (for check_code: a code of other
    characters than letters, digits, dashes and blanks, or a log too big)."""


class ValuesError(SyscodeError, ValueError):
    """The values are not those of one press (a value the derivation reads
    is missing)."""


class HardwareError(SyscodeError):
    """The hardware could not be queried at all."""


_library = None


def _candidates():
    here = os.path.dirname(os.path.abspath(__file__))
    if sys.platform == "win32":
        names = ["syscode.dll"]
        # PREFIX/lib/python3/dist-packages -> PREFIX/bin
        beside = [os.path.join(here, "syscode.dll"),
                  os.path.normpath(os.path.join(here, "..", "..", "..", "bin", "syscode.dll"))]
    elif sys.platform == "darwin":
        names = ["libsyscode.1.dylib"]
        beside = [os.path.normpath(os.path.join(here, "..", "..", "libsyscode.1.dylib"))]
    else:
        names = ["libsyscode.so.1"]
        # PREFIX/lib/python3/dist-packages -> PREFIX/lib or PREFIX/lib/<multiarch>
        lib = os.path.normpath(os.path.join(here, "..", ".."))
        beside = [os.path.join(lib, "libsyscode.so.1")]
        multiarch = getattr(sys.implementation, "_multiarch", "")
        if multiarch:
            beside.append(os.path.join(lib, multiarch, "libsyscode.so.1"))
    return names + [path for path in beside if os.path.exists(path)]


def _declare(lib):
    c_char_p, c_size_t, c_int = ctypes.c_char_p, ctypes.c_size_t, ctypes.c_int
    lib.syscode_get_code.argtypes = [c_char_p, c_size_t]
    lib.syscode_get_code.restype = c_int
    lib.syscode_code_from_values.argtypes = [ctypes.POINTER(c_char_p), c_char_p, c_size_t]
    lib.syscode_code_from_values.restype = c_int
    lib.syscode_error_text.argtypes = [c_int]
    lib.syscode_error_text.restype = c_char_p
    lib.syscode_version.argtypes = []
    lib.syscode_version.restype = c_char_p
    if hasattr(lib, "syscode_last_error_message"):
        lib.syscode_last_error_message.argtypes = []
        lib.syscode_last_error_message.restype = c_char_p
    # Returned strings are owned by the caller: kept as raw pointers so that
    # they can be handed back to syscode_free.
    if hasattr(lib, "syscode_decode_log"):
        lib.syscode_decode_log.argtypes = [c_char_p, c_size_t]
        lib.syscode_decode_log.restype = ctypes.c_void_p
    if hasattr(lib, "syscode_check_code"):
        lib.syscode_check_code.argtypes = [c_char_p, c_char_p, c_size_t, ctypes.POINTER(ctypes.c_void_p)]
        lib.syscode_check_code.restype = c_int
    if hasattr(lib, "syscode_free"):
        lib.syscode_free.argtypes = [ctypes.c_void_p]
        lib.syscode_free.restype = None
    return lib


def library():
    """The loaded libsyscode (a ctypes.CDLL), loaded on first use.

    Raises OSError naming every place tried when it cannot be loaded."""
    global _library
    if _library is not None:
        return _library
    override = os.environ.get("SYSCODE_LIBRARY")
    candidates = [override] if override else _candidates()
    errors = []
    for candidate in candidates:
        try:
            _library = _declare(ctypes.CDLL(candidate))
            return _library
        except OSError as error:
            errors.append(f"{candidate}: {error}")
    hint = "" if override else " (set SYSCODE_LIBRARY to the library's path)"
    raise OSError("libsyscode could not be loaded" + hint + ": " + "; ".join(errors))


def has_function(name):
    """Whether the loaded library has the C function `syscode_<name>`
    (decode_log, check_code and free came with a later version)."""
    return hasattr(library(), "syscode_" + name)


def _text(pointer):
    return pointer.decode("utf-8", "replace") if pointer else ""


def _fail(function, result, detail=None):
    """Raises the error of a failed call. `detail` is for the functions that
    do not note one for syscode_last_error_message (whose text would then be
    that of an earlier failure)."""
    lib = library()
    if detail is None and hasattr(lib, "syscode_last_error_message"):
        detail = _text(lib.syscode_last_error_message())
    if not detail:
        detail = _text(lib.syscode_error_text(result))
    kind = {ERROR_ARGUMENT: ArgumentError, ERROR_VALUES: ValuesError,
            ERROR_HARDWARE: HardwareError}.get(result, SyscodeError)
    raise kind(function, result, detail)


def _function(name):
    lib = library()
    if not hasattr(lib, "syscode_" + name):
        raise NotImplementedError(f"this libsyscode ({lib._name}) has no syscode_{name}; it needs a newer one")
    return getattr(lib, "syscode_" + name)


def version():
    """The library's version, e.g. "1.0.0"."""
    return _text(library().syscode_version())


def get_code():
    """This machine's system code. Raises HardwareError when the hardware
    could not be queried at all (a source that cannot be read counts as
    empty, as in the window)."""
    buf = ctypes.create_string_buffer(_CODE_BUFFER_SIZE)
    result = library().syscode_get_code(buf, len(buf))
    if result < 0:
        _fail("syscode_get_code", result)
    return buf.value.decode("ascii")


def _value_bytes(value, index):
    if value is None:
        return None
    if isinstance(value, str):
        value = value.encode("utf-8", "surrogatepass")
    elif isinstance(value, (bytes, bytearray, memoryview)):
        value = bytes(value)
    else:
        raise TypeError(f"value {index} ({SOURCE_NAMES[index]}) must be str, bytes or None, "
                        f"not {type(value).__name__}")
    if b"\0" in value:
        # The C string would end there and the rest would not count.
        raise ValueError(f"value {index} ({SOURCE_NAMES[index]}) contains a NUL character")
    return value


def code_from_values(values):
    """The code the raw values of one press give (the text after each label
    in a LogD.txt, or an inventory's values).

    `values` is a sequence in source order (SOURCE_NAMES), up to seven items,
    each str, bytes or None for a source not read; or a mapping from source
    names to values. Values after the point where the derivation stops are
    ignored. Raises ValuesError naming the value when one the derivation
    reads is missing."""
    if isinstance(values, Mapping):
        unknown = [name for name in values if name not in SOURCE_NAMES]
        if unknown:
            raise ValueError(f"unknown source {unknown[0]!r}; the sources are {', '.join(SOURCE_NAMES)}")
        values = [values.get(name) for name in SOURCE_NAMES]
    elif isinstance(values, (str, bytes)):
        raise TypeError("values must be a sequence of values, not one text")
    values = list(values)
    if len(values) > len(SOURCE_NAMES):
        raise ValueError(f"{len(values)} values given; there are {len(SOURCE_NAMES)} sources")
    values += [None] * (len(SOURCE_NAMES) - len(values))
    array = (ctypes.c_char_p * len(SOURCE_NAMES))(*[_value_bytes(v, i) for i, v in enumerate(values)])
    buf = ctypes.create_string_buffer(_CODE_BUFFER_SIZE)
    result = library().syscode_code_from_values(array, buf, len(buf))
    if result < 0:
        _fail("syscode_code_from_values", result)
    return buf.value.decode("ascii")


def _log_bytes(data, name):
    if isinstance(data, str):
        raise TypeError(f"{name} must be the log's bytes (open the file in binary mode), not str")
    if not isinstance(data, (bytes, bytearray, memoryview)):
        raise TypeError(f"{name} must be bytes, not {type(data).__name__}")
    return bytes(data)


def _take_json(pointer):
    if not pointer:
        return {}
    try:
        return json.loads(ctypes.string_at(pointer).decode("utf-8"))
    finally:
        _function("free")(pointer)


def decode_log(data):
    """Every press a diagnostic log's bytes record, with its code, lines and
    sources: the object `syscode-cli --from-log FILE --json` prints, as a
    dict. Raises SyscodeError when the bytes cannot be decoded."""
    data = _log_bytes(data, "data")
    decode = _function("decode_log")
    pointer = decode(data, len(data))
    if not pointer:
        _fail("syscode_decode_log", ERROR_INTERNAL, "the log could not be decoded (out of memory, or more than 64 MiB)")
    return _take_json(pointer)


def check_code(code, log_bytes=None):
    """Checks a code as a customer typed it (dashes, blanks, lower case)
    against this machine, or against every press of a log's bytes.

    Returns (matches, report): whether a press matches, and the report as a
    dict (the matching press, or why none does and the likely typing
    errors). Raises SyscodeError on a failure."""
    if not isinstance(code, str):
        raise TypeError(f"code must be str, not {type(code).__name__}")
    if "\0" in code:
        raise ValueError("code contains a NUL character")
    check = _function("check_code")
    log = None if log_bytes is None else _log_bytes(log_bytes, "log_bytes")
    report = ctypes.c_void_p()
    result = check(code.encode("utf-8"), log, 0 if log is None else len(log), ctypes.byref(report))
    if result < 0:
        if report.value:
            _function("free")(report.value)
        details = {ERROR_ARGUMENT: "the code has characters other than letters, digits, dashes and blanks, "
                                   "or the log is more than 64 MiB"}
        _fail("syscode_check_code", result, details.get(result, ""))
    return result == 1, _take_json(report.value)
