#!/usr/bin/env python3
"""The layer gate on small source trees: each kind of violation is put into an otherwise clean
tree once, and the gate, run as a person runs it (python3 tools/check_layers.py ROOT), must fail
and name it; the clean tree passes."""

import json
import os
import subprocess
import sys
import tempfile
import textwrap
import unittest

GATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools",
                    "check_layers.py")

# A tree shaped like the repository: the seam with a GTK backend, two portable layers above it,
# the bridge and the desktop host; every library names what it includes.
CLEAN = {
    "platform/CMakeLists.txt": """
        pennoria_library(pennoria_platform SOURCES Files.cpp)
        pkg_check_modules(GTK3 REQUIRED IMPORTED_TARGET gtk+-3.0)
        add_subdirectory(gtk)
    """,
    "platform/Files.h": "#pragma once\n",
    "platform/Files.cpp": '#include "platform/Files.h"\n#include <unistd.h>\n#include <sys/stat.h>\n',
    "platform/gtk/CMakeLists.txt": """
        pennoria_library(pennoria_platform_gtk SOURCES Dialogs.cpp
            DEPS pennoria_platform PkgConfig::GTK3)
    """,
    "platform/gtk/Dialogs.h": '#pragma once\n#include "platform/Files.h"\n',
    "platform/gtk/Dialogs.cpp": '#include "platform/gtk/Dialogs.h"\n#include <gtk/gtk.h>\n',
    "core/CMakeLists.txt": "pennoria_library(pennoria_core SOURCES Settings.cpp DEPS pennoria_platform)\n",
    "core/Settings.h": "#pragma once\n#include <string>\n",
    "core/Settings.cpp": '#include "core/Settings.h"\n#include "platform/Files.h"\n#include <csignal>\n',
    "xml/CMakeLists.txt": """
        pennoria_library(pennoria_xml SOURCES XmlDocument.cpp
            DEPS pennoria_platform PRIVATE_DEPS pugixml::pugixml)
    """,
    "xml/XmlDocument.h": "#pragma once\n",
    "xml/XmlDocument.cpp": '#include "xml/XmlDocument.h"\n#include <pugixml.hpp>\n',
    "publish/CMakeLists.txt": """
        pennoria_library(pennoria_publish SOURCES Publisher.cpp
            DEPS pennoria_xml pennoria_core pennoria_platform)
    """,
    "publish/Publisher.h": '#pragma once\n#include "core/Settings.h"\n',
    "publish/Publisher.cpp": '#include "publish/Publisher.h"\n#include "xml/XmlDocument.h"\n',
    "bridge/CMakeLists.txt": """
        pennoria_library(pennoria_bridge SOURCES HostDialog.cpp
            DEPS pennoria_publish pennoria_core)
    """,
    "bridge/HostDialog.h": '#pragma once\n#include "publish/Publisher.h"\n',
    "bridge/HostDialog.cpp": '#include "bridge/HostDialog.h"\n',
    "host/CMakeLists.txt": """
        pennoria_executable(pennoria SOURCES Main.cpp
            DEPS pennoria_bridge pennoria_platform_gtk PkgConfig::GTK3)
    """,
    "host/Main.cpp": '#include "bridge/HostDialog.h"\n#include <gtk/gtk.h>\n#include <unistd.h>\n',
    "tests/TestSupport.h": "#pragma once\n",
    "tests/publish/test_publish.cpp":
        '#include "tests/TestSupport.h"\n#include "bridge/HostDialog.h"\n#include <unistd.h>\n',
}


