#!/usr/bin/python3
"""End-to-end tests of vorlix.html in headless Chromium, offline, driven with Selenium.

One browser serves every case; each case opens the page afresh from file://. The page's
size is set through the DevTools protocol, so it does not depend on the browser's window.
Each case prints PASS or FAIL with its reason; the exit code is 0 only when all pass.
With --measure, the page instead rains at 1920x1080 for a while and the work per frame is
printed.
"""
import argparse
import base64
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

from selenium import webdriver
from selenium.common.exceptions import WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains

# As vorlix-record writes it: --seconds S makes round(S / 0.03) frames, numbered from 0.
STILL_SEED = 11
STILL_FRAMES = 60
STILL_SIZE = (1024, 768)
PAGE_LOAD_SECONDS = 60
# Only a bound on waiting for something to happen, never a timing asserted.
WAIT_SECONDS = 20
# Long enough that a page that still drew would show it in its counters many times over.
HIDDEN_SECONDS = 1.5

CANVAS_RGB = """
var canvas = document.getElementById('rain');
var x = arguments[0], y = arguments[1], w = arguments[2], h = arguments[3];
var pixels = canvas.getContext('2d').getImageData(x, y, w, h).data;
var rgb = new Uint8Array(w * h * 3);
for (var i = 0, j = 0; i < pixels.length; i += 4) {
  rgb[j++] = pixels[i]; rgb[j++] = pixels[i + 1]; rgb[j++] = pixels[i + 2];
}
var text = '';
for (var k = 0; k < rgb.length; k += 32768)
  text += String.fromCharCode.apply(null, rgb.subarray(k, k + 32768));
return btoa(text);
"""

DROP_FILE = """
var bytes = Uint8Array.from(atob(arguments[1]), function (c) { return c.charCodeAt(0); });
var transfer = new DataTransfer();
transfer.items.add(new File([bytes], arguments[0]));
window.dispatchEvent(new DragEvent('drop', { dataTransfer: transfer, cancelable: true }));
"""


class CaseFailure(Exception):
    pass


def check(condition, reason):
    if not condition:
        raise CaseFailure(reason)


def wait_for(predicate, timeout=WAIT_SECONDS, interval=0.05):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return predicate()


