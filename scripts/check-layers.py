#!/usr/bin/env python3
"""Checks that the product's folders include each other in one direction
and that no portable file sees Windows, then prints the graph.

Each folder has a portable part (its own files) and a Win32 part (its win/
subfolder). A portable file includes only portable files and the standard
library; a Win32 file also includes Win32 files and Windows' headers. The
folders depend in this order only:

    panel -> settings -> link -> platform
    panel -> link,  terminal -> link

Usage: check-layers.py [SOURCE_DIR]    (exit status 1 on any violation)
"""
import pathlib
import re
import sys

ALLOWED = {
    "platform": {"platform"},
    "link": {"link", "platform"},
    "settings": {"settings", "link", "platform"},
    "panel": {"panel", "settings", "link", "platform"},
    "terminal": {"terminal", "link", "platform"},
}
WINDOWS_HEADER = re.compile(
    r"^(windows|win[a-z0-9_]*|commctrl|commdlg|shlobj|shobjidl|shellapi|psapi|objbase|ole2|"
    r"mmsystem|tlhelp32|winsock2?|ws2tcpip|io|direct|conio|process)\.h$", re.IGNORECASE)
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def part_of(path):
    """(folder, 'win' or 'portable') of a path relative to the source dir."""
    parts = pathlib.PurePosixPath(path).parts
    return parts[0], "win" if len(parts) > 2 and parts[1] == "win" else "portable"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    problems, edges = [], {}
    for folder in ALLOWED:
        for file in sorted((root / folder).rglob("*")):
            if file.suffix not in (".h", ".cpp"):
                continue
            relative = file.relative_to(root).as_posix()
            layer, part = part_of(relative)
            for number, line in enumerate(file.read_text(errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                kind, target = match.groups()
                where = f"{relative}:{number}: #include {kind}{target}{'>' if kind == '<' else kind}"
                if kind == "<":
                    if part == "portable" and WINDOWS_HEADER.match(target):
                        problems.append(f"{where}: a portable file sees Windows")
                    continue
                target_layer, target_part = part_of(target)
                if target_layer not in ALLOWED:
                    continue
                if target_layer not in ALLOWED[layer]:
                    problems.append(f"{where}: {layer} may not depend on {target_layer}")
                if part == "portable" and target_part == "win":
                    problems.append(f"{where}: a portable file includes a Win32 one")
                if target_layer != layer:
                    key = (f"{layer}{'/win' if part == 'win' else ''}",
                           f"{target_layer}{'/win' if target_part == 'win' else ''}")
                    edges[key] = edges.get(key, 0) + 1
    print("includes between folders (from -> to: how many):")
    for (source, target), count in sorted(edges.items()):
        print(f"  {source:14} -> {target:14} {count}")
    if problems:
        print(f"\n{len(problems)} include(s) against the one-way order:")
        for problem in problems:
            print("  " + problem)
        return 1
    print("\nall includes run one way; no portable file sees Windows")
    return 0


if __name__ == "__main__":
    sys.exit(main())
