#!/usr/bin/env python3
"""Draws the wizard's images and its chime into src/resources/art.

    tools/artwork/make_artwork.py [output folder]

Everything is drawn here, in the wizard's white-and-blue style, with
ImageMagick's convert (images) and Python's wave module (the sound). The
outputs are committed; run this again only to change the artwork. The output
is the same on every run on the same ImageMagick, so a change shows in review.
"""

import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

HERE = os.path.dirname(os.path.abspath(__file__))
TOP = os.path.dirname(os.path.dirname(HERE))
OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.join(TOP, "src", "resources", "art")
FONT = "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc"

# The palette: the dialogs are white with dark grey text; blue carries the brand.
BLUE = "#1E6FD9"
BLUE_DARK = "#1552A8"
BLUE_LIGHT = "#6FA8EE"
BLUE_PALE = "#E7F0FC"
FRAME_LINE = "#C5D6EE"
GREY = "#8A94A3"


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def bmp(src_args, name, size):
    """A 24-bit BMP (BITMAPINFOHEADER), as the resource compiler expects."""
    convert(*src_args, "-alpha", "off", "-type", "TrueColor", "-define", "bmp:format=bmp3",
            "BMP3:" + os.path.join(OUT, name))
    check_size(os.path.join(OUT, name), size)


def check_size(path, size):
    out = subprocess.run(["identify", "-format", "%w %h %n\n", path], check=True,
                         capture_output=True, text=True).stdout.split("\n")[0].split()
    w, h = int(out[0]), int(out[1])
    if (w, h) != size:
        sys.exit("%s is %dx%d, wanted %dx%d" % (path, w, h, size[0], size[1]))


def frame_count(path):
    out = subprocess.run(["identify", "-format", "%n\n", path], check=True,
                         capture_output=True, text=True).stdout.split("\n")[0]
    return int(out)


def shield_path(cx, top, w, h):
    """A shield outline: flat top with rounded shoulders, pointed bottom."""
    l, r = cx - w / 2, cx + w / 2
    b = top + h
    return ("M %.1f,%.1f " % (cx, top) +
            "C %.1f,%.1f %.1f,%.1f %.1f,%.1f " % (cx + w * 0.22, top + h * 0.10, r - w * 0.08, top + h * 0.08, r, top + h * 0.12) +
            "C %.1f,%.1f %.1f,%.1f %.1f,%.1f " % (r, top + h * 0.55, cx + w * 0.30, top + h * 0.85, cx, b) +
            "C %.1f,%.1f %.1f,%.1f %.1f,%.1f " % (cx - w * 0.30, top + h * 0.85, l, top + h * 0.55, l, top + h * 0.12) +
            "C %.1f,%.1f %.1f,%.1f %.1f,%.1f Z" % (l + w * 0.08, top + h * 0.08, cx - w * 0.22, top + h * 0.10, cx, top))


def keyhole(cx, cy, r):
    return ["-draw", "circle %.1f,%.1f %.1f,%.1f" % (cx, cy, cx + r, cy),
            "-draw", "polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f %.1f,%.1f" % (
                cx - r * 0.45, cy + r * 0.5, cx + r * 0.45, cy + r * 0.5,
                cx + r * 0.8, cy + r * 2.6, cx - r * 0.8, cy + r * 2.6)]


def make_icon(tmp):
    """Icon 128: a blue shield with a white keyhole, at 16, 32 and 48 pixels."""
    big = os.path.join(tmp, "icon256.png")
    convert("-size", "256x256", "xc:none",
            "-fill", BLUE_DARK, "-draw", "path '%s'" % shield_path(128, 14, 200, 228),
            "-fill", BLUE, "-draw", "path '%s'" % shield_path(128, 30, 168, 196),
            "-fill", "white", *keyhole(128, 104, 26),
            big)
    sizes = []
    for s in (48, 32, 16):
        p = os.path.join(tmp, "icon%d.png" % s)
        convert(big, "-filter", "Lanczos", "-resize", "%dx%d" % (s, s), p)
        sizes.append(p)
    convert(*sizes, os.path.join(OUT, "icon128.ico"))


