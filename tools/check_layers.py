#!/usr/bin/env python3
"""The layer gate. The source folders are one-way layers (LAYERS, bottom first); this checks

- that every #include, resolved the way the compiler resolves it (the including file's folder for
  "quoted" names, then the include folders of the build: -iquote, -I, -isystem from
  compile_commands.json when there is one, otherwise the repository root that every library
  puts on the include path), lands in the same folder or a lower one; angle brackets and
  relative names ("../x/y.h", which are refused on their own too) are resolved like any other;
- that portable folders include no desktop header (GTK, GDK, GLib, GObject, GIO, WebKit,
  JavaScriptCore, Cairo, Pango), also at the top level of platform/ where only the backends in
  its subfolders may, and no POSIX-only header (platform/ is where those live);
- that pugixml is used inside xml/ only;
- that no library or executable links a target of a higher folder or of a folder beside it,
  that portable targets link no desktop library, and that every target names the libraries
  whose headers its files include.

Run from CTest (test `source_layers`) or by hand from the repository root:

    python3 tools/check_layers.py [REPO_ROOT] [--compile-commands FILE]

Without --compile-commands, REPO_ROOT/build/compile_commands.json is used when it exists.
Prints one line per violation and exits 1 when there is any."""

import json
import os
import re
import shlex
import sys

# Bottom first. A folder may include its own headers and those of any folder with a lower rank.
# Every subfolder of platform/ is a backend (the GTK dialogs, the scripted stand-ins, the
# rasterizer, script engines, the player probe): just above the portable seam and independent of
# each other. The documents (xml, swf, template, project) form one level whose members may use
# the ones listed before them; host/player sits below the window.
LAYERS = [
    ("platform", 0),
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
BACKEND_RANK = 0.5
TOPS = [folder for folder, _ in LAYERS if "/" not in folder]

# Folders whose code must build and run without a desktop.
PORTABLE = ["core", "xml", "swf", "template", "project", "publish", "bridge", "cli"]

# The desktop stack: not in portable folders, nor directly in platform/ (only its backends).
DESKTOP_HEADER = re.compile(
    r"^(gtk|gdk|gdkx|gdk-pixbuf|glib|glibconfig|glib-object|glib-unix|gobject|gio|gmodule|"
    r"webkit|webkit2|webkitdom|JavaScriptCore|jsc|cairo|pango|pangocairo|pangoft2|libsoup)"
    r"([-./_]|$)", re.I)
DESKTOP_INCLUDE_DIR = re.compile(
    r"/(gtk-[0-9.]+|glib-2\.0|gio-unix-2\.0|gdk-pixbuf-2\.0|webkitgtk-[0-9.]+|cairo|"
    r"pango-1\.0|libsoup-[0-9.]+|atk-1\.0)/")
DESKTOP_PKG_MODULE = re.compile(
    r"^(gtk|gdk|glib|gobject|gio|gmodule|webkit|javascriptcore|cairo|pango|libsoup)", re.I)
# POSIX-only: portable folders reach these through platform/.
POSIX_HEADER = re.compile(
    r"^(unistd|fcntl|dirent|dlfcn|poll|pthread|pwd|grp|spawn|termios|syslog|glob|fnmatch|"
    r"wordexp|libgen|sched|semaphore|strings|utime|netdb|ifaddrs|mqueue|aio|sys/.*|"
    r"netinet/.*|arpa/.*)\.h$")
# pugixml belongs to xml/; everything else asks CXmlDocument.
XML_LIBRARY_HEADER = re.compile(r"^pugi(xml|config)\.hpp$")
XML_LIBRARY_TARGET = re.compile(r"^pugixml(::|$)")
# The C++ reader of the banner format still parses with pugixml until the format has one reader;
# its library may link pugixml only while it compiles this file.
XML_LIBRARY_LEFT_OVER = {"project/BannerDocument.cpp"}

# Tests whose folder is checked end to end through the command dispatcher (the reply words the
# movie gets): they may reach up to bridge/.
TEST_REACH = {"project": "bridge", "publish": "bridge"}
# Helpers every test may include: scratch folders and the like, and pictures made small on disk.
TEST_SUPPORT = {"tests/TestSupport.h", "tests/PictureBombs.h"}

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"\n]+)[>"]', re.M)
SOURCE_EXT = (".cpp", ".cc", ".c", ".h", ".hpp", ".inc")
SYSTEM_DIRS = ["/usr/local/include", "/usr/include/x86_64-linux-gnu", "/usr/include"]