class Page:
    """The browser, and the few things the cases do with the page in it."""

    def __init__(self, page, work):
        self.url = "file://" + os.path.abspath(page)
        self.work = work
        self.driver = None

    def start(self):
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium")
        for argument in ("--headless=new", "--no-sandbox", "--disable-gpu",
                         "--disable-background-networking", "--disable-component-update",
                         "--disable-sync", "--no-first-run", "--disable-quic",
                         "--hide-scrollbars", "--window-size=1280,800",
                         "--user-data-dir=" + tempfile.mkdtemp(prefix="profile-", dir=self.work)):
            options.add_argument(argument)
        service = Service(shutil.which("chromedriver"),
                          log_path=os.path.join(self.work, "chromedriver.log"))
        self.driver = webdriver.Chrome(service=service, options=options)
        self.driver.set_page_load_timeout(PAGE_LOAD_SECONDS)
        self.driver.set_script_timeout(PAGE_LOAD_SECONDS)

    def stop(self):
        if self.driver is not None:
            self.driver.quit()
            self.driver = None

    def size(self, width, height, ratio=1):
        """The page's viewport in CSS pixels, at ratio device pixels each."""
        self.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": ratio, "mobile": False})

    def open(self, query, size, ratio=1):
        self.size(*size, ratio)
        self.driver.get(self.url + "?" + query)
        check(wait_for(lambda: self.stats() and self.stats()["ready"]),
              "the page did not start: %s" % self.browser_log())

    def stats(self):
        return self.driver.execute_script("return window.vorlixStats || null")

    def steps(self):
        return self.stats()["steps"]

    def run(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def canvas_size(self):
        return tuple(self.run("var c = document.getElementById('rain');"
                              "return [c.width, c.height];"))

    def canvas_rgb(self, x, y, width, height):
        return base64.b64decode(self.run(CANVAS_RGB, x, y, width, height))

    def shown_at(self):
        """Where the canvas shows in CSS pixels: left, top, width, height."""
        return self.run("var r = document.getElementById('rain').getBoundingClientRect();"
                        "return [r.left, r.top, r.width, r.height];")

    def full_screen(self):
        return self.run("return document.fullscreenElement !== null")

    def note(self):
        """The line the page shows, or None when it is hidden."""
        return self.run("var n = document.getElementById('note');"
                        "return n.hidden ? null : n.textContent;")

    def lit(self, x, y, width, height):
        """How many pixels of the area are not black."""
        rgb = self.canvas_rgb(x, y, width, height)
        return sum(1 for i in range(0, len(rgb), 3) if rgb[i] or rgb[i + 1] or rgb[i + 2])

    def raining(self, since):
        """Waits until the model has taken a few more steps than since."""
        return wait_for(lambda: self.steps() >= since + 5)

    def browser_log(self):
        try:
            return "; ".join(entry["message"] for entry in self.driver.get_log("browser"))
        except WebDriverException:
            return ""


class Cases:
    def __init__(self, page, record, glyphs, work):
        self.page = page
        self.record = record
        self.glyphs = glyphs
        self.work = work

    def recorder_frame(self):
        """Frame STILL_FRAMES of vorlix-record as 8-bit RGB, converted as its PNGs are."""
        frames = os.path.join(self.work, "recorded")
        shutil.rmtree(frames, ignore_errors=True)
        width, height = STILL_SIZE
        subprocess.run([self.record, "--resolution", "%dx%d" % (width, height),
                        "--seed", str(STILL_SEED), "--seconds", str(STILL_FRAMES * 0.03),
                        "--glyphs", self.glyphs, "--frames", frames,
                        "--output", os.path.join(self.work, "recorded.gif")],
                       check=True, timeout=120, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        png = os.path.join(frames, "frame%05d.png" % (STILL_FRAMES - 1))
        check(os.path.exists(png), "vorlix-record wrote no " + png)
        return subprocess.run(["convert", png, "-depth", "8", "rgb:-"], check=True,
                              timeout=60, capture_output=True).stdout

    def pixels_equal_the_recorder(self):
        wanted = self.recorder_frame()
        self.page.open("seed=%d&frames=%d&still=1" % (STILL_SEED, STILL_FRAMES), STILL_SIZE)
        check(wait_for(lambda: self.page.stats()["done"]), "the still picture never finished")
        stats = self.page.stats()
        check(stats["steps"] == STILL_FRAMES,
              "the page took %d steps, not %d" % (stats["steps"], STILL_FRAMES))
        check(self.page.canvas_size() == STILL_SIZE,
              "the canvas is %dx%d" % self.page.canvas_size())
        got = self.page.canvas_rgb(0, 0, *STILL_SIZE)
        if got != wanted:
            differing = [i // 3 for i in range(0, min(len(got), len(wanted)), 3)
                         if got[i:i + 3] != wanted[i:i + 3]]
            with open(os.path.join(self.work, "page-frame.rgb"), "wb") as out:
                out.write(got)
            first = differing[0] if differing else 0
            raise CaseFailure("%d pixels differ from vorlix-record's frame %d, the first at "
                              "(%d, %d); the page's frame is in page-frame.rgb"
                              % (len(differing), STILL_FRAMES, first % STILL_SIZE[0],
                                 first // STILL_SIZE[0]))
        # Still: nothing more is drawn afterwards.
        time.sleep(0.3)
        check(self.page.stats()["steps"] == STILL_FRAMES, "the still page kept stepping")

    def bad_value_is_named_and_rain_runs(self):
        self.page.open("density=lots&highlight=8&zoom=auto&seed=11", (800, 600))
        note = self.page.note()
        check(note is not None and "density=lots" in note and "300" in note,
              "the line for the bad value reads %r" % note)
        check(self.page.raining(0), "no rain after a bad value")
        check(wait_for(lambda: self.page.lit(0, 0, 800, 600) > 1000), "the canvas stays black")
        self.page.open("density=300&highlight=8&zoom=auto&seed=11", (800, 600))
        check(self.page.note() is None, "a line shows for good values: %r" % self.page.note())

    def resize_refills(self):
        self.page.open("seed=5", (800, 600))
        check(self.page.raining(0), "no rain at 800x600")
        check(self.page.canvas_size() == (800, 600), "the canvas is %dx%d" % self.page.canvas_size())
        self.page.size(1280, 720)
        check(wait_for(lambda: self.page.canvas_size() == (1280, 720)),
              "after the resize the canvas is %dx%d" % self.page.canvas_size())
        check(self.page.raining(self.page.steps()), "no rain after the resize")
        # Rain where the old picture never reached: right of it and below it.
        check(wait_for(lambda: self.page.lit(800, 0, 480, 720) > 1000),
              "no rain right of the old picture")
        check(wait_for(lambda: self.page.lit(0, 600, 1280, 120) > 200),
              "no rain below the old picture")
        shown = self.page.shown_at()
        check(shown == [0, 0, 1280, 720], "the canvas shows at %s" % shown)
        screenshot = os.path.join(self.work, "vorlix-web.png")
        self.page.driver.save_screenshot(screenshot)
        print("screenshot: " + screenshot)

    def hidden_page_draws_nothing(self):
        self.page.open("seed=7", (800, 600))
        check(self.page.raining(0), "no rain before hiding")
        self.page.driver.minimize_window()
        try:
            check(wait_for(lambda: self.page.run("return document.hidden")),
                  "the minimized page is not hidden")
            before = self.page.stats()
            time.sleep(HIDDEN_SECONDS)
            after = self.page.stats()
            check(after["steps"] == before["steps"] and after["presents"] == before["presents"],
                  "the hidden page drew: %s then %s" % (before, after))
        finally:
            self.page.driver.maximize_window()
        check(wait_for(lambda: not self.page.run("return document.hidden")),
              "the page is still hidden")
        check(self.page.raining(after["steps"]), "no rain once shown again")

    def dropped_glyph_files(self):
        self.page.open("seed=3", (800, 600))
        check(self.page.raining(0), "no rain before the drop")
        self.page.run(DROP_FILE, "broken.ani", base64.b64encode(b"not glyphs " * 20).decode())
        note = wait_for(self.page.note)
        check(note is not None and note.startswith("broken.ani: ") and len(note) > 14,
              "the line after a bad file reads %r" % note)
        check(self.page.raining(self.page.steps()), "no rain after a bad file")
        with open(self.glyphs, "rb") as source:
            good = base64.b64encode(source.read()).decode()
        self.page.run(DROP_FILE, "glyph2.ani", good)
        check(wait_for(lambda: self.page.note() is None),
              "the line stays after a good file: %r" % self.page.note())
        check(self.page.raining(self.page.steps()), "no rain after a good file")

    def device_pixels_and_zoom(self):
        # 1600x1200 device pixels at 192 dots per inch: the Desktop-size rule zooms by 2.
        self.page.open("seed=9", (800, 600), ratio=2)
        check(self.page.canvas_size() == (800, 600),
              "the picture is %dx%d, not 800x600 zoomed by 2" % self.page.canvas_size())
        check(self.page.shown_at() == [0, 0, 800, 600],
              "the canvas shows at %s" % self.page.shown_at())
        self.page.open("seed=9&zoom=1", (800, 600), ratio=2)
        check(self.page.canvas_size() == (1600, 1200),
              "with zoom=1 the picture is %dx%d" % self.page.canvas_size())
        check(self.page.shown_at() == [0, 0, 800, 600],
              "with zoom=1 the canvas shows at %s" % self.page.shown_at())
        check(self.page.raining(0), "no rain at two device pixels per CSS pixel")

    def saver_full_screen(self):
        self.page.open("saver=1&seed=2", (800, 600))
        actions = lambda: ActionChains(self.page.driver)
        actions().move_to_element(self.page.driver.find_element("id", "rain")).click().perform()
        check(wait_for(self.page.full_screen), "the first click gave no full screen")
        actions().move_by_offset(2, 1).perform()
        time.sleep(0.3)
        check(self.page.full_screen(), "a move of 3 pixels left full screen")
        actions().move_by_offset(20, 0).perform()
        check(wait_for(lambda: not self.page.full_screen()), "a long move kept full screen")
        actions().click().perform()
        check(wait_for(self.page.full_screen), "a click gave no full screen again")
        actions().send_keys("a").perform()
        check(wait_for(lambda: not self.page.full_screen()), "a key kept full screen")
        check(self.page.raining(self.page.steps()), "no rain after full screen")


CASES = [
    ("1 the still frame equals vorlix-record's, byte for byte", "pixels_equal_the_recorder"),
    ("2 a bad query value is named and the rain runs", "bad_value_is_named_and_rain_runs"),
    ("3 a resize refills the page", "resize_refills"),
    ("4 a hidden page draws no frames", "hidden_page_draws_nothing"),
    ("5 a dropped glyph file goes through the loader", "dropped_glyph_files"),
    ("6 device pixels and the zoom rule", "device_pixels_and_zoom"),
    ("7 saver=1: full screen on a click, left on input", "saver_full_screen"),
]


# The baseline: a canvas of the same size into which a whole unchanging frame is put every
# 30 ms, with nothing computed; what Chromium spends on any such page.
BASELINE_PAGE = """
document.body.style.margin = '0';
var canvas = document.createElement('canvas');
canvas.width = 1920; canvas.height = 1080;
document.body.appendChild(canvas);
var context = canvas.getContext('2d', { alpha: false });
var image = context.createImageData(1920, 1080);
for (var i = 1; i < image.data.length; i += 4) { image.data[i] = 200; image.data[i + 2] = 255; }
window.vorlixStats = { steps: 0, workMs: 0, stepMs: 0, presentMs: 0 };
var last = -1;
function frame(now) {
  if (last < 0 || now - last >= 120) last = now - 30;  // the page's own clock
  var due = Math.floor((now - last) / 30);
  if (due > 0) {
    var started = performance.now();
    context.putImageData(image, 0, 0);
    var spent = performance.now() - started;
    window.vorlixStats.steps += due;
    window.vorlixStats.workMs += spent;
    window.vorlixStats.presentMs += spent;
    last += due * 30;
  }
  requestAnimationFrame(frame);
}
requestAnimationFrame(frame);
"""


def measure(page, seconds, runs):
    """Work per model step at 1920x1080: the page's own time in its frame callbacks (steps,
    conversion, canvas updates), and the renderer's main-thread time as Chromium counts it;
    each run also measures the baseline page."""
    for run in range(runs):
        page.open("seed=%d" % (run + 1), (1920, 1080))
        page.raining(0)
        measure_open_page(page, seconds, "run %d" % (run + 1))
        page.driver.get("about:blank")
        page.run(BASELINE_PAGE)
        wait_for(lambda: page.steps() >= 5)
        measure_open_page(page, seconds, "run %d baseline, a whole frame put" % (run + 1))


def measure_open_page(page, seconds, title):
    page.driver.execute_cdp_cmd("Performance.enable", {})
    metrics = lambda: {m["name"]: m["value"] for m in
                       page.driver.execute_cdp_cmd("Performance.getMetrics", {})["metrics"]}
    first, start = page.stats(), metrics()
    time.sleep(seconds)
    last, end = page.stats(), metrics()
    steps = max(last["steps"] - first["steps"], 1)
    per_step = lambda name: (last[name] - first[name]) / steps
    task = (end["TaskDuration"] - start["TaskDuration"]) * 1000 / steps
    print("%s: %d steps in %.1f s; per step: page work %.3f ms (model and drawing "
          "%.3f, canvas update %.3f); renderer main thread %.3f ms"
          % (title, steps, seconds, per_step("workMs"), per_step("stepMs"),
             per_step("presentMs"), task), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--page", required=True, help="vorlix.html")
    parser.add_argument("--record", required=True, help="vorlix-record")
    parser.add_argument("--glyphs", required=True, help="the glyph2.ani inside the page")
    parser.add_argument("--work", required=True, help="directory for results")
    parser.add_argument("--measure", action="store_true", help="measure instead of testing")
    parser.add_argument("--seconds", type=float, default=5.0)
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    for path in (args.page, args.record, args.glyphs):
        if not os.path.exists(path):
            print("missing: %s (the web preset builds vorlix.html)" % path)
            return 1
    for tool in ("chromium", "chromedriver", "convert"):
        if shutil.which(tool) is None:
            print("missing tool: " + tool)
            return 1
    os.makedirs(args.work, exist_ok=True)
    page = Page(args.page, args.work)
    failures = 0
    try:
        page.start()
        if args.measure:
            measure(page, args.seconds, args.runs)
            return 0
        cases = Cases(page, os.path.abspath(args.record), os.path.abspath(args.glyphs),
                      os.path.abspath(args.work))
        for title, method in CASES:
            began = time.monotonic()
            try:
                getattr(cases, method)()
                print("PASS %s (%.1f s)" % (title, time.monotonic() - began), flush=True)
            except CaseFailure as failure:
                failures += 1
                print("FAIL %s: %s" % (title, failure), flush=True)
            except Exception:  # a broken case must not hide the others' results
                failures += 1
                print("FAIL %s:\n%s" % (title, traceback.format_exc()), flush=True)
    finally:
        page.stop()
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
