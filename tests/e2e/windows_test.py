#!/usr/bin/python3
# The Windows program under Wine, on the private desktop of scripts/run-under-x, against the
# recording server of e2e_test.py. Wine has no browser engine here, so no page is drawn: the
# requests, the window, its menus and dialogs, and the files are what is checked.
#   windows_test.py KESTROVA.EXE [UnderWine.test ...]
import glob, os, pathlib, re, subprocess, sys, tempfile, time, unittest

import e2e_test as e2e
from e2e_test import KEY, menu, windows, xdotool

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXE = None


def win(path): return "Z:" + path.replace("/", "\\")


class UnderWine(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # A new Wine prefix takes many seconds to make: made here, not in the window's time.
        os.environ["KESTROVA_WINEPREFIX"] = os.path.join(os.path.dirname(EXE), "wine")
        subprocess.run([ROOT / "scripts/run-under-wine", "cmd.exe", "/c", "exit"], timeout=300, capture_output=True)
        e2e.PROGRAM = str(ROOT / "scripts/run-under-wine")

    def setUp(self):
        self.server, self.scratch = e2e.Server(), tempfile.mkdtemp(prefix="kestrova-wine-")
        self.pages, self.trace = ["/a.html", "/b.html", "/c.html"], f"{self.scratch}/trace.log"
        self.list = e2e.write(f"{self.scratch}/My Lists/list.txt", *map(self.server.url, self.pages))

    def launch(self, *args):
        # Wine quotes the path with blanks on the command line, as a shortcut would.
        self.program = e2e.Program([EXE, "/f=" + win(self.list), *args], self.scratch, KESTROVA_TRACE=win(self.trace))
        self.addCleanup(self.program.kill)
        return self.program.main_window()

    def test_run(self):
        window = self.launch("/t=1")
        seen = self.server.wait(self.pages, 6, 30)
        self.assertEqual([r.path for r in seen], self.pages * 2)
        gaps = [b.at - a.at for a, b in zip(seen[1:], seen[2:])]
        self.assertTrue(all(0.7 <= g <= 1.6 for g in gaps), gaps)
        # Every control where the design puts it, at 15 twips a pixel (96 DPI).
        placed = re.findall(r"placed (\w+) (\d+),(\d+) (\d+)x(\d+) twips at (\d+),(\d+) (\d+)x(\d+)", e2e.read(self.trace))
        self.assertEqual(len({p[0] for p in placed}), 22)
        self.assertEqual([p[5:] for p in placed], [tuple(str(round(int(t) / 15)) for t in p[1:5]) for p in placed])

        # No Cache reaches WinINet's cache: on the second pass each page's entry is there to remove.
        # (Wine's engine fetches every page again whatever the cache holds; when No Cache is read
        # is the core's rule, in the unit tables.)
        self.assertGreaterEqual(e2e.read(self.trace).count(" (held)"), len(self.pages))
        self.assertTrue(e2e.stop_ends_run(self.program, window, self.server))

        # About opens and closes; Save writes the list with CR LF; File > Exit ends the program.
        menu(self.program.pid, window, "h"), xdotool(*KEY, "a")
        self.assertTrue(e2e.until(lambda: "About Kestrova" in windows(self.program.pid).values(), 10))
        xdotool(*KEY, "Return")
        self.assertTrue(e2e.until(lambda: "About Kestrova" not in windows(self.program.pid).values(), 10))
        # Help > Contents shows the document beside the program.
        menu(self.program.pid, window, "h"), xdotool(*KEY, "c")
        help_page = "navigate file:///" + win(os.path.dirname(EXE)).replace("\\", "/") + "/help.html"
        self.assertTrue(e2e.until(lambda: help_page in e2e.read(self.trace), 10), help_page)
        menu(self.program.pid, window, "f"), xdotool(*KEY, "s")
        self.assertTrue(e2e.until(lambda: "Save As" in windows(self.program.pid).values(), 10))
        xdotool("type", win(f"{self.scratch}/saved.txt")), xdotool(*KEY, "Return")
        saved = pathlib.Path(f"{self.scratch}/saved.txt")
        self.assertTrue(e2e.until(saved.exists, 10))
        self.assertEqual(saved.read_bytes(), "".join(self.server.url(p) + "\r\n" for p in self.pages).encode())
        menu(self.program.pid, window, "f"), xdotool(*KEY, "x")
        self.assertEqual(self.program.process.wait(10), 0)

    def test_installer(self):
        # Silent and per user: the program, its documents, a Start-menu entry; then the uninstaller
        # takes all of it away (it runs again from a copy of itself, so it is waited for).
        folder, wine = f"{self.scratch}/Kestrova", [ROOT / "scripts/run-under-wine"]
        subprocess.run([*wine, os.path.join(os.path.dirname(EXE), "kestrova-setup.exe"), "/S", "/D=" + win(folder)],
                       timeout=120, check=True)
        self.assertEqual(sorted(os.listdir(folder)),
                         ["help.html", "kestrova.exe", "license-pro.html", "sample-playlist.txt", "uninstall.exe"])
        entry = glob.glob(os.environ["KESTROVA_WINEPREFIX"] + "/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"
                          "Start Menu/Programs/Kestrova.lnk")
        self.assertEqual(len(entry), 1)
        subprocess.run([*wine, f"{folder}/uninstall.exe", "/S"], timeout=120, check=True)
        self.assertTrue(e2e.until(lambda: not os.path.exists(folder) and not os.path.exists(entry[0]), 30))

    def test_closing(self):
        # Closing the window ends the program at once, in a long wait.
        window = self.launch("/t=300")
        self.server.wait(self.pages[:1], 1, 30)
        xdotool("windowactivate", "--sync", window), xdotool(*KEY, "alt+F4")
        pressed = time.monotonic()
        self.assertEqual(self.program.process.wait(10), 0)
        self.assertLess(time.monotonic() - pressed, 1.0)


if __name__ == "__main__":
    EXE = os.path.abspath(sys.argv[1])
    unittest.main(argv=sys.argv[:1] + sys.argv[2:])
