#!/usr/bin/python3
"""Makes the three TrueType parts of the demo font bundle from Debian's free fonts.

    make_fonts.py --parts-from MKPAYLOAD --out DIR --stamp NAME

The member table (through `mkpayload --list-font-parts`) says each part's
number, exact length and file name. Each part becomes a real TrueType (glyf)
font that starts with 00 01 00 00 and whose last table ends exactly at the
part's length: the font is subset where it is too big, then a padding table of
our own is placed last. Table checksums and head.checkSumAdjustment are valid.
The licences of the sources allow modified versions under new names (Apache-2.0
for WenQuanYi Micro Hei; Bitstream Vera for DejaVu, which even asks for a name
without "Bitstream" or "Vera"), so each part carries the family name the wizard
asks for; the copyright and licence records of the source are kept.
"""
import argparse
import io
import os
import struct
import subprocess
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

WQY_MICROHEI = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"
DEJAVU_SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"

# Our own table, placed last in the file, that fills a part to its length.
PAD_TAG = b"VKPD"
WINDOWS, MACINTOSH = 3, 1
EN_US, ZH_CN = 0x409, 0x804
# Name records rewritten for the new family; all others (copyright, licence,
# version, designer) are kept as the source has them.
RENAMED_IDS = (1, 2, 3, 4, 6, 16, 17)


def ascii_chars():
    return list(range(0x20, 0x7F))


def gb2312_chars():
    """Every character of GB 2312 (its two-byte rows A1..F7), with ASCII."""
    chars = set(ascii_chars())
    for hi in range(0xA1, 0xF8):
        for lo in range(0xA1, 0xFF):
            try:
                chars.add(ord(bytes((hi, lo)).decode("gb2312")))
            except UnicodeDecodeError:
                pass
    return sorted(chars)


# What stands in for each part, by part number.
STAND_INS = {
    1: dict(source=WQY_MICROHEI, chars=gb2312_chars, family="FangSong_GB2312",
            postscript="FangSong_GB2312", chinese="仿宋_GB2312", origin="WenQuanYi Micro Hei"),
    2: dict(source=DEJAVU_SERIF, chars=ascii_chars, family="Palace Script MT",
            postscript="PalaceScriptMT", chinese=None, origin="DejaVu Serif"),
    3: dict(source=WQY_MICROHEI, chars=None, family="Microsoft YaHei",
            postscript="MicrosoftYaHei", chinese="微软雅黑", origin="WenQuanYi Micro Hei"),
}


def font_parts(mkpayload):
    """(number, length, file name) of each part, from the tool that owns the table."""
    out = subprocess.run([mkpayload, "--list-font-parts"], check=True, capture_output=True, text=True).stdout
    parts = []
    for line in out.splitlines():
        number, length, name = line.split(" ", 2)
        parts.append((int(number), int(length), name))
    return parts


def rename(font, stand_in):
    name = font["name"]
    name.names = [r for r in name.names if r.nameID not in RENAMED_IDS]
    has_mac = any(r.platformID == MACINTOSH for r in name.names)
    family = stand_in["family"]
    records = {1: family, 2: "Regular", 3: family + ": Velkor demo stand-in", 4: family, 6: stand_in["postscript"],
               10: "Demo stand-in for the setup payload, made from %s; not the original typeface." % stand_in["origin"]}
    for name_id, text in records.items():
        name.setName(text, name_id, WINDOWS, 1, EN_US)
        if has_mac:
            name.setName(text, name_id, MACINTOSH, 0, 0)
    if stand_in["chinese"]:
        for name_id in (1, 4):
            name.setName(stand_in["chinese"], name_id, WINDOWS, 1, ZH_CN)
        name.setName("Regular", 2, WINDOWS, 1, ZH_CN)


