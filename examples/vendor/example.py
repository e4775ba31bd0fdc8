"""Prints this machine's system code, then the code that the values of one
recorded press give (the values a customer's LogD.txt shows); with a log
file as argument, checks a code against it.

    python3 example.py                  # needs syscode.py on the path
    python3 example.py LogD.txt CODE
"""
import sys

import syscode


def main(args):
    try:
        print("this machine: " + syscode.get_code())
        # Source order: CpuId, BiosVersion, BaseBordSerialNumber,
        # HardDiskSerialNumber, BiosName, BaseBordManufacturer,
        # DiskDriveSignature; None (or nothing) for a source not read.
        values = ["BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3"]
        print("recorded press: " + syscode.code_from_values(values))
        if len(args) == 2:
            with open(args[0], "rb") as f:
                matches, report = syscode.check_code(args[1], f.read())
            print(("matches: " if matches else "no match: ") + str(report))
            return 0 if matches else 1
    except syscode.SyscodeError as error:
        print(error, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
