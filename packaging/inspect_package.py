#!/usr/bin/python3
"""Reads facts out of the release packages without running anything, for
check-packages.sh: the 32-bit programs and their installer cannot run here.

  inspect_package.py version PROGRAM.exe
      The version block of a Windows program, one NAME=VALUE a line:
      FixedFileVersion and FixedProductVersion (a.b.c.d from the fixed part),
      then every string of the string tables.
  inspect_package.py subsystem PROGRAM.exe
      "windows" for a windowed program, "console" for one that runs in a
      console window (keltsim.exe: its output, and Ctrl-C to end it).
  inspect_package.py nsis project.nsi
      What the installer script does with shortcuts, files and folders, one
      fact a line, tab-separated:
        shortcut <link> <target> <start-in folder>    (install sections)
        uninstaller <path>                            (WriteUninstaller)
        create-directory <path>                       (install sections)
        uninstall-delete <path>                       (Uninstall section)
        uninstall-rmdir <flags> <path>                (Uninstall section)
"""

import struct
import sys

RT_VERSION = 16
SUBSYSTEMS = {2: "windows", 3: "console"}


class Pe:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        d = self.data
        if d[:2] != b"MZ":
            raise ValueError(f"{path}: not a Windows program (no MZ header)")
        self.pe = struct.unpack_from("<I", d, 0x3C)[0]
        if d[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE signature")
        sections, optional_size = struct.unpack_from("<H12xH", d, self.pe + 6)
        self.optional = self.pe + 24
        magic = struct.unpack_from("<H", d, self.optional)[0]
        self.subsystem = struct.unpack_from("<H", d, self.optional + 68)[0]
        directories = self.optional + {0x10B: 96, 0x20B: 112}[magic]
        self.resource_rva, self.resource_size = struct.unpack_from("<II", d, directories + 2 * 8)
        self.sections = []
        table = self.optional + optional_size
        for i in range(sections):
            vsize, vaddr, rawsize, rawptr = struct.unpack_from("<IIII", d, table + 40 * i + 8)
            self.sections.append((vaddr, max(vsize, rawsize), rawptr))

    def offset(self, rva):
        for vaddr, size, rawptr in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + rawptr
        raise ValueError(f"address {rva:#x} lies in no section")

    def resource(self, type_id):
        """Bytes of the first resource of a numeric type (any name, any language)."""
        if not self.resource_rva:
            return None
        base = self.offset(self.resource_rva)

        def entries(directory):
            named, ids = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + ids):
                yield struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)

        def first_leaf(target):
            while target & 0x80000000:
                target = next(entries(target & 0x7FFFFFFF))[1]
            rva, size = struct.unpack_from("<II", self.data, base + target)
            start = self.offset(rva)
            return self.data[start:start + size]

        for name, target in entries(0):
            if not name & 0x80000000 and name == type_id:
                return first_leaf(target)
        return None


def version_block(data, pos=0):
    """One block of a version resource: (key, value bytes, value is text, children)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    key_end = pos + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[pos + 6:key_end].decode("utf-16-le")
    cursor = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[cursor:cursor + value_bytes]
    cursor = (cursor + value_bytes + 3) & ~3
    children = []
    while cursor < end:
        child = version_block(data, cursor)
        children.append(child[:4])
        cursor = (child[4] + 3) & ~3
    return key, value, value_type == 1, children, end


def version(path):
    data = Pe(path).resource(RT_VERSION)
    if data is None:
        raise ValueError(f"{path}: no version resource")
    key, fixed, _, children, _ = version_block(data)
    if key != "VS_VERSION_INFO":
        raise ValueError(f"{path}: version resource starts with {key!r}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        raise ValueError(f"{path}: fixed version part has a bad signature")

    def dotted(ms, ls):
        return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"

    print(f"FixedFileVersion={dotted(file_ms, file_ls)}")
    print(f"FixedProductVersion={dotted(product_ms, product_ls)}")
    for child_key, _, _, tables in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, strings in tables:
            for name, value, is_text, _ in strings:
                text = value.decode("utf-16-le") if is_text else value.decode("latin-1")
                print(f"{name}={text.rstrip(chr(0))}")


def subsystem(path):
    code = Pe(path).subsystem
    print(SUBSYSTEMS.get(code, f"subsystem-{code}"))


def nsis_words(line):
    """The words of one script line. Quotes are of three kinds, $\\" and its
    kin stand for themselves, and an unquoted ';' or '#' starts a comment."""
    words = []
    i = 0
    while i < len(line):
        if line[i].isspace():
            i += 1
            continue
        if line[i] in ";#":
            break
        if line[i] in "\"'`":
            quote = line[i]
            i += 1
            word = ""
            while i < len(line) and line[i] != quote:
                if line.startswith("$\\", i) and i + 2 < len(line):
                    word += line[i:i + 3]
                    i += 3
                else:
                    word += line[i]
                    i += 1
            i += 1
        else:
            end = i
            while end < len(line) and not line[end].isspace():
                end += 1
            word = line[i:end]
            i = end
        words.append(word)
    return words


def nsis(path):
    with open(path, encoding="utf-8-sig") as f:
        text = f.read()
    text = text.replace("\\\n", " ")  # continued lines
    section = None  # name of the section being read
    in_function = in_macro = False
    out_path = None
    for line in text.splitlines():
        stripped = line.strip()
        if not stripped or stripped[0] in ";#":
            continue
        words = nsis_words(stripped)
        if not words:
            continue
        command = words[0].lower()
        if command == "!macro":
            in_macro = True
        elif command == "!macroend":
            in_macro = False
        elif in_macro:
            continue
        elif command == "function":
            in_function = True
        elif command == "functionend":
            in_function = False
        elif command == "section":
            names = [w for w in words[1:] if not w.startswith("/")]
            section = names[0] if names else ""
            out_path = None
        elif command == "sectionend":
            section = None
        elif section is None or in_function:
            continue
        elif section == "Uninstall" or section.startswith("un."):
            arguments = [w for w in words[1:] if not w.startswith("/")]
            if command == "delete" and arguments:
                print(f"uninstall-delete\t{arguments[0]}")
            elif command == "rmdir" and arguments:
                flags = " ".join(w for w in words[1:] if w.startswith("/")) or "-"
                print(f"uninstall-rmdir\t{flags}\t{arguments[0]}")
        else:
            if command == "setoutpath":
                out_path = words[-1]
            elif command == "createshortcut":
                arguments = [w for w in words[1:] if not w.startswith("/")]
                start_in = out_path if out_path is not None else "(none)"
                print(f"shortcut\t{arguments[0]}\t{arguments[1]}\t{start_in}")
            elif command == "writeuninstaller":
                print(f"uninstaller\t{words[-1]}")
            elif command == "createdirectory":
                print(f"create-directory\t{words[-1]}")


def main(argv):
    if len(argv) == 3 and argv[1] == "version":
        version(argv[2])
        return 0
    if len(argv) == 3 and argv[1] == "subsystem":
        subsystem(argv[2])
        return 0
    if len(argv) == 3 and argv[1] == "nsis":
        nsis(argv[2])
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except (OSError, ValueError, struct.error) as error:
        print(f"inspect_package.py: {error}", file=sys.stderr)
        sys.exit(1)