def compiled_font(stand_in):
    """The renamed (and where asked, subset) font as sfnt bytes."""
    index = {"fontNumber": 0} if stand_in["source"].endswith(".ttc") else {}
    # No new timestamp: the same inputs give the same bytes.
    font = TTFont(stand_in["source"], recalcTimestamp=False, **index)
    if stand_in["chars"]:
        options = subset.Options()
        options.name_IDs = ["*"]
        options.name_languages = ["*"]
        options.name_legacy = True
        options.notdef_outline = True
        options.layout_features = ["*"]
        options.legacy_kern = True
        options.drop_tables += ["MATH", "FFTM"]
        subsetter = subset.Subsetter(options)
        subsetter.populate(unicodes=stand_in["chars"]())
        subsetter.subset(font)
    rename(font, stand_in)
    out = io.BytesIO()
    font.save(out)
    return out.getvalue()


def read_tables(data):
    """[(tag, bytes)] in the order their data lies in the file."""
    if data[:4] != b"\x00\x01\x00\x00":
        raise ValueError("not a TrueType font")
    (count,) = struct.unpack_from(">H", data, 4)
    records = [struct.unpack_from(">4sIII", data, 12 + 16 * i) for i in range(count)]
    return [(tag, data[offset:offset + length]) for tag, _, offset, length in sorted(records, key=lambda r: r[2])]


def checksum(data):
    data = data + b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def padded_to(tables, length, number):
    """The sfnt with `tables` and the padding table last, exactly `length` bytes."""
    count = len(tables) + 1
    end = 12 + 16 * count + sum(len(t) + (-len(t) % 4) for _, t in tables)
    if end > length or length % 4:
        raise SystemExit("make_fonts: part %d: the font is %d bytes, more than its part's %d" % (number, end, length))
    tables = tables + [(PAD_TAG, bytes(length - end))]
    layout = []  # (tag, offset, bytes)
    at = 12 + 16 * count
    for tag, body in tables:
        if tag == b"head":
            body = body[:8] + b"\0\0\0\0" + body[12:]  # checkSumAdjustment counts as 0
        layout.append((tag, at, body))
        at += len(body) + (-len(body) % 4)
    assert at == length
    power = 1 << (count.bit_length() - 1)
    out = bytearray(struct.pack(">IHHHH", 0x00010000, count, power * 16, power.bit_length() - 1,
                                count * 16 - power * 16))
    for tag, offset, body in sorted(layout):
        out += struct.pack(">4sIII", tag, checksum(body), offset, len(body))
    for _, offset, body in layout:
        out += body + b"\0" * (-len(body) % 4)
    head = next(offset for tag, offset, _ in layout if tag == b"head")
    struct.pack_into(">I", out, head + 8, (0xB1B0AFBA - checksum(bytes(out))) & 0xFFFFFFFF)
    return bytes(out)


def write_atomically(path, data):
    temp = path + ".tmp"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


def main():
    args = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    args.add_argument("--parts-from", required=True, help="the mkpayload tool")
    args.add_argument("--out", required=True, help="folder for the parts")
    args.add_argument("--stamp", required=True, help="file name written last, when every part is made")
    opts = args.parse_args()
    os.makedirs(opts.out, exist_ok=True)
    parts = font_parts(opts.parts_from)
    if sorted(n for n, _, _ in parts) != sorted(STAND_INS):
        raise SystemExit("make_fonts: the member table's font parts are %s, stand-ins exist for %s"
                         % ([n for n, _, _ in parts], sorted(STAND_INS)))
    for number, length, file_name in parts:
        stand_in = STAND_INS[number]
        data = padded_to(read_tables(compiled_font(stand_in)), length, number)
        TTFont(io.BytesIO(data))["name"]  # parses back
        write_atomically(os.path.join(opts.out, file_name), data)
        print("make_fonts: %s (%s, %d bytes) from %s" % (file_name, stand_in["family"], length, stand_in["origin"]))
    write_atomically(os.path.join(opts.out, opts.stamp), b"")


if __name__ == "__main__":
    sys.exit(main())