class LayerGate(unittest.TestCase):
    def tree(self, changes=None, compile_flags=None):
        """A scratch copy of CLEAN with changes (path -> text, None removes); with
        compile_flags (path -> extra flags), a build folder with compile_commands.json."""
        root = tempfile.mkdtemp(prefix="layers-")
        self.addCleanup(subprocess.run, ["rm", "-rf", root])
        files = dict(CLEAN)
        files.update(changes or {})
        for path, text in files.items():
            if text is None:
                continue
            os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                f.write(textwrap.dedent(text))
        if compile_flags is not None:
            os.makedirs(os.path.join(root, "build"))
            entries = []
            for path in files:
                if path.endswith(".cpp") and files[path] is not None:
                    flags = f"-I{root} " + compile_flags.get(path, "")
                    entries.append({"directory": os.path.join(root, "build"),
                                    "command": f"c++ {flags} -c {os.path.join(root, path)}",
                                    "file": os.path.join(root, path)})
            with open(os.path.join(root, "build", "compile_commands.json"), "w") as f:
                json.dump(entries, f)
        return root

    def gate(self, root, *extra):
        run = subprocess.run([sys.executable, GATE, root, *extra], capture_output=True,
                             text=True, timeout=60)
        return run.returncode, run.stdout + run.stderr

    def assertRefused(self, root, *needles):
        code, out = self.gate(root)
        self.assertEqual(code, 1, out)
        for needle in needles:
            self.assertIn(needle, out)

    def test_clean_tree_passes_backends_and_host_may_use_the_desktop(self):
        code, out = self.gate(self.tree())
        self.assertEqual(code, 0, out)
        code, out = self.gate(self.tree(compile_flags={}))
        self.assertEqual(code, 0, out)

    def test_angle_bracket_include_running_up(self):
        root = self.tree({"core/Settings.cpp": '#include "core/Settings.h"\n'
                                               '#include <bridge/HostDialog.h>\n'})
        self.assertRefused(root, "core/Settings.cpp: includes <bridge/HostDialog.h>",
                           "above core/ (bridge/)")

    def test_relative_include(self):
        # Up the layers and merely relative: both refused, the first also as a layer fault.
        root = self.tree({"core/Settings.cpp": '#include "core/Settings.h"\n'
                                               '#include "../publish/Publisher.h"\n',
                          "publish/Publisher.cpp": '#include "publish/Publisher.h"\n'
                                                   '#include "../xml/XmlDocument.h"\n'})
        code, out = self.gate(root)
        self.assertEqual(code, 1, out)
        self.assertIn('core/Settings.cpp: includes "../publish/Publisher.h" by a relative name', out)
        self.assertIn("(publish/Publisher.h), which is above core/ (publish/)", out)
        self.assertIn('publish/Publisher.cpp: includes "../xml/XmlDocument.h" by a relative', out)

    def test_desktop_headers_in_portable_folders_and_the_seam(self):
        injected = {
            "core/Settings.cpp": "#include <glib.h>\n",
            "publish/Publisher.cpp": "#include <JavaScriptCore/JavaScript.h>\n#include <jsc/jsc.h>\n",
            "bridge/HostDialog.cpp": "#include <webkit2/webkit2.h>\n#include <pango/pango.h>\n",
            "xml/XmlDocument.cpp": '#include <pugixml.hpp>\n#include "cairo.h"\n',
            "platform/Files.cpp": "#include <gtk/gtk.h>\n",
        }
        root = self.tree(injected)
        self.assertRefused(root, "core/Settings.cpp: core/ includes the desktop header <glib.h>",
                           "<JavaScriptCore/JavaScript.h>", "<jsc/jsc.h>",
                           "<webkit2/webkit2.h>", "<pango/pango.h>", '"cairo.h"',
                           "platform/Files.cpp: platform/ includes the desktop header "
                           "<gtk/gtk.h>; only platform/'s backends may")

    def test_desktop_header_found_through_the_build_include_folders(self):
        # A name that says nothing, resolved by the compiler into the GLib include folder.
        system = tempfile.mkdtemp(prefix="layers-sys-")
        self.addCleanup(subprocess.run, ["rm", "-rf", system])
        os.makedirs(os.path.join(system, "glib-2.0"))
        open(os.path.join(system, "glib-2.0", "gplatform.h"), "w").close()
        root = self.tree({"core/Settings.cpp": "#include <gplatform.h>\n"},
                         {"core/Settings.cpp": f"-isystem {system}/glib-2.0"})
        self.assertRefused(root, "core/Settings.cpp: core/ includes the desktop header "
                                 "<gplatform.h>")

    def test_posix_header_in_a_portable_folder(self):
        root = self.tree({"publish/Publisher.cpp": '#include "publish/Publisher.h"\n'
                                                   "#include <sys/file.h>\n"})
        self.assertRefused(root, "publish/Publisher.cpp: portable code includes the POSIX "
                                 "header <sys/file.h>")

    def test_include_resolved_through_the_build_include_folders(self):
        # Only the compiler's include folders say that "Publisher.h" is publish/'s header.
        changes = {"xml/XmlDocument.cpp": '#include <pugixml.hpp>\n#include "Publisher.h"\n'}
        root = self.tree(changes, {"xml/XmlDocument.cpp": "-I../publish"})
        self.assertRefused(root, 'xml/XmlDocument.cpp: includes "Publisher.h" '
                                 "(publish/Publisher.h), which is above xml/")

    def test_library_linking_up(self):
        root = self.tree({"core/CMakeLists.txt": """
            pennoria_library(pennoria_core SOURCES Settings.cpp DEPS pennoria_platform)
            target_link_libraries(pennoria_core PUBLIC pennoria_bridge)
        """})
        self.assertRefused(root, "core/CMakeLists.txt: pennoria_core (core/) links "
                                 "pennoria_bridge (bridge/), which is above it")

    def test_portable_library_linking_the_desktop(self):
        root = self.tree({"publish/CMakeLists.txt": """
            pkg_check_modules(RASTER REQUIRED IMPORTED_TARGET cairo pangocairo)
            pennoria_library(pennoria_publish SOURCES Publisher.cpp
                DEPS pennoria_xml pennoria_core pennoria_platform PRIVATE_DEPS PkgConfig::RASTER)
        """})
        self.assertRefused(root, "pennoria_publish (publish/) links PkgConfig::RASTER (cairo, "
                                 "pangocairo), a desktop library")

    def test_backends_stay_beside_each_other(self):
        root = self.tree({
            "platform/engine/Engine.cpp": '#include "platform/gtk/Dialogs.h"\n',
            "platform/CMakeLists.txt": CLEAN["platform/CMakeLists.txt"] +
            "pennoria_library(pennoria_engine SOURCES engine/Engine.cpp "
            "DEPS pennoria_platform_gtk)\n"})
        self.assertRefused(root, 'platform/engine/Engine.cpp: includes "platform/gtk/Dialogs.h"',
                           "pennoria_engine (platform/engine/) links pennoria_platform_gtk "
                           "(platform/gtk/)")

    def test_missing_dependency(self):
        root = self.tree({"bridge/CMakeLists.txt": """
            pennoria_library(pennoria_bridge SOURCES HostDialog.cpp DEPS pennoria_core)
        """})
        self.assertRefused(root, 'pennoria_bridge: bridge/HostDialog.h includes '
                                 '"publish/Publisher.h" but the target does not name '
                                 "pennoria_publish")

    def test_pugixml_outside_xml(self):
        root = self.tree({
            "publish/Publisher.cpp": '#include "publish/Publisher.h"\n#include <pugixml.hpp>\n',
            "publish/CMakeLists.txt": """
                pennoria_library(pennoria_publish SOURCES Publisher.cpp
                    DEPS pennoria_xml pennoria_core pennoria_platform
                    PRIVATE_DEPS pugixml::pugixml)
            """})
        self.assertRefused(root, "publish/Publisher.cpp: includes <pugixml.hpp>; only xml/",
                           "pennoria_publish (publish/) links pugixml::pugixml; only xml/")

    def test_tests_reach_and_test_headers(self):
        # A core test may not use the bridge; product code may not use test headers.
        root = self.tree({"tests/core/test_settings.cpp": '#include "bridge/HostDialog.h"\n',
                          "publish/Publisher.cpp": '#include "publish/Publisher.h"\n'
                                                   '#include "tests/TestSupport.h"\n'})
        self.assertRefused(root, 'tests/core/test_settings.cpp: includes "bridge/HostDialog.h"',
                           "publish/Publisher.cpp: product code includes "
                           '"tests/TestSupport.h"')

    def test_readmes_agree_on_the_order(self):
        order = ("`platform/` < `core/` < `xml/` < `swf/` < `template/` < `project/` < "
                 "`publish/` < `bridge/` < `host/player/` < `host/` < `cli/`")
        good = {"README.md": f"The layers, listed from the bottom up: {order}. Each...\n",
                "core/README.md": "Depends on `platform/` only.\n"}
        code, out = self.gate(self.tree(good))
        self.assertEqual(code, 0, out)
        swapped = order.replace("`project/` < `publish/`", "`publish/` < `project/`")
        root = self.tree({"README.md": f"listed from the bottom up: {swapped}.\n"
                                       "| `project/`, `publish/` | x |\n| `core/` | y |\n",
                          "core/README.md": "Depends on `platform/` and\n`bridge/`.\n"})
        self.assertRefused(root, "README.md: the layers are listed as platform < core < xml < "
                                 "swf < template < publish < project",
                           "core/README.md: depends on `bridge/`, which is not below core/")


if __name__ == "__main__":
    unittest.main()