def make_title(tmp):
    """Bitmap 205: the wizard's title line, 276 x 22."""
    bmp(["-size", "276x22", "xc:white",
         "-fill", BLUE, "-draw", "roundrectangle 0,4 3,18 1,1",
         "-font", FONT, "-pointsize", "15", "-fill", BLUE_DARK,
         "-annotate", "+10+17", "Velkor超级文件加密器 安装向导"], "title205.bmp", (276, 22))


def make_grip(tmp):
    """Bitmap 207: the corner grip, 12 x 9, three rows of dots."""
    dots = []
    for row in range(3):
        for col in range(row + 1):
            x = 10 - col * 3
            y = 1 + row * 3
            dots += ["-draw", "rectangle %d,%d %d,%d" % (x, y + 1, x + 1, y + 2)]
    bmp(["-size", "12x9", "xc:white", "-fill", GREY] + dots, "grip207.bmp", (12, 9))


def make_frame(tmp):
    """Bitmap 208: the white rounded frame behind the agreement, 427 x 180."""
    bmp(["-size", "427x180", "xc:white",
         "-fill", "#F3F6FA", "-stroke", "none", "-draw", "roundrectangle 2,3 425,178 9,9",
         "-fill", "white", "-stroke", FRAME_LINE, "-strokewidth", "1",
         "-draw", "roundrectangle 1,1 424,176 8,8"], "frame208.bmp", (427, 180))


def make_licence_title(tmp):
    """Bitmap 209: "许可协议", 80 x 23."""
    bmp(["-size", "80x23", "xc:white",
         "-fill", BLUE, "-draw", "rectangle 0,5 2,18",
         "-font", FONT, "-pointsize", "16", "-fill", BLUE_DARK,
         "-annotate", "+8+18", "许可协议"], "title209.bmp", (80, 23))


def make_badge(tmp):
    """Bitmap 171: the words "软件许可协议" on a blue label, 97 x 31."""
    bmp(["-size", "97x31", "xc:white",
         "-fill", BLUE, "-draw", "roundrectangle 1,3 95,27 6,6",
         "-font", FONT, "-pointsize", "14", "-fill", "white",
         "-gravity", "center", "-annotate", "+0+0", "软件许可协议"], "badge171.bmp", (97, 31))


def make_banner(tmp):
    """GIF 206: the left banner, 136 x 232, nine frames: a light sweeps over
    the shield, then rests."""
    base = os.path.join(tmp, "banner_base.png")
    convert("-size", "136x232", "gradient:%s-%s" % (BLUE_DARK, BLUE_LIGHT),
            # soft rings behind the shield
            "-fill", "none", "-stroke", "#FFFFFF22", "-strokewidth", "10",
            "-draw", "circle 68,96 68,20", "-draw", "circle 68,96 68,44",
            "-stroke", "none",
            "-fill", "#FFFFFF", "-draw", "path '%s'" % shield_path(68, 46, 76, 92),
            "-fill", BLUE, "-draw", "path '%s'" % shield_path(68, 54, 60, 76),
            "-fill", "white", *keyhole(68, 84, 9),
            "-font", FONT, "-pointsize", "15", "-fill", "white", "-gravity", "south",
            "-annotate", "+0+40", "VelkorCrypt",
            "-pointsize", "11", "-fill", "#DCE9FB", "-annotate", "+0+22", "超级文件加密器",
            base)
    frames = []
    for i in range(9):
        p = os.path.join(tmp, "banner%d.png" % i)
        if i < 8:
            # a diagonal band of light, clipped to the shield's face
            x = -40 + i * 22
            band = os.path.join(tmp, "band%d.png" % i)
            convert("-size", "136x232", "xc:none", "-fill", "#FFFFFF55",
                    "-draw", "polygon %d,40 %d,40 %d,150 %d,150" % (x, x + 14, x - 26, x - 40),
                    band)
            mask = os.path.join(tmp, "mask.png")
            convert("-size", "136x232", "xc:none", "-fill", "white",
                    "-draw", "path '%s'" % shield_path(68, 54, 60, 76), mask)
            # DstIn keeps the band only where the shield's face is opaque.
            convert(base, "(", band, mask, "-compose", "DstIn", "-composite", ")",
                    "-compose", "Over", "-composite", p)
        else:
            shutil.copy(base, p)
        frames.append(p)
    out = os.path.join(OUT, "banner206.gif")
    convert("-loop", "0",
            *sum((["-delay", "12", f] for f in frames[:-1]), []),
            "-delay", "180", frames[-1],
            "-colors", "128", "+dither", "-layers", "OptimizeFrame", out)
    check_size(out, (136, 232))
    if frame_count(out) != 9:
        sys.exit("banner206.gif has %d frames" % frame_count(out))


