#!/usr/bin/env python3
"""Checks that the source folders stay one-way layers: no #include runs back up the list below,
portable folders include no GTK, GLib, WebKit, Cairo or POSIX headers, and every library names
the libraries whose headers it includes (a header-only interface needs none). Run from CTest (test `source_layers`) or by hand:

    python3 tools/check_layers.py [REPO_ROOT]

Prints one line per violation and exits 1 when there is any."""

import os
import re
import sys

# Bottom first. A folder may include its own headers and those of any folder with a lower rank.
# The backends (platform/gtk, platform/scripted, platform/raster) sit just above the portable
# seam and are independent of each other; the documents (xml, swf, template, project) form one
# level whose members may use the ones listed before them; host/player sits below the window.
LAYERS = [
    ("platform", 0),
    ("platform/gtk", 0.5),
    ("platform/scripted", 0.5),
    ("platform/raster", 0.5),
    ("platform/jsc", 0.5),
    ("core", 1),
    ("xml", 2),
    ("swf", 2.1),
    ("template", 2.2),
    ("project", 2.3),
    ("publish", 3),
    ("bridge", 4),
    ("host/player", 5),
    ("host", 5.5),
    ("cli", 6),
]
RANK = dict(LAYERS)

# Folders whose code must build and run without a desktop: only platform/ and host/ may use the
# windowing and POSIX headers.
PORTABLE = ["core", "xml", "swf", "template", "project", "publish", "bridge", "cli"]
NON_PORTABLE_HEADER = re.compile(
    r"^(gtk|gdk|gdk-pixbuf|glib|gio|glib-unix\.h|webkit2|jsc|cairo|pango|unistd\.h|fcntl\.h|"
    r"dirent\.h|dlfcn\.h|poll\.h|pthread\.h|sys/)")

# Tests whose folder is checked end to end through the command dispatcher (the reply words the
# movie gets): they may reach up to bridge/.
TEST_REACH = {"project": "bridge", "publish": "bridge"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCE_EXT = (".cpp", ".h", ".hpp", ".inc")


def folder_of(path):
    """The longest layer folder that holds path (a repository-relative path), or None."""
    best = None
    for folder, _ in LAYERS:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def allowed(own, theirs, is_test):
    """Whether code in folder own may include a header of folder theirs."""
    if RANK[theirs] < RANK[own]:
        return True
    return is_test and own in TEST_REACH and RANK[theirs] <= RANK[TEST_REACH[own]]


def source_files(root, top):
    for dirpath, _, files in os.walk(os.path.join(root, top)):
        for name in sorted(files):
            if name.endswith(SOURCE_EXT):
                yield os.path.relpath(os.path.join(dirpath, name), root)


def includes(root, path):
    if not os.path.isfile(os.path.join(root, path)):
        return []
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
        return INCLUDE.findall(f.read())


def check_layers(root):
    problems = []
    checked = [f for f, _ in LAYERS]
    checked += ["tests/" + f for f in checked]
    seen = set()
    for top in checked:
        if not os.path.isdir(os.path.join(root, top)):
            continue
        for path in source_files(root, top):
            if path in seen:
                continue
            seen.add(path)
            relative = path[len("tests/"):] if path.startswith("tests/") else path
            own = folder_of(relative)
            if own is None:
                continue
            for kind, target in includes(root, path):
                if kind == "<":
                    if own in PORTABLE and not path.startswith("tests/") and \
                            NON_PORTABLE_HEADER.match(target):
                        problems.append(f"{path}: portable code includes <{target}>")
                    continue
                if target == "tests/TestSupport.h":
                    continue
                probe = target[len("tests/"):] if target.startswith("tests/") else target
                theirs = folder_of(probe)
                if theirs is None or theirs == own:
                    continue
                if not allowed(own, theirs, path.startswith("tests/")):
                    problems.append(f'{path}: includes "{target}", which is above {own}/ '
                                    f"({theirs}/) or beside it")
    return problems


# ---- Library dependencies --------------------------------------------------------------------

BLOCK = re.compile(r"pennoria_(?:library|executable)\(\s*([\w-]+)([^)]*)\)")


def cmake_targets(root):
    """Every pennoria_library and pennoria_executable: name -> (folder, sources, deps)."""
    targets = {}
    for folder, _ in LAYERS:
        listfile = os.path.join(root, folder, "CMakeLists.txt")
        if not os.path.exists(listfile):
            continue
        with open(listfile, encoding="utf-8") as f:
            text = re.sub(r"#[^\n]*", "", f.read())
        for name, body in BLOCK.findall(text):
            section, sources, deps = None, [], set()
            for word in body.split():
                if word in ("SOURCES", "DEPS", "PRIVATE_DEPS"):
                    section = word
                elif section == "SOURCES":
                    sources.append(os.path.normpath(os.path.join(folder, word)))
                elif section:
                    deps.add(word)
            targets[name] = (folder, sources, deps)
    return targets


def check_dependencies(root):
    targets = cmake_targets(root)
    owner = {}  # source file -> target
    for name, (_, sources, _) in targets.items():
        for source in sources:
            owner[source] = name

    def target_of_header(header):
        """The library that compiles the header's source file; None for a header-only
        interface, which needs no library."""
        stem = os.path.splitext(header)[0]
        for ext in (".cpp", ".c"):
            if stem + ext in owner:
                return owner[stem + ext]
        return None

    problems = []
    for name, (_, sources, deps) in sorted(targets.items()):
        files = set(sources)
        for source in sources:
            header = os.path.splitext(source)[0] + ".h"
            if os.path.exists(os.path.join(root, header)):
                files.add(header)
        needed = set()
        for path in sorted(files):
            for kind, target in includes(root, path):
                if kind != '"' or folder_of(target) is None:
                    continue
                needed_target = target_of_header(target)
                if needed_target and needed_target != name:
                    needed.add((needed_target, path, target))
        for needed_target, path, target in sorted(needed):
            if needed_target not in deps:
                problems.append(f'{name}: {path} includes "{target}" but the target does not '
                                f"name {needed_target}")
    return problems


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    problems = check_layers(root) + check_dependencies(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} layering problem(s); the layers, bottom first: " +
              ", ".join(f for f, _ in LAYERS))
        return 1
    print("layers: every include runs down the list; every library names what it includes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