def rank(folder):
    for name, value in LAYERS:
        if name == folder:
            return value
    return BACKEND_RANK  # a platform/ backend


def folder_of(path):
    """The layer folder that holds path (repository-relative, "/"-separated), or None. Every
    subfolder of platform/ is a backend of its own (platform/gtk)."""
    parts = path.split("/")
    if parts[0] == "platform":
        return "platform/" + parts[1] if len(parts) > 2 else "platform"
    best = None
    for folder, _ in LAYERS:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def allowed(own, theirs, is_test):
    """Whether code in folder own may include a header of (or link a target of) folder theirs."""
    if own == theirs or rank(theirs) < rank(own):
        return True
    return is_test and own in TEST_REACH and rank(theirs) <= rank(TEST_REACH[own])


class IncludePaths:
    """The include folders each translation unit is compiled with."""

    def __init__(self, root, compile_commands):
        self.root = root
        self.by_file = {}
        self.by_folder = {}
        if compile_commands and os.path.isfile(compile_commands):
            with open(compile_commands, encoding="utf-8") as f:
                for entry in json.load(f):
                    self._add(entry)

    def _add(self, entry):
        directory = entry.get("directory", self.root)
        source = os.path.realpath(os.path.join(directory, entry["file"]))
        if not source.startswith(self.root + os.sep):
            return
        words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
        quote, normal, system = [], [], []
        i = 0
        while i < len(words):
            word = words[i]
            for flag, into in (("-iquote", quote), ("-isystem", system), ("-I", normal)):
                if word == flag and i + 1 < len(words):
                    into.append(os.path.realpath(os.path.join(directory, words[i + 1])))
                    i += 1
                    break
                if word.startswith(flag) and len(word) > len(flag):
                    into.append(os.path.realpath(os.path.join(directory, word[len(flag):])))
                    break
            i += 1
        paths = (quote, normal, system)
        self.by_file[source] = paths
        self.by_folder.setdefault(os.path.dirname(source), paths)

    def for_file(self, path):
        """(quote, normal, system) folders for the file at absolute path. A header takes those of
        a source compiled in its folder; without a build, every library's include root."""
        if path in self.by_file:
            return self.by_file[path]
        if os.path.dirname(path) in self.by_folder:
            return self.by_folder[os.path.dirname(path)]
        return ([], [self.root], [])

    def resolve(self, path, kind, name):
        """The file the compiler opens for #include kind name in the file at path, or None."""
        quote, normal, system = self.for_file(path)
        candidates = ([os.path.dirname(path)] + quote if kind == '"' else []) + normal + system
        for folder in candidates + SYSTEM_DIRS:
            full = os.path.normpath(os.path.join(folder, name))
            if os.path.isfile(full):
                return os.path.realpath(full)
        return None


def source_files(root, top):
    for dirpath, dirs, files in os.walk(os.path.join(root, top)):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(SOURCE_EXT):
                yield os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")


def includes(root, path):
    full = os.path.join(root, path)
    if not os.path.isfile(full):
        return []
    with open(full, encoding="utf-8", errors="replace") as f:
        return INCLUDE.findall(f.read())


def layer_of_file(relative):
    """(layer folder, is a test) of a repository file; tests/<folder>/ stands for <folder>/."""
    if relative.startswith("tests/"):
        return folder_of(relative[len("tests/"):]), True
    return folder_of(relative), False


def check_layers(root, paths):
    """Every include of every file in the layer folders and their tests. Returns the problems
    and, per repository file, the repository files it includes."""
    problems = []
    included = {}
    for top in TOPS + ["tests/" + t for t in TOPS]:
        if not os.path.isdir(os.path.join(root, top)):
            continue
        for path in source_files(root, top):
            own, is_test = layer_of_file(path)
            if own is None:
                continue
            full = os.path.join(root, path)
            portable = own in PORTABLE and not is_test
            desktop_free = portable or (own == "platform" and not is_test)
            for kind, name in includes(root, path):
                written = f"{kind}{name}{'>' if kind == '<' else kind}"
                if ".." in name.split("/"):
                    problems.append(f"{path}: includes {written} by a relative name; name "
                                    "headers from the repository root")
                target = paths.resolve(full, kind, name)
                inside = target is not None and target.startswith(root + os.sep)
                if not inside:
                    where = target or ""
                    if desktop_free and (DESKTOP_HEADER.match(name) or
                                         DESKTOP_INCLUDE_DIR.search(where)):
                        problems.append(f"{path}: {own}/ includes the desktop header {written}"
                                        + ("; only platform/'s backends may" if own == "platform"
                                           else ""))
                    elif portable and POSIX_HEADER.match(name):
                        problems.append(f"{path}: portable code includes the POSIX header "
                                        f"{written}; ask platform/")
                    if own != "xml" and not is_test and XML_LIBRARY_HEADER.match(name) and \
                            path not in XML_LIBRARY_LEFT_OVER:
                        problems.append(f"{path}: includes {written}; only xml/ uses pugixml")
                    continue
                relative = os.path.relpath(target, root).replace(os.sep, "/")
                included.setdefault(path, []).append((relative, written))
                if relative in TEST_SUPPORT:
                    if not is_test:
                        problems.append(f"{path}: product code includes {written}, a test header")
                    continue
                theirs, their_test = layer_of_file(relative)
                if their_test and not is_test:
                    problems.append(f"{path}: product code includes {written}, a test header")
                    continue
                if theirs is None:
                    problems.append(f"{path}: includes {written} ({relative}), which is in no "
                                    "layer folder")
                    continue
                if not allowed(own, theirs, is_test):
                    problems.append(f"{path}: includes {written} ({relative}), which is above "
                                    f"{own}/ ({theirs}/) or beside it")
    return problems, included


