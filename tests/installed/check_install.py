#!/usr/bin/env python3
"""Installs the build tree into a scratch prefix and checks that the installed program folder
holds the same data files, with the same layout, as the build tree's program folder.

usage: check_install.py BUILD_DIR PROGRAM_DIR INSTALL_PROGRAM_DIR(relative to the prefix)
"""

import os
import subprocess
import sys
import tempfile

DATA = ["editor/templateEditor/theme.swf", "editor/templateEditor/userface.swf",
        "editor/templateEditor/res/template.swf",
        "editor/templateEditor/res/LiberationSansRegular.swf", "editor/templateEditor/res/DejaVuSansBoldOblique.swf",
        "editor/templateEditor/common/swfobject.js", "editor/templateEditor/html5/creative.js",
        "editor/templateEditor/common/normal_screen/embed/index.htt",
        "editor/templateEditor/common/normal_screen/embed/fs_aux.htt",
        "editor/templateEditor/common/normal_screen/swfObject/index.htt",
        "editor/templateEditor/common/normal_screen/swfObject/fs_aux.htt",
        "Pennoria Help.chm", "banner-model.js"]
FOLDERS = ["lang", "skins/frame", "ruffle", "help", "fonts"]


def main():
    build, program, relative = sys.argv[1:4]
    expected = list(DATA)
    for folder in FOLDERS:
        expected += [folder + "/" + name for name in sorted(os.listdir(os.path.join(program, folder)))]
    with tempfile.TemporaryDirectory(prefix="pennoria-install-") as prefix:
        run = subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        if run.returncode != 0:
            print(run.stdout)
            print("0 passed, 1 failed")
            return 1
        installed = os.path.join(prefix, relative)
        failed = 0
        for name in expected:
            source, target = os.path.join(program, name), os.path.join(installed, name)
            if not os.path.isfile(target):
                print("missing:", name)
                failed += 1
            elif os.path.getsize(target) != os.path.getsize(source):
                print("differs:", name)
                failed += 1
        for folder in FOLDERS:
            extra = set(os.listdir(os.path.join(installed, folder))) - set(
                os.listdir(os.path.join(program, folder)))
            for name in sorted(extra):
                print("unexpected:", folder + "/" + name)
                failed += 1
    print("%d passed, %d failed" % (len(expected) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
