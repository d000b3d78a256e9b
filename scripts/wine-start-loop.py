#!/usr/bin/env python3
"""Starts vorlix.scr /s over and over under the Wine suite's set-up (one Xvfb, one prefix, one
wineserver) and counts the starts that end by themselves within a second: a saver that has
just begun to draw must keep running. Not part of the test command.

  scripts/wine-start-loop.py [--starts N] [--full-redraw] [--scr PATH] [--work DIR]

Each start that ended by itself keeps its log in the work directory as ended-N.log. Exit code
5 is the low byte of an access violation's code, 0xC0000005.
"""
import argparse
import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e", "wine"))
import wine_suite  # noqa: E402


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--starts", type=int, default=500)
    parser.add_argument("--full-redraw", action="store_true",
                        help="run the saver with VORLIX_FULL_REDRAW=1")
    parser.add_argument("--scr", default=os.path.join(ROOT, "build/windows/apps/windows/vorlix.scr"))
    parser.add_argument("--work", default=os.path.join(ROOT, "build/release/wine-start-loop"))
    args = parser.parse_args()
    release = os.path.join(ROOT, "build", "release")
    glyphs = os.path.join(release, "glyph2.ani")
    probe = os.path.join(release, "tests", "e2e", "wine", "wine_probe.exe")
    for path in (args.scr, glyphs, probe):
        if not os.path.exists(path):
            print("missing: %s (build the windows and release presets first)" % path)
            return 2
    wine = wine_suite.Wine(args.work, args.scr, glyphs, probe)
    ended = {}
    try:
        wine.start()
        wine.env["VORLIX_FULL_REDRAW"] = "1" if args.full_redraw else "0"
        wine.store_settings()
        wine.place_glyphs(windows=wine.glyph_bytes())
        for start in range(1, args.starts + 1):
            wine.remove_log("vorlix_fs.log")
            proc = wine.saver("/s")
            if not wine.wait_log("vorlix_fs.log", wine_suite.THREAD_STARTED, 40):
                print("start %d: the draw thread did not start" % start, flush=True)
            time.sleep(1.0)
            code = proc.poll()
            if code is not None:
                ended[code] = ended.get(code, 0) + 1
                with open(os.path.join(args.work, "ended-%d.log" % start), "w") as log:
                    log.write(wine.log("vorlix_fs.log"))
                print("start %d ended by itself, exit code %d" % (start, code), flush=True)
            wine.kill(proc)
            wine.started.clear()
            if start % 50 == 0:
                print("%d starts, ended by themselves (exit code: count): %s"
                      % (start, ended), flush=True)
    finally:
        wine.stop()
    print("%d starts; ended by themselves (exit code: count): %s" % (args.starts, ended))
    return 1 if ended else 0


if __name__ == "__main__":
    sys.exit(main())