# ---- Libraries -------------------------------------------------------------------------------

CALL = re.compile(r"\b(pennoria_library|pennoria_executable|add_library|add_executable|"
                  r"target_link_libraries|pkg_check_modules)\s*\(", re.I)
KEYWORDS = {"SOURCES", "DEPS", "PRIVATE_DEPS", "PUBLIC", "PRIVATE", "INTERFACE", "STATIC",
            "SHARED", "MODULE", "OBJECT", "EXCLUDE_FROM_ALL", "IMPORTED", "GLOBAL", "ALIAS",
            "REQUIRED", "QUIET", "IMPORTED_TARGET", "NO_CMAKE_PATH",
            "NO_CMAKE_ENVIRONMENT_PATH", "LINK_PUBLIC", "LINK_PRIVATE", "WIN32", "MACOSX_BUNDLE"}


def calls(text):
    """(command, words) of every call CALL names, with the parentheses balanced."""
    for match in CALL.finditer(text):
        depth, at = 1, match.end()
        while at < len(text) and depth:
            depth += {"(": 1, ")": -1}.get(text[at], 0)
            at += 1
        body = text[match.end():at - 1]
        yield match.group(1).lower(), [w.strip('"') for w in body.split()]


def cmake_files(root):
    for top in TOPS:
        for dirpath, dirs, files in os.walk(os.path.join(root, top)):
            dirs.sort()
            if "CMakeLists.txt" in files:
                yield os.path.relpath(dirpath, root).replace(os.sep, "/")


def cmake_targets(root):
    """name -> {folder, sources, deps}; and pkg-config variable -> modules."""
    targets, modules = {}, {}
    links = []
    for folder in cmake_files(root):
        with open(os.path.join(root, folder, "CMakeLists.txt"), encoding="utf-8") as f:
            text = re.sub(r"#[^\n]*", "", f.read())
        for command, words in calls(text):
            if not words:
                continue
            name, rest = words[0], words[1:]
            if command == "pkg_check_modules":
                modules[name] = [w for w in rest if w not in KEYWORDS]
                continue
            if command == "target_link_libraries":
                links.append((name, [w for w in rest if w not in KEYWORDS]))
                continue
            section = "SOURCES" if command in ("add_library", "add_executable") else None
            sources, deps = [], set()
            for word in rest:
                if word in ("SOURCES", "DEPS", "PRIVATE_DEPS"):
                    section = word
                elif word in KEYWORDS:
                    continue
                elif section == "SOURCES":
                    sources.append(os.path.normpath(os.path.join(folder, word)).replace(os.sep,
                                                                                        "/"))
                elif section:
                    deps.add(word)
            source_dirs = [os.path.dirname(s) for s in sources] or [folder]
            home = os.path.commonpath(source_dirs).replace(os.sep, "/") if source_dirs else folder
            targets[name] = {"folder": folder_of(home + "/-") or folder_of(folder + "/-"),
                             "sources": sources, "deps": deps, "cmake": folder}
    for name, deps in links:
        if name in targets:
            targets[name]["deps"].update(deps)
    return targets, modules


