#!/usr/bin/env python3
"""pennoria-cli on whole projects, as a script uses it: projects one past each limit of the reader
are refused by publish with the limit named and nothing written.

    test_project_commands.py PROGRAM_FOLDER"""

import os
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None
MAX_ELEMENTS, MAX_SIZES, MAX_LABEL = 1000, 20, 5000


def project(elements=3, sizes=1, label=10):
    """A project of `elements` texts (the first `label` characters long) at `sizes` sizes."""
    out = ['<?xml version="1.0" encoding="UTF-8"?>\n'
           '<template version="2" demoWidth="300" demoHeight="250" bgColor="#1E3A5F"><elements>']
    for i in range(elements):
        text = "w" * label if i == 0 else "e%d" % i
        out.append('<text id="t%d" x="%d" y="%d" width="40" height="20" size="12"><label>%s</label></text>'
                   % (i, i % 260, i % 230, text))
    out.append('</elements><sizes><size width="300" height="250"/>')
    out += ['<size width="%d" height="250"/>' % (300 + s) for s in range(1, sizes)]
    out.append('</sizes></template>\n')
    return "".join(out)


class Commands(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="project-commands-")
        self.addCleanup(subprocess.run, ["rm", "-rf", self.root])
        self.env = dict(os.environ, HOME=self.root, XDG_CONFIG_HOME=self.root + "/config",
                        XDG_DATA_HOME=self.root + "/data", PENNORIA_DEBUG_LOG="")
        self.cli = os.path.join(PROGRAM, "pennoria-cli")

    def write(self, name, text):
        path = os.path.join(self.root, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return path

    def run_cli(self, *arguments):
        return subprocess.run([self.cli, *arguments], capture_output=True, env=self.env, timeout=300)

    def test_publish_refuses_a_project_one_past_each_limit(self):
        web = os.path.join(self.root, "web")
        os.makedirs(web)
        cases = [
            ("elements", project(elements=MAX_ELEMENTS + 1), "1001 elements (at most 1000)"),
            ("sizes", project(sizes=MAX_SIZES + 1), "21 sizes (at most 20)"),
            ("text", project(label=MAX_LABEL + 1), "5001 characters in a text (at most 5000)"),
        ]
        for name, text, said in cases:
            with self.subTest(limit=name):
                path = self.write(name + ".pbf", text)
                run = self.run_cli("publish", path, "--folder", web, "--html5", "yes",
                                   "--overwrite", "yes")
                self.assertEqual(run.returncode, 1, run.stderr)
                self.assertIn(said, run.stderr.decode())
                self.assertIn("cannot be published", run.stderr.decode())
                written = [f for _, _, files in os.walk(web) for f in files]
                self.assertEqual(written, [])
                with open(path, encoding="utf-8") as f:
                    self.assertEqual(f.read(), text)
        # At every limit the whole project is published, each of its sizes.
        path = self.write("full.pbf", project(elements=MAX_ELEMENTS, sizes=3, label=MAX_LABEL))
        run = self.run_cli("publish", path, "--folder", web, "--html5", "no", "--player", "none",
                           "--overwrite", "yes")
        self.assertEqual(run.returncode, 0, run.stderr)
        folder = os.path.join(web, "banner")
        self.assertEqual(sorted(d for d in os.listdir(folder) if "x" in d and d[0].isdigit()),
                         ["300x250", "301x250", "302x250"])
        with open(os.path.join(folder, "template.xml"), encoding="utf-8") as f:
            published = f.read()
        self.assertEqual(published.count("<text "), MAX_ELEMENTS)
        self.assertIn("w" * MAX_LABEL + "<", published)


if __name__ == "__main__":
    PROGRAM = sys.argv.pop(1)
    unittest.main()
