#!/usr/bin/env python3
"""check_outputs.py — checks what a killed or starved program left in its
working folder: the settings file is one complete file as the program writes
it, and every screenshot is a complete PNG (or absent).

  check_outputs.py DIR [--before FILE] [--pictures FILE]

--before: the settings file as it was before the run; every group and key it
held must still be there (the program never removes one), or the file must be
byte for byte that one.
--pictures: a list of "name checksum" lines of screenshots seen complete
earlier; none of them may have changed. The list is rewritten with what is
complete now.

Prints one line per fault and exits 1 when there is any; exits 0 otherwise.
"""
import hashlib
import os
import re
import struct
import sys
import zlib

BOM = b"\xef\xbb\xbf"


def parse_settings(data):
    """Returns (faults, {group_lower: set(key_lower)})."""
    faults = []
    groups = {}
    if not data.startswith(BOM + b"\r\n"):
        faults.append("settings file does not start with the mark and an empty line")
        return faults, groups
    body = data[len(BOM) + 2:]
    if body and not body.endswith(b"\r\n"):
        faults.append("settings file is cut: the last line has no CR LF (%d bytes)" % len(data))
    lines = body.split(b"\r\n")[:-1] if body else []
    current = None
    for number, line in enumerate(lines, start=2):
        if b"\r" in line or b"\n" in line:
            faults.append("line %d holds a lone CR or LF" % number)
        if line.startswith(b"["):
            if not line.endswith(b"]"):
                faults.append("line %d: group header without ]" % number)
            current = line[1:].split(b"]")[0].lower()
            groups.setdefault(current, set())
        elif line.startswith(b"; "):
            continue
        else:
            if b" = " not in line:
                faults.append("line %d is not 'key = value': %r" % (number, line[:60]))
                continue
            if current is None:
                faults.append("line %d: a setting before any group" % number)
                continue
            groups[current].add(line.split(b" = ")[0].lower())
    app = groups.get(b"application")
    if app is None or not {b"path", b"file"} <= app:
        faults.append("the Application group with Path and File is missing")
    try:
        body.decode("utf-8")
    except UnicodeDecodeError:
        faults.append("settings file is not UTF-8")
    return faults, groups


def check_png(path):
    """Returns None for a complete RGB PNG, or what is wrong with it."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"\x89PNG\r\n\x1a\n"):
        return "no PNG signature (%d bytes)" % len(data)
    pos = 8
    width = height = None
    idat = []
    ended = False
    while pos < len(data):
        if pos + 12 > len(data):
            return "cut inside a chunk header at byte %d" % pos
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        end = pos + 12 + length
        if end > len(data):
            return "chunk %r cut at byte %d of %d" % (kind, len(data), end)
        payload = data[pos + 8:pos + 8 + length]
        crc = struct.unpack(">I", data[end - 4:end])[0]
        if zlib.crc32(kind + payload) & 0xFFFFFFFF != crc:
            return "chunk %r has a wrong CRC" % kind
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", payload)
            if depth != 8 or colour != 2 or interlace != 0:
                return "not 8-bit RGB without interlace"
        elif kind == b"IDAT":
            idat.append(payload)
        elif kind == b"IEND":
            ended = True
            pos = end
            break
        pos = end
    if not ended:
        return "no IEND chunk: the file is cut"
    if pos != len(data):
        return "%d bytes after IEND" % (len(data) - pos)
    if width is None:
        return "no IHDR chunk"
    try:
        raw = zlib.decompress(b"".join(idat))
    except zlib.error as e:
        return "image data does not inflate: %s" % e
    if len(raw) != height * (1 + 3 * width):
        return "image data holds %d bytes, not %d" % (len(raw), height * (1 + 3 * width))
    if any(raw[row * (1 + 3 * width)] != 0 for row in range(height)):
        return "a row uses a filter other than None"
    return None


def main():
    args = sys.argv[1:]
    if not args:
        print(__doc__)
        return 2
    folder = args[0]
    before = pictures = None
    if "--before" in args:
        before = args[args.index("--before") + 1]
    if "--pictures" in args:
        pictures = args[args.index("--pictures") + 1]
    faults = []

    cfg_path = os.path.join(folder, "Veldrune.cfg")
    old = open(before, "rb").read() if before and os.path.exists(before) else None
    if os.path.exists(cfg_path):
        data = open(cfg_path, "rb").read()
        if data != old:
            found, groups = parse_settings(data)
            faults += found
            if old is not None:
                _, old_groups = parse_settings(old)
                for group, keys in old_groups.items():
                    if group not in groups:
                        faults.append("group [%s] was lost" % group.decode(errors="replace"))
                    elif not keys <= groups[group]:
                        lost = b", ".join(sorted(keys - groups[group])).decode(errors="replace")
                        faults.append("keys lost from [%s]: %s" % (group.decode(errors="replace"), lost))
    elif old is not None:
        faults.append("the settings file is gone")

    seen = {}
    if pictures and os.path.exists(pictures):
        for line in open(pictures):
            name, digest = line.split()
            seen[name] = digest
    complete = {}
    for name in sorted(os.listdir(folder)):
        if not re.fullmatch(r"Screenshot_-?\d+\.png", name):
            continue
        path = os.path.join(folder, name)
        problem = check_png(path)
        if problem:
            faults.append("%s: %s" % (name, problem))
            continue
        complete[name] = hashlib.sha1(open(path, "rb").read()).hexdigest()
    for name, digest in seen.items():
        if name not in complete:
            faults.append("%s was complete before and is now %s" %
                          (name, "gone" if not os.path.exists(os.path.join(folder, name)) else "broken"))
        elif complete[name] != digest:
            faults.append("%s was replaced" % name)
    if pictures:
        with open(pictures, "w") as f:
            for name, digest in complete.items():
                f.write("%s %s\n" % (name, digest))

    for fault in faults:
        print("FAULT: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
