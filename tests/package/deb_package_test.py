#!/usr/bin/env python3
"""Makes the Debian package with CPack, unpacks it into a scratch root (dpkg-deb -x), checks its
control fields and file list, publishes the sample project with the unpacked pennoria-cli, and
runs lintian on it: errors fail the test, every finding is printed.

usage: deb_package_test.py BUILD_DIR SOURCE_DIR VERSION
"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile

failures = []


def check(condition, what):
    print(("ok:   " if condition else "FAIL: ") + what)
    if not condition:
        failures.append(what)
    return condition


def run(args, **kwargs):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, **kwargs)


def main():
    build, source, version = sys.argv[1:4]
    for tool in ["cpack", "dpkg-deb", "dpkg-shlibdeps"]:
        if shutil.which(tool) is None:
            print("skipped: %s is not installed" % tool)
            return 77
    arch = run(["dpkg", "--print-architecture"]).stdout.strip()
    with tempfile.TemporaryDirectory(prefix="pennoria-deb-") as scratch:
        made = run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"),
                    "-B", os.path.join(scratch, "out")])
        debs = glob.glob(os.path.join(scratch, "out", "*.deb"))
        if not check(made.returncode == 0 and len(debs) == 1, "cpack -G DEB " + made.stderr[-2000:]):
            return 1
        deb = debs[0]
        check(os.path.basename(deb) == "pennoria_%s_%s.deb" % (version, arch),
              "package file name " + os.path.basename(deb))

        def field(name):
            return run(["dpkg-deb", "-f", deb, name]).stdout.strip()

        check(field("Package") == "pennoria" and field("Version") == version
              and field("Architecture") == arch, "package, version and architecture")
        depends = [d.split()[0] for d in field("Depends").split(",")]
        print("Depends: " + field("Depends"))
        for needed in ["libc6", "libstdc++6", "zlib1g", "libpugixml1v5", "libgtk-3-0",
                       "libwebkit2gtk-4.1-0", "fonts-dejavu-core"]:
            check(needed in depends, "depends on " + needed)
        check(field("Section") == "graphics" and field("Maintainer") != "", "section, maintainer")

        listing = run(["dpkg-deb", "-c", deb]).stdout
        names = {line.split(None, 5)[5].split(" -> ")[0] for line in listing.splitlines()}
        for expected in ["./usr/bin/pennoria", "./usr/bin/pennoria-cli",
                         "./usr/lib/pennoria/pennoria", "./usr/lib/pennoria/pennoria-cli",
                         "./usr/lib/pennoria/libFlashProbe.so", "./usr/lib/pennoria/ruffle/ruffle.js",
                         "./usr/lib/pennoria/Pennoria Help.chm", "./usr/lib/pennoria/help/index.html",
                         "./usr/lib/pennoria/editor/Pennoria.swf",
                         "./usr/lib/pennoria/banner-model.js",
                         "./usr/share/applications/pennoria.desktop",
                         "./usr/share/icons/hicolor/512x512/apps/pennoria.png",
                         "./usr/share/icons/hicolor/scalable/apps/pennoria.svg",
                         "./usr/share/mime/packages/pennoria.xml",
                         "./usr/share/metainfo/org.pennoria.Pennoria.metainfo.xml",
                         "./usr/share/man/man1/pennoria.1.gz", "./usr/share/man/man1/pennoria-cli.1.gz",
                         "./usr/share/doc/pennoria/copyright", "./usr/share/doc/pennoria/changelog.gz"]:
            check(expected in names, "holds " + expected)
        check(not any(n.startswith("./usr/local") or n.endswith(".map") for n in names),
              "nothing in /usr/local, no source maps")

        root = os.path.join(scratch, "root")
        check(run(["dpkg-deb", "-x", deb, root]).returncode == 0, "dpkg-deb -x")
        copyright_text = open(os.path.join(root, "usr/share/doc/pennoria/copyright")).read()
        check(copyright_text.startswith("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/")
              and "Ruffle" in copyright_text and "swfobject" in copyright_text,
              "machine-readable copyright with the bundled licences")

        cli = os.path.join(root, "usr/bin/pennoria-cli")
        out = os.path.join(scratch, "published")
        home = os.path.join(scratch, "home")
        os.makedirs(home)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   XDG_DATA_HOME=os.path.join(home, ".local/share"))
        published = run([cli, "publish", os.path.join(source, "examples/summer-sale/summer-sale.pbf"),
                         "--folder", out, "--out-mode", "1"], env=env)
        folders = os.listdir(out) if os.path.isdir(out) else []
        files = os.listdir(os.path.join(out, folders[0])) if len(folders) == 1 else []
        check(published.returncode == 0 and "template.xml" in files
              and any(n.endswith(".swf") for n in files) and any(n.endswith(".html") for n in files),
              "the unpacked pennoria-cli publishes the sample: %s %s" % (files, published.stderr.strip()))

        if shutil.which("lintian") is None:
            print("lintian is not installed: not run")
        else:
            result = run(["lintian", "--tag-display-limit", "0", deb])
            findings = [line for line in result.stdout.splitlines() if line[:2] in ("E:", "W:", "I:", "P:")]
            print("lintian findings:\n  " + "\n  ".join(findings or ["none"]))
            check(not [f for f in findings if f.startswith("E:")], "lintian reports no errors")
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