def make_small_animation(tmp):
    """GIF 210: 180 x 50, fifty frames: five dots on white, a wave of blue
    passing through them."""
    frames = []
    for i in range(50):
        args = ["-size", "180x50", "xc:white"]
        for d in range(5):
            phase = (i / 50.0) * 2 * math.pi - d * 0.7
            lift = (math.sin(phase) + 1) / 2  # 0..1
            r = 4 + 3 * lift
            cx, cy = 30 + d * 30, 25
            shade = int(0xC8 - lift * (0xC8 - 0x1E))
            colour = "#%02X%02X%02X" % (shade if shade > 0x1E else 0x1E,
                                        int(0xDC - lift * (0xDC - 0x6F)), int(0xF4 - lift * (0xF4 - 0xD9)))
            args += ["-fill", colour, "-draw", "circle %.1f,%.1f %.1f,%.1f" % (cx, cy, cx + r, cy)]
        p = os.path.join(tmp, "dots%02d.png" % i)
        convert(*args, p)
        frames.append(p)
    out = os.path.join(OUT, "anim210.gif")
    convert("-loop", "0", "-delay", "6", *frames, "-colors", "32", "+dither",
            "-layers", "OptimizeFrame", out)
    check_size(out, (180, 50))
    if frame_count(out) != 50:
        sys.exit("anim210.gif has %d frames" % frame_count(out))


def make_chime():
    """WAVE "IDR_INFO": a soft two-note chime, 0.7 s, 22,050 Hz, 16-bit mono."""
    rate = 22050
    length = int(rate * 0.7)
    notes = [(0.00, 1046.50, 0.55), (0.09, 1567.98, 0.40)]  # C6, then G6
    samples = []
    for n in range(length):
        t = n / rate
        v = 0.0
        for start, freq, amp in notes:
            if t >= start:
                u = t - start
                attack = min(1.0, u / 0.006)
                env = attack * math.exp(-u * 6.0)
                v += amp * env * (math.sin(2 * math.pi * freq * u) + 0.25 * math.sin(4 * math.pi * freq * u))
        fade = min(1.0, (length - n) / (rate * 0.05))
        samples.append(int(max(-1.0, min(1.0, v * 0.5 * fade)) * 32767))
    with wave.open(os.path.join(OUT, "info.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(struct.pack("<%dh" % len(samples), *samples))


def main():
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        make_icon(tmp)
        make_title(tmp)
        make_grip(tmp)
        make_frame(tmp)
        make_licence_title(tmp)
        make_badge(tmp)
        make_banner(tmp)
        make_small_animation(tmp)
    make_chime()
    for name in sorted(os.listdir(OUT)):
        print("%-16s %7d bytes" % (name, os.path.getsize(os.path.join(OUT, name))))


if __name__ == "__main__":
    main()
