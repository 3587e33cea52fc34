#!/usr/bin/env python3
"""Converts an 8 x 16 PSF console font into the built-in font table of platform/video/font_table.cpp.

It writes two tables of 16 pixel rows of 96 bytes each, byte j of row i being row i of glyph j
and bit k (least significant first) the pixel at x = k: the printable ASCII glyphs 32..127 and
the Latin-1 glyphs 160..255.

The committed table was made from Lat15-Terminus16.psf.gz of Debian's console-setup-linux
package (Terminus Font, SIL Open Font License 1.1, see OFL.txt beside this script):

    apt-get download console-setup-linux
    dpkg-deb -x console-setup-linux_*.deb pkg
    python3 tools/font/psf_to_table.py pkg/usr/share/consolefonts/Lat15-Terminus16.psf.gz \
        > platform/video/font_table.cpp
"""
import gzip
import struct
import sys


def read_psf(path):
    opener = gzip.open if path.endswith(".gz") else open
    with opener(path, "rb") as f:
        data = f.read()
    if data[:2] == b"\x36\x04":
        mode, height = data[2], data[3]
        count = 512 if mode & 1 else 256
        width, stride, offset, has_table = 8, 1, 4, bool(mode & 6)
        glyphs = [data[offset + g * height:offset + (g + 1) * height] for g in range(count)]
        mapping = {}
        if has_table:
            pos = offset + count * height
            for g in range(count):
                in_sequence = False
                while True:
                    (u,) = struct.unpack_from("<H", data, pos)
                    pos += 2
                    if u == 0xFFFF:
                        break
                    if u == 0xFFFE:
                        in_sequence = True
                    elif not in_sequence:
                        mapping.setdefault(u, g)
        return width, height, glyphs, mapping
    if data[:4] == b"\x72\xb5\x4a\x86":
        _, header, flags, count, size, height, width = struct.unpack_from("<7I", data, 4)
        stride = (width + 7) // 8
        glyphs = [data[header + g * size:header + (g + 1) * size] for g in range(count)]
        mapping = {}
        if flags & 1:
            pos = header + count * size
            for g in range(count):
                end = data.index(b"\xff", pos)
                entry = data[pos:end].split(b"\xfe")[0].decode("utf-8")
                for ch in entry:
                    mapping.setdefault(ord(ch), g)
                pos = end + 1
        if stride != 1:
            sys.exit("only 8-pixel-wide fonts fit the table")
        return width, height, glyphs, mapping
    sys.exit("not a PSF font: " + path)


def table_rows(glyphs, codes):
    rows = []
    for i in range(16):
        row = []
        for g in codes:
            bits = glyphs[g][i] if g is not None else 0
            row.append(int("{:08b}".format(bits)[::-1], 2))
        rows.append(row)
    return rows


def write_table(out, name, rows):
    out.write("const uint8_t {}[1536] = {{\n".format(name))
    for i, row in enumerate(rows):
        out.write("    // row {}\n".format(i))
        for start in range(0, 96, 12):
            out.write("    " + ", ".join("0x{:02x}".format(b) for b in row[start:start + 12]) + ",\n")
    out.write("};\n")


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: psf_to_table.py FONT.psf[.gz]")
    width, height, glyphs, mapping = read_psf(sys.argv[1])
    if width != 8 or height != 16:
        sys.exit("the font must be 8 x 16 pixels")
    # Code 127 has no printable ASCII shape; the house of code page 437 stands in for it.
    ascii_codes = [mapping.get(c, c if not mapping else None) for c in range(32, 127)]
    ascii_codes.append(mapping.get(0x2302))
    latin1_codes = [mapping.get(c, c if not mapping else None) for c in range(160, 256)]

    out = sys.stdout
    out.write("// The built-in 8 x 16 font: printable ASCII 32..127 and Latin-1 160..255, each 16 pixel rows\n")
    out.write("// of 96 bytes, byte j of row i is row i of glyph j, bit k (least significant first) the pixel\n")
    out.write("// at x = k.\n")
    out.write("// Converted by tools/font/psf_to_table.py from Terminus Font (Lat15-Terminus16.psf),\n")
    out.write("// Copyright (c) 2010 Dimitar Toshkov Zhekov, licensed under the SIL Open Font License 1.1\n")
    out.write("// (tools/font/OFL.txt).\n")
    out.write('#include "platform/video/font.h"\n\n')
    write_table(out, "kBuiltinFontTable", table_rows(glyphs, ascii_codes))
    out.write("\n")
    write_table(out, "kBuiltinLatin1Table", table_rows(glyphs, latin1_codes))


if __name__ == "__main__":
    main()
