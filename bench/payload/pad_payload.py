"""Writes PROGRAM followed by pseudo-random bytes up to SIZE bytes into OUTPUT.

A PE image runs with data appended after its last section, so the padded copy is still the
same program, only as large as the real mini installer. The bytes are the same every build.
"""

import random
import sys


def main():
    program, size, output = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    with open(program, "rb") as source:
        image = source.read()
    if len(image) > size:
        sys.exit(f"{program} is already larger than {size} bytes")
    padding = random.Random(size).randbytes(size - len(image))
    with open(output, "wb") as out:
        out.write(image)
        out.write(padding)


if __name__ == "__main__":
    main()