def check_dependencies(root, included):
    targets, modules = cmake_targets(root)
    owner = {}  # source file -> target
    for name, target in targets.items():
        for source in target["sources"]:
            owner[source] = name

    def target_of_header(header):
        """The library that compiles the header's source file; None for a header-only
        interface, which needs no library."""
        stem = os.path.splitext(header)[0]
        for ext in (".cpp", ".cc", ".c"):
            if stem + ext in owner:
                return owner[stem + ext]
        return None

    problems = []
    for name, target in sorted(targets.items()):
        own = target["folder"]
        where = f'{target["cmake"]}/CMakeLists.txt'
        portable = own in PORTABLE
        for dep in sorted(target["deps"]):
            if dep in targets:
                theirs = targets[dep]["folder"]
                if not allowed(own, theirs, False):
                    problems.append(f"{where}: {name} ({own}/) links {dep} ({theirs}/), which is "
                                    "above it or beside it")
            elif dep.startswith("PkgConfig::"):
                desktop = [m for m in modules.get(dep[len("PkgConfig::"):], [])
                           if DESKTOP_PKG_MODULE.match(m)]
                if desktop and (portable or own == "platform"):
                    problems.append(f"{where}: {name} ({own}/) links {dep} "
                                    f"({', '.join(desktop)}), a desktop library")
            elif XML_LIBRARY_TARGET.match(dep) and own != "xml" and \
                    not XML_LIBRARY_LEFT_OVER.intersection(target["sources"]):
                problems.append(f"{where}: {name} ({own}/) links {dep}; only xml/ uses pugixml")

        files = set(target["sources"])
        for source in target["sources"]:
            header = os.path.splitext(source)[0] + ".h"
            if os.path.exists(os.path.join(root, header)):
                files.add(header)
        needed = set()
        for path in sorted(files):
            for relative, written in included.get(path, []):
                needed_target = target_of_header(relative)
                if needed_target and needed_target != name:
                    needed.add((needed_target, path, written))
        for needed_target, path, written in sorted(needed):
            if needed_target not in target["deps"]:
                problems.append(f"{where}: {name}: {path} includes {written} but the target "
                                f"does not name {needed_target}")
    return problems


# ---- The READMEs ------------------------------------------------------------------------------

FOLDER_NAME = re.compile(r"`([a-z/]+)/`")


def check_readmes(root):
    """The root README lists the layers in this order (in its sentence and its table); a folder
    README's "Depends on" names only folders below it."""
    problems = []
    order = [f for f, _ in LAYERS]
    readme = os.path.join(root, "README.md")
    if os.path.isfile(readme):
        with open(readme, encoding="utf-8") as f:
            text = f.read()
        listed = re.search(r"listed from the bottom up:(.*?)\.", text, re.S)
        if listed and FOLDER_NAME.findall(listed.group(1)) != order:
            problems.append("README.md: the layers are listed as " +
                            " < ".join(FOLDER_NAME.findall(listed.group(1))) +
                            "; the gate's order is " + " < ".join(order))
        rows = [m for m in re.findall(r"^\| `([a-z/]+)/` \|", text, re.M) if m in order]
        if rows and rows != order:
            problems.append("README.md: the layer table's rows are " + ", ".join(rows) +
                            "; the gate's order is " + ", ".join(order))
    for folder in order:
        path = os.path.join(root, folder, "README.md")
        if not os.path.isfile(path):
            continue
        with open(path, encoding="utf-8") as f:
            text = " ".join(f.read().split())
        for sentence in re.findall(r"Depends on ([^.(]*)", text):
            for named in FOLDER_NAME.findall(sentence):
                theirs = folder_of(named + "/-")
                if theirs and not rank(theirs) < rank(folder):
                    problems.append(f"{folder}/README.md: depends on `{named}/`, which is not "
                                    f"below {folder}/")
    return problems


def main(argv):
    args = list(argv)
    compile_commands = None
    if "--compile-commands" in args:
        at = args.index("--compile-commands")
        compile_commands = args[at + 1] if at + 1 < len(args) else None
        del args[at:at + 2]
    root = os.path.realpath(args[0] if args else os.path.join(os.path.dirname(__file__), ".."))
    if compile_commands is None:
        default = os.path.join(root, "build", "compile_commands.json")
        compile_commands = default if os.path.isfile(default) else None
    paths = IncludePaths(root, compile_commands)
    problems, included = check_layers(root, paths)
    problems += check_dependencies(root, included)
    problems += check_readmes(root)
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} layering problem(s); the layers, bottom first: " +
              ", ".join(f for f, _ in LAYERS) + " (platform/'s subfolders are backends)")
        return 1
    print("layers: every include and every link runs down the list; portable folders stay off "
          "the desktop and POSIX; pugixml stays in xml/; every library names what it includes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
