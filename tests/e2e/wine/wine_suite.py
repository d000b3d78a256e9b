#!/usr/bin/env python3
"""End-to-end tests of vorlix.scr under Wine in Xvfb, and on two monitors.

One Xvfb, one Wine prefix (kept under the build tree and reused) and one persistent
wineserver serve every case. The cases on two monitors share one multi-head Xorg (the dummy
driver, started by scripts/multihead-x.sh); Wine moves to it and back by starting its
wineserver anew. Every wait is bounded; every process is stopped by its own id.
Each case prints PASS or FAIL with its reason; the exit code is 0 only when all pass.
"""
import argparse
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import xml.etree.ElementTree as ElementTree

import pe_resources

SETTINGS_KEY = r"HKLM\Software\Korvanth\Vorlix"
# Wine's reg tool by its full path. By its bare name ("wine reg") Wine starts it through
# start.exe, and that extra process now and then dies as it exits, before or after reg did
# its work: exit 127 from glibc's "Inconsistency detected by ld.so: dl-fini.c" assertion, or
# exit 1 with nothing printed: about one start in a thousand here, one suite run in six.
REG = r"C:\windows\system32\reg.exe"
SCREEN = (1024, 768)
# The two monitors of the multi-head cases: the primary, and one to its right.
TWO_MONITORS = ("1920x1080+0+0", "1280x1024+1920+0")
MULTIHEAD_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..",
                                "scripts", "multihead-x.sh")
EXIT_MINUS_ONE = 255  # -1 as the exit code seen through wine

START_LINE = "LOG_INFO: [InitErrorMsg] DEBUG SESSION STARTED\n\n"
END_LINE = "LOG_INFO: \n[StopErrorMsg] DEBUG SESSION TERMINATED\n"
THREAD_STARTED = "[DrawVorlix] Thread created. Drawing Vorlix"
GLYPHS_LOADED = "[WM_CREATE] Glyph images loaded"
MISSING_GLYPHS_TEXT = "\n".join([
    "Unable to load glyph animation file.",
    "",
    "Make sure you have unzipped both the files",
    '"vorlix.scr" and "glyph2.ani"',
    "to your Windows directory",
    "",
    "Please do NOT send me questions on how",
    "to use a zip utility or any other similar",
    "questions. Thanks.",
])
DIALOG_IDS = (1, 2, 1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007)
SYSTEM_DLLS = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "ADVAPI32.DLL", "DDRAW.DLL",
               "WINMM.DLL", "MSVCRT.DLL"}
BAD_MODE_TEXT = "Unable to set display mode. Try a diffrent resolution setting"
# Windows Vista, 7, 8, 8.1 and 10 (which 11 shares), as the manifest's supportedOS ids.
SUPPORTED_OS_IDS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
}


class CaseFailure(Exception):
    pass


def check(condition, reason):
    if not condition:
        raise CaseFailure(reason)


def wait_for(predicate, timeout, interval=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return predicate()


class Wine:
    """Xvfb, the prefix and the wineserver, and the small actions the cases are made of."""

    def __init__(self, work_dir, scr, glyphs, probe, installer="", backend_check=""):
        self.installer = installer
        self.backend_check = backend_check
        self.stderr_seen = 0
        self.work_dir = os.path.abspath(work_dir)
        self.scr = scr
        self.glyphs = glyphs
        self.probe_exe = probe
        self.prefix = os.path.join(self.work_dir, "prefix")
        self.windows_dir = os.path.join(self.prefix, "drive_c", "windows")
        self.system_dir = os.path.join(self.windows_dir, "system32")
        self.xvfb = None
        self.xvfb_display = ""
        self.multihead_state = os.path.join(self.work_dir, "multihead")
        self.multihead_display = ""
        self.server = None
        self.started = []
        self.env = dict(os.environ)

    # --- set-up and clean-up -------------------------------------------------------------
    def start(self):
        os.makedirs(self.work_dir, exist_ok=True)
        open(os.path.join(self.work_dir, "wine-stderr.log"), "w").close()
        self.start_xvfb()
        self.env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all,err+winediag,err+seh",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })
        if not os.path.exists(os.path.join(self.prefix, "system.reg")):
            print("creating the Wine prefix (once)", flush=True)
            self.run(["wineboot", "-i"], timeout=300)
            self.run(["wineserver", "-w"], timeout=120)
        self.start_server()
        self.reg_add(r"HKCU\Software\Wine\Direct3D", "renderer", "REG_SZ", "gdi")
        self.reg_add(r"HKCU\Software\Wine\WineDbg", "ShowCrashDialog", "REG_DWORD", "0")
        self.run(["wine", REG, "delete", r"HKCU\Software\Wine\Explorer", "/v", "Desktop", "/f"],
                 timeout=30, check_rc=False)

    def start_xvfb(self):
        # A display number of our own, away from the low numbers other suites pick first.
        for number in range(64 + os.getpid() % 32, 128):
            if os.path.exists("/tmp/.X%d-lock" % number):
                continue
            if self.try_xvfb(number):
                self.xvfb_display = ":%d" % number
                self.env["DISPLAY"] = self.xvfb_display
                return
        raise RuntimeError("Xvfb did not start")

    def try_xvfb(self, number):
        # A 16-bit screen: the preview draws in the desktop's own mode, which must be 16-bit.
        # The pipe's read end stays open as long as Xvfb runs: Xvfb may write the number and
        # its line feed separately, and a closed pipe at the second write kills it.
        # -noreset: without it Xvfb resets when its last client leaves and refuses whoever
        # connects during the reset.
        read_end, write_end = os.pipe()
        proc = subprocess.Popen(
            ["Xvfb", "-noreset", ":%d" % number, "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx16" % SCREEN, "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL,
            stderr=open(os.path.join(self.work_dir, "xvfb.log"), "w"), start_new_session=True)
        os.close(write_end)
        answer = b""
        deadline = time.monotonic() + 30
        while b"\n" not in answer and time.monotonic() < deadline and proc.poll() is None:
            ready, _, _ = select.select([read_end], [], [], 1)
            if ready:
                chunk = os.read(read_end, 64)
                if not chunk:
                    break
                answer += chunk
        if answer.decode().strip() == str(number) and proc.poll() is None:
            self.xvfb = proc
            self.xvfb_pipe = read_end
            return True
        self.kill(proc)
        os.close(read_end)
        return False

    def start_server(self):
        self.server = subprocess.Popen(["wineserver", "-f", "-p"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       start_new_session=True)

    def stop_server(self):
        if self.server is None:
            return
        # Ends every Wine process of this prefix, the background services included.
        try:
            subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except subprocess.TimeoutExpired:
            pass
        self.kill(self.server, grace=10)
        self.server = None

    def use_display(self, display):
        """Moves Wine to another X server. Its desktop process keeps the display it started
        with, and the monitors it read there: every Wine process starts anew."""
        if self.env["DISPLAY"] == display:
            return
        self.stop_server()
        self.env["DISPLAY"] = display
        self.start_server()

    def use_two_monitors(self):
        """The multi-head Xorg with TWO_MONITORS, started once; Wine moved to it."""
        if not self.multihead_display:
            result = subprocess.run(["bash", MULTIHEAD_SCRIPT, "start", self.multihead_state]
                                    + list(TWO_MONITORS), capture_output=True, text=True,
                                    timeout=120)
            if result.returncode != 0:
                raise CaseFailure("the multi-head X server did not start: %s"
                                  % result.stderr.strip())
            self.multihead_display = result.stdout.strip().splitlines()[-1]
        self.use_display(self.multihead_display)

    def use_xvfb(self):
        self.use_display(self.xvfb_display)

    def x_server_pid(self):
        if self.env["DISPLAY"] == self.multihead_display:
            return int(read_text(os.path.join(self.multihead_state, "xorg.pid")).strip())
        return self.xvfb.pid

    def monitors(self):
        """The connected outputs as xrandr lists them: [(name, "WxH+X+Y")]."""
        result = subprocess.run(["xrandr"], env=self.env, capture_output=True, text=True,
                                timeout=30)
        found = []
        for line in result.stdout.splitlines():
            parts = line.split()
            if len(parts) < 3 or parts[1] != "connected":
                continue
            geometry = parts[3] if parts[2] == "primary" and len(parts) > 3 else parts[2]
            if re.match(r"^\d+x\d+\+-?\d+\+-?\d+$", geometry):
                found.append((parts[0], geometry))
        return found

    def stop(self):
        for proc in self.started:
            self.kill(proc)
        self.stop_server()
        if self.multihead_display:
            subprocess.run(["bash", MULTIHEAD_SCRIPT, "stop", self.multihead_state],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        if self.xvfb is not None:
            self.kill(self.xvfb)
            os.close(self.xvfb_pipe)

    @staticmethod
    def kill(proc, grace=0.0):
        if proc.poll() is None and grace > 0:
            try:
                proc.wait(timeout=grace)
            except subprocess.TimeoutExpired:
                pass
        if proc.poll() is None:
            try:
                os.killpg(proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass

    def crash_report(self):
        """Wine's report of an unhandled exception since the last look, or ""."""
        path = os.path.join(self.work_dir, "wine-stderr.log")
        text = read_text(path)
        fresh, self.stderr_seen = text[self.stderr_seen:], len(text)
        for line in fresh.splitlines():
            if "Unhandled" in line or "page fault" in line:
                return line
        return ""

    # --- processes ---------------------------------------------------------------------
    def run(self, argv, timeout, check_rc=True):
        # Output goes through files, not pipes: Wine's background services inherit the
        # descriptors of the command that started them and would hold a pipe open for good.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            proc = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                    stderr=err, start_new_session=True)
            try:
                code = proc.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                self.kill(proc)
                raise RuntimeError("%s did not finish in %d s" % (argv, timeout))
            out.seek(0)
            err.seek(0)
            result = subprocess.CompletedProcess(argv, code,
                                                 out.read().decode("latin-1"),
                                                 err.read().decode("latin-1"))
        if check_rc and result.returncode != 0:
            raise RuntimeError("%s failed (%d): %s%s" % (argv, result.returncode,
                                                          result.stdout, result.stderr))
        return result

    def launch(self, argv, stdout=None):
        # Wine's own complaints of every started program go to one file for diagnosis.
        with open(os.path.join(self.work_dir, "wine-stderr.log"), "a") as errors:
            errors.write("=== %s\n" % " ".join(argv))
            errors.flush()
            proc = subprocess.Popen(argv, env=self.env, stdin=subprocess.DEVNULL,
                                    stdout=stdout or subprocess.DEVNULL, stderr=errors,
                                    start_new_session=True)
        self.started.append(proc)
        return proc

    def saver(self, *switches):
        return self.launch(["wine", self.scr] + list(switches))

    def run_saver(self, switches, timeout):
        """Runs the saver to its end; returns its exit code, or None when it overran."""
        proc = self.saver(*switches)
        return self.exit_code(proc, timeout)

    def exit_code(self, proc, timeout):
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.kill(proc)
            return None

    @staticmethod
    def exit_code_if_ended(proc, timeout):
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    @staticmethod
    def alive(proc):
        return proc.poll() is None

    def stuck_report(self, proc):
        """For a program that did not get going: its state, Wine's processes and their waits."""
        state = "still running" if self.alive(proc) else "exit code %r" % proc.poll()
        listing = subprocess.run(["ps", "-eo", "pid,ppid,stat,etimes,wchan:24,args"],
                                 capture_output=True, text=True).stdout.splitlines()
        wine = [line for line in listing[1:] if "wine_suite.py" not in line
                and (".exe" in line or "wine" in line or "vorlix" in line)]
        return "%s; processes:\n%s" % (state, "\n".join([listing[0]] + wine))

    def probe(self, *args):
        return self.run(["wine", self.probe_exe] + list(args), timeout=30, check_rc=False)

    # --- the registry ------------------------------------------------------------------
    def reg_add(self, key, name, kind, data):
        self.run(["wine", REG, "add", key, "/v", name, "/t", kind, "/d", data, "/f"], timeout=30)

    def reg_delete_settings(self):
        self.run(["wine", REG, "delete", SETTINGS_KEY, "/f"], timeout=30, check_rc=False)

    def reg_value(self, name):
        result = self.run(["wine", REG, "query", SETTINGS_KEY, "/v", name], timeout=30,
                          check_rc=False)
        for line in result.stdout.splitlines():
            parts = line.split()
            if len(parts) >= 2 and parts[0] == name:
                return parts[1], (parts[2] if len(parts) > 2 else "")
        return None

    def store_settings(self, resolution="1024x768", density=300, highlight=8):
        self.reg_add(SETTINGS_KEY, "Resolution", "REG_SZ", resolution)
        self.reg_add(SETTINGS_KEY, "Density", "REG_DWORD", str(density))
        self.reg_add(SETTINGS_KEY, "HighlightDensity", "REG_DWORD", str(highlight))

    # --- files -------------------------------------------------------------------------
    def place_glyphs(self, windows=None, system=None):
        """Puts glyph file contents (bytes) in the Windows and system directories; None
        removes the file."""
        for directory, data in ((self.windows_dir, windows), (self.system_dir, system)):
            path = os.path.join(directory, "glyph2.ani")
            if os.path.exists(path):
                os.remove(path)
            if data is not None:
                with open(path, "wb") as out:
                    out.write(data)

    def glyph_bytes(self):
        with open(self.glyphs, "rb") as source:
            return source.read()

    def log(self, name):
        path = os.path.join(self.windows_dir, name)
        try:
            with open(path, "rb") as source:
                return source.read().decode("latin-1")
        except FileNotFoundError:
            return ""

    def remove_log(self, name):
        path = os.path.join(self.windows_dir, name)
        if os.path.exists(path):
            os.remove(path)

    def wait_log(self, name, text, timeout):
        return wait_for(lambda: text in self.log(name), timeout)

    # --- the screen and input ----------------------------------------------------------
    def xdotool(self, *args):
        self.run(["xdotool"] + list(args), timeout=10, check_rc=False)

    def screenshot(self):
        return self.run_bytes(["import", "-silent", "-window", "root", "-depth", "8", "rgb:-"])

    def screen_size(self):
        width, height = self.run_bytes(["xdotool", "getdisplaygeometry"]).split()
        return int(width), int(height)

    def run_bytes(self, argv, data=None):
        result = subprocess.run(argv, env=self.env, input=data, capture_output=True, timeout=30)
        if result.returncode != 0:
            raise RuntimeError("%s failed: %s" % (argv, result.stderr[-500:]))
        return result.stdout

    def controls(self, title):
        """The controls of the top-level window title: {id: (class, text, checked, rect)}."""
        result = self.probe("controls", title)
        if result.returncode != 0:
            return None
        found = {}
        for line in result.stdout.splitlines():
            parts = line.split("|")
            if len(parts) != 5:
                continue
            rect = tuple(int(v) for v in parts[4].split())
            found.setdefault(int(parts[0]), []).append(
                (parts[1], parts[2].replace("\\n", "\n"), int(parts[3]), rect))
        return found

    def wait_window(self, title, timeout, needed=()):
        """The controls of window title once it shows the needed control ids (and, for a
        message box, its text)."""
        def ready():
            found = self.controls(title)
            if not found or any(i not in found for i in needed):
                return None
            return found if needed or box_text(found) else None
        return wait_for(ready, timeout, interval=0.3)


def read_text(path):
    try:
        with open(path) as source:
            return source.read()
    except FileNotFoundError:
        return ""


def green_pixels(rgb):
    """Pixels whose green clearly outweighs red and blue: the glyphs' colours."""
    reds, greens, blues = rgb[0::3], rgb[1::3], rgb[2::3]
    return sum(1 for r, g, b in zip(reds, greens, blues) if g >= 48 and g > r + 24 and g > b + 24)


def region(rgb, width, rect):
    """The pixels of rect (left, top, right, bottom) of a screenshot width pixels wide."""
    left, top, right, bottom = rect
    return b"".join(rgb[(y * width + left) * 3:(y * width + right) * 3]
                    for y in range(top, bottom))


MONITOR_LINE = re.compile(r"\[WM_CREATE\] Monitor (\d+): (\d+)x(\d+) at (-?\d+),(-?\d+), (.*)")


def logged_monitors(log):
    """The monitors the log lists: [(rect, what)], in the order listed."""
    found = []
    for match in MONITOR_LINE.finditer(log):
        width, height, left, top = (int(match.group(i)) for i in range(2, 6))
        found.append(((left, top, left + width, top + height), match.group(6).strip()))
    return found


def geometry_rect(geometry):
    """xrandr's WxH+X+Y as (left, top, right, bottom)."""
    width, height, left, top = (int(v) for v in re.split(r"[x+]", geometry))
    return (left, top, left + width, top + height)


def state_lines(log):
    return [line for line in log.splitlines() if "[STATE]" in line]


def changed_pixels(first, second):
    return sum(1 for a, b in zip(first[1::3], second[1::3]) if a != b)


def box_text(controls):
    """The message text of a message box: its longest static text."""
    texts = [text for entries in controls.values() for (cls, text, _, _) in entries
             if cls.lower() == "static"]
    return max(texts, key=len) if texts else ""


class Cases:
    def __init__(self, wine):
        self.wine = wine
        self.glyphs = wine.glyph_bytes()
        self.heads = 1
        self.primary_states = []  # [STATE] lines of a two-monitor run ended on the primary

    # --- shared steps ------------------------------------------------------------------
    def module_table(self):
        """12: the module exports its three entry points and imports only system DLLs."""
        objdump = shutil.which("x86_64-w64-mingw32-objdump")
        check(objdump, "x86_64-w64-mingw32-objdump is missing")
        table = subprocess.run([objdump, "-p", self.wine.scr], capture_output=True, text=True,
                               timeout=60).stdout
        imports = {line.split(":", 1)[1].strip().upper() for line in table.splitlines()
                   if "DLL Name:" in line}
        exports = {line.split("]", 1)[1].strip() for line in table.splitlines()
                   if line.strip().startswith("[") and "]" in line}
        foreign = imports - SYSTEM_DLLS
        check(not foreign, "imports outside the system: %s" % sorted(foreign))
        wanted = {"ScreenSaverProc", "ScreenSaverConfigureDialog", "DrawVorlix"}
        check(wanted <= exports, "exports: %s" % sorted(exports))
        return "imports %s" % " ".join(sorted(imports))

    def manifest(self):
        """13: the module's manifest asks for DPI awareness, Common Controls 6 and the
        supported Windows versions (case 7 shows the dialog still opens with it)."""
        data = pe_resources.resource(self.wine.scr, pe_resources.RT_MANIFEST, 1)
        check(data, "no RT_MANIFEST resource with id 1 in the module")
        try:
            root = ElementTree.fromstring(data)
        except ElementTree.ParseError as error:
            raise CaseFailure("the manifest is no well-formed XML: %s" % error)
        texts = {element.tag.rsplit("}", 1)[-1]: (element.text or "").strip()
                 for element in root.iter()}
        check(texts.get("dpiAware", "").lower() in ("true", "true/pm"),
              "dpiAware is %r" % texts.get("dpiAware"))
        check(texts.get("dpiAwareness", "").split(",")[0].strip() == "PerMonitorV2",
              "dpiAwareness is %r" % texts.get("dpiAwareness"))
        identities = [element.attrib for element in root.iter()
                      if element.tag.endswith("assemblyIdentity")]
        check(any(identity.get("name") == "Microsoft.Windows.Common-Controls" and
                  identity.get("version") == "6.0.0.0" for identity in identities),
              "no Common Controls 6 dependency: %r" % identities)
        systems = {element.get("Id", "").lower() for element in root.iter()
                   if element.tag.endswith("supportedOS")}
        check(SUPPORTED_OS_IDS <= systems, "supportedOS misses %s" % (SUPPORTED_OS_IDS - systems))
        return "%d bytes" % len(data)

    def backend_seam(self):
        """0: the backend's seam functions on the real system."""
        program = self.wine.backend_check
        check(program and os.path.exists(program), "no backend check program: %r" % program)
        result = self.wine.run(["wine", program], timeout=60, check_rc=False)
        failed = [line for line in result.stdout.splitlines() if line.startswith("FAIL")]
        check(result.returncode == 0 and not failed,
              "exit code %d; %s" % (result.returncode, "; ".join(failed)))
        return result.stdout.splitlines()[-1] if result.stdout else ""

    def start_full_screen(self, pointer=(500, 400)):
        self.wine.remove_log("vorlix_fs.log")
        self.wine.xdotool("mousemove", str(pointer[0]), str(pointer[1]))
        proc = self.wine.saver("/s")
        started = self.wine.wait_log("vorlix_fs.log", THREAD_STARTED, 40)
        check(started, "the draw thread did not start; %s; log:\n%s"
              % (self.wine.stuck_report(proc), self.wine.log("vorlix_fs.log")))
        if not self.wine.alive(proc):
            # Exit code 5 is the low byte of an access violation's code, 0xC0000005.
            raise CaseFailure("the saver ended right after starting, exit code %r; log:\n%s"
                              % (proc.poll(), self.wine.log("vorlix_fs.log")))
        return proc

    def close_with_keys(self, proc):
        self.close_with(proc, "key", "x")

    def close_with(self, proc, *action):
        """The action twice: the first close is trapped, the second ends the saver."""
        name = " ".join(action)
        self.wine.xdotool(*action)
        time.sleep(1.0)
        check(self.wine.alive(proc), "the first %s (trapped close) ended the saver" % name)
        self.wine.xdotool(*action)
        # On a loaded machine an X event now and then never reaches Wine's window: one more
        # is allowed before the case fails.
        code = self.wine.exit_code_if_ended(proc, 8)
        if code is None and self.wine.alive(proc):
            print("      note: a %s was not delivered; again" % name, flush=True)
            self.wine.xdotool(*action)
        code = self.wine.exit_code(proc, 15)
        check(code == 0, "second %s: exit code %r, expected 0" % (name, code))

    def dismiss_box(self, proc, expected, contains=False):
        box = self.wine.wait_window("Vorlix", 20)
        check(box, "no message box appeared")
        text = box_text(box)
        matched = expected in text if contains else text == expected
        check(matched, "message box says %r, expected %r" % (text, expected))
        code = self.click_box_and_press_return(proc, box)
        check(code is not None, "the saver did not end after the message box")
        return code

    def click_box_and_press_return(self, proc, box):
        """Return on the message box; the exit code, or None when the process lives on. The
        box is clicked first, as a person would: with no window manager, a box that opens
        after another program's window has closed does not get the keyboard by itself."""
        text_rect = [rect for entries in box.values() for (cls, text, _, rect) in entries
                     if cls.lower() == "static" and text == box_text(box)]
        if text_rect:
            left, top, right, bottom = text_rect[0]
            self.wine.xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2),
                              "click", "1")
        self.wine.xdotool("key", "Return")
        return self.wine.exit_code(proc, 15)

    # --- the cases ---------------------------------------------------------------------
    def full_screen_run(self):
        """1 and 3: first run, log lines, pixels, movement, two key presses."""
        self.wine.reg_delete_settings()
        self.wine.place_glyphs(windows=self.glyphs)
        proc = self.start_full_screen()
        log = self.wine.log("vorlix_fs.log")
        check(log.startswith(START_LINE), "the log does not begin with the start line")
        for line in ("[WM_CREATE] Fullscreen mode",
                     "[DDrawManager::CreateDirectDraw] Color type 5x6x5 detected",
                     # Wine's flip chain exchanges its buffers: frames draw only what changed.
                     "[DDrawManager::CreateDirectDraw] Incremental frames: each buffer keeps "
                     "its pixels",
                     GLYPHS_LOADED, THREAD_STARTED):
            check(line in log, "the log lacks %r" % line)
        time.sleep(2.0)
        first = self.wine.screenshot()
        greens = green_pixels(first)
        check(greens > 2000, "only %d green pixels on the screen" % greens)
        time.sleep(0.5)
        second = self.wine.screenshot()
        moved = changed_pixels(first, second)
        check(moved > 500, "the picture did not move (%d pixels changed)" % moved)
        check(self.wine.reg_value("Resolution") == ("REG_SZ", "1024x768"), "Resolution: %r"
              % (self.wine.reg_value("Resolution"),))
        check(self.wine.reg_value("Density") == ("REG_DWORD", "0x12c"), "Density: %r"
              % (self.wine.reg_value("Density"),))
        check(self.wine.reg_value("HighlightDensity") == ("REG_DWORD", "0x8"),
              "HighlightDensity: %r" % (self.wine.reg_value("HighlightDensity"),))
        # Only one full-screen saver runs: a second start finds the first and ends with 0.
        second_start = self.wine.run_saver(["/s"], 15)
        check(second_start == 0, "a second /s: exit code %r, expected 0" % second_start)
        check(self.wine.alive(proc), "a second /s ended the first saver")
        self.close_with_keys(proc)
        log = self.wine.log("vorlix_fs.log")
        check(log.endswith(END_LINE), "the log does not end with the termination line")
        order = ["[STATE] Trapped WM_CLOSE message (NT bugfix)", "[STATE] WM_CLOSE detected",
                 "[STATE] WM_DESTROY detected", "[StopErrorMsg] DEBUG SESSION TERMINATED"]
        trapped = log.find(order[0])
        second_close = log.find(order[1], trapped)
        destroy = log.find(order[2], second_close)
        check(0 <= trapped < second_close < destroy < log.find(order[3], destroy),
              "the log's closing lines are missing or out of order")
        return "%d green pixels, %d changed" % (greens, moved)

    def mouse_moves(self):
        """2: a 3-pixel move leaves it running, 20-pixel moves end it."""
        self.wine.store_settings()
        self.wine.place_glyphs(windows=self.glyphs)
        proc = self.start_full_screen()
        time.sleep(1.0)
        self.wine.xdotool("mousemove", "503", "400")
        time.sleep(1.5)
        check(self.wine.alive(proc), "a 3-pixel move ended the saver")
        check("[STATE] WM_CLOSE detected" not in self.wine.log("vorlix_fs.log"),
              "a 3-pixel move asked to close")
        self.wine.xdotool("mousemove", "523", "400")
        time.sleep(1.0)
        check(self.wine.alive(proc), "the first 20-pixel move (trapped close) ended the saver")
        self.wine.xdotool("mousemove", "543", "420")
        code = self.wine.exit_code(proc, 15)
        check(code == 0, "second 20-pixel move: exit code %r, expected 0" % code)

    def density_limited(self):
        """3: a stored Density of 500 still runs, limited to 400."""
        self.wine.store_settings(density=500)
        self.wine.place_glyphs(windows=self.glyphs)
        proc = self.start_full_screen()
        time.sleep(1.5)
        check(self.wine.alive(proc), "the saver ended with Density 500")
        greens = green_pixels(self.wine.screenshot())
        check(greens > 2000, "only %d green pixels with Density 500" % greens)
        self.close_with_keys(proc)
        self.wine.store_settings()
        return "%d green pixels" % greens

    def glyphs_in_system_dir(self):
        """4: glyph2.ani in the system directory only."""
        self.wine.store_settings()
        self.wine.place_glyphs(system=self.glyphs)
        proc = self.start_full_screen()
        check(GLYPHS_LOADED in self.wine.log("vorlix_fs.log"), "glyphs not loaded")
        self.close_with_keys(proc)

    def glyphs_missing(self):
        """5: no glyph2.ani anywhere: the nine-line box."""
        self.wine.store_settings()
        self.wine.place_glyphs()
        self.wine.remove_log("vorlix_fs.log")
        proc = self.wine.saver("/s")
        self.dismiss_box(proc, MISSING_GLYPHS_TEXT)
        check(MISSING_GLYPHS_TEXT in self.wine.log("vorlix_fs.log"), "the log lacks the text")

    def unsupported_resolution(self):
        """6: a resolution the display cannot show."""
        self.wine.store_settings(resolution="1600x1200")
        self.wine.place_glyphs(windows=self.glyphs)
        proc = self.wine.saver("/s")
        self.dismiss_box(proc, BAD_MODE_TEXT)
        self.wine.store_settings()

    def config_dialog(self):
        """7: /c shows the stored values; 401 is stored as 400; Cancel stores nothing."""
        self.wine.store_settings(resolution="1280x1024", density=123, highlight=45)
        proc = self.wine.saver("/c")
        controls = self.wine.wait_window("Vorlix v1.20", 20, DIALOG_IDS)
        check(controls, "the dialog did not appear")
        checked = [i for i in range(1000, 1006) if controls.get(i, [("", "", 0, ())])[0][2] == 1]
        check(checked == [1004], "checked resolution buttons: %r" % checked)
        check(controls[1006][0][1] == "123", "density field shows %r" % controls[1006][0][1])
        check(controls[1007][0][1] == "45", "highlight field shows %r" % controls[1007][0][1])
        self.type_into(controls[1006][0][3], "401")
        self.wine.xdotool("key", "Return")
        code = self.wine.exit_code(proc, 15)
        check(code == 1, "OK: exit code %r, expected 1" % code)
        check(self.wine.reg_value("Density") == ("REG_DWORD", "0x190"),
              "Density after 401: %r" % (self.wine.reg_value("Density"),))
        check(self.wine.reg_value("Resolution") == ("REG_SZ", "1280x1024"), "Resolution changed")

        proc = self.wine.saver("/c")
        controls = self.wine.wait_window("Vorlix v1.20", 20, DIALOG_IDS)
        check(controls, "the dialog did not appear the second time")
        self.type_into(controls[1006][0][3], "7")
        self.wine.xdotool("key", "Escape")
        code = self.wine.exit_code(proc, 15)
        check(code == 0, "Cancel: exit code %r, expected 0" % code)
        check(self.wine.reg_value("Density") == ("REG_DWORD", "0x190"), "Cancel stored a value")
        self.wine.store_settings()

    def type_into(self, rect, text):
        left, top, right, bottom = rect
        self.wine.xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
        self.wine.xdotool("click", "1")
        time.sleep(0.3)
        self.wine.xdotool("key", "ctrl+a")
        self.wine.xdotool("type", text)
        time.sleep(0.3)

    def preview(self):
        """8: /p inside a host window of our own; a bad handle exits at once."""
        self.wine.store_settings()
        self.wine.place_glyphs(windows=self.glyphs)
        self.wine.remove_log("vorlix.log")
        handle_file = os.path.join(self.wine.work_dir, "host-window.txt")
        with open(handle_file, "w") as out:
            host = self.wine.launch(["wine", self.wine.probe_exe, "host", "60"], stdout=out)
        handle = wait_for(lambda: read_text(handle_file).strip(), 20)
        check(handle.isdigit(), "the host window did not start")
        proc = self.wine.saver("/p", handle)
        check(self.wine.wait_log("vorlix.log", THREAD_STARTED, 20),
              "the preview did not start; log:\n" + self.wine.log("vorlix.log"))
        check("[WM_CREATE] Windowed mode" in self.wine.log("vorlix.log"), "not windowed mode")
        children = self.wine.probe("children", handle).stdout.splitlines()
        check("WindowsScreenSaverClass|Preview" in children, "children of the host: %r" % children)
        self.wine.probe("close", handle)
        code = self.wine.exit_code(proc, 15)
        check(code == 0, "destroying the host: exit code %r, expected 0" % code)
        check(self.wine.log("vorlix.log").endswith(END_LINE), "the preview log is not closed")
        self.wine.exit_code(host, 10)
        started = time.monotonic()
        code = self.wine.run_saver(["/p", "999999"], 10)
        check(code == EXIT_MINUS_ONE, "bad handle: exit code %r" % code)
        return "bad handle refused in %.1f s" % (time.monotonic() - started)

    def bad_switches(self):
        """9: unknown switches exit with -1 at once."""
        for switch in ("/x", "/?", "-q"):
            code = self.wine.run_saver([switch], 10)
            check(code == EXIT_MINUS_ONE, "%s: exit code %r" % (switch, code))

    def corrupt_glyphs(self):
        """10: corrupt glyph files are refused with their reason; a truncated one loads."""
        self.wine.store_settings()
        good = self.glyphs
        frame_bytes = good[6] | good[7] << 8
        frame_bytes *= (good[8] | good[9] << 8) * 3
        wrong_version = good[:4] + bytes([3]) + good[5:]
        oversized = good[:5] + bytes([200]) + good[6:]
        too_few = good[:5] + bytes([54]) + good[6:12 + 54 * frame_bytes]
        for name, data, reason in (
                ("wrong version", wrong_version,
                 "[GraphicsLoader::LoadAnimation] Wrong file format version, found 3"),
                ("oversized header", oversized, None),
                ("fewer than 55 frames", too_few, None)):
            self.wine.place_glyphs(windows=data)
            self.wine.remove_log("vorlix_fs.log")
            proc = self.wine.saver("/s")
            box = self.wine.wait_window("Vorlix", 20)
            check(box, "%s: no message box" % name)
            text = box_text(box)
            log = self.wine.log("vorlix_fs.log")
            if reason is not None:
                check(reason in log, "%s: the log lacks %r" % (name, reason))
            check(text and text in log, "%s: the box text %r is not the logged reason" %
                  (name, text))
            check(text != MISSING_GLYPHS_TEXT, "%s: the box hides the reason behind the "
                  "missing-file text" % name)
            code = self.click_box_and_press_return(proc, box)
            check(code is not None, "%s: the saver did not end" % name)
            check(code in (0, 1), "%s: exit code %d" % (name, code))
        truncated = good[:12 + 30 * frame_bytes + frame_bytes // 2]
        self.wine.place_glyphs(windows=truncated)
        proc = self.start_full_screen()
        self.close_with_keys(proc)
        self.wine.place_glyphs(windows=good)

    def installer(self):
        """11: the installer puts both files into the Windows directory, silently, and its
        uninstaller takes them away again."""
        installer = self.wine.installer
        check(installer and os.path.exists(installer), "no installer: %r" % installer)
        installed = [os.path.join(self.wine.windows_dir, name)
                     for name in ("vorlix.scr", "glyph2.ani")]
        uninstaller = os.path.join(self.wine.windows_dir, "vorlix-uninstall.exe")
        key = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlix"
        self.wine.place_glyphs()
        result = self.wine.run(["wine", installer, "/S"], timeout=120, check_rc=False)
        check(result.returncode == 0, "installer exit code %d" % result.returncode)
        check(all(os.path.exists(p) for p in installed + [uninstaller]),
              "installed files missing")
        with open(installed[0], "rb") as copy, open(self.wine.scr, "rb") as built:
            check(copy.read() == built.read(), "the installed vorlix.scr differs from the build")
        query = self.wine.run(["wine", REG, "query", key], timeout=30, check_rc=False)
        check("UninstallString" in query.stdout, "no uninstall entry")
        # The uninstaller copies itself away and runs from there: wait for its work.
        self.wine.run(["wine", r"C:\windows\vorlix-uninstall.exe", "/S"], timeout=120,
                      check_rc=False)
        gone = wait_for(lambda: not any(os.path.exists(p)
                                        for p in installed + [uninstaller]), 30)
        check(gone, "the uninstaller left files behind")
        query = self.wine.run(["wine", REG, "query", key], timeout=30, check_rc=False)
        check("UninstallString" not in query.stdout, "the uninstall entry is still there")
        self.wine.place_glyphs(windows=self.glyphs)

    # --- two monitors: one multi-head Xorg, the primary's mode changed by the saver ------
    def start_on_two_monitors(self, pointer=(500, 400), settings=True):
        """The saver on TWO_MONITORS; returns it and the layout it runs on, [(name, rect)].
        settings: store the default settings first (a second start in a case keeps them)."""
        self.wine.use_two_monitors()
        desktop = self.wine.monitors()
        check([geometry for _, geometry in desktop] == list(TWO_MONITORS),
              "the server shows %r before the start" % desktop)
        if settings:
            self.wine.store_settings()
            self.wine.place_glyphs(windows=self.glyphs)
        proc = self.start_full_screen(pointer)
        running = [(name, geometry_rect(geometry)) for name, geometry in self.wine.monitors()]
        check(len(running) == 2, "the server shows %r while the saver runs" % running)
        return proc, running

    def check_layout_back(self):
        back = wait_for(lambda: [g for _, g in self.wine.monitors()] == list(TWO_MONITORS), 10)
        check(back, "the layout after the saver: %r" % self.wine.monitors())

    def two_monitors(self):
        """14: two monitors: the log lists both as laid out after the mode change, rain on
        each of them; keys on the primary end it; the primary's mode is put back."""
        proc, running = self.start_on_two_monitors()
        primary, second = running[0][1], running[1][1]
        check(primary[2] - primary[0] == SCREEN[0] and primary[3] - primary[1] == SCREEN[1],
              "the primary runs at %r, not in the chosen mode" % (primary,))
        monitors = logged_monitors(self.wine.log("vorlix_fs.log"))
        check([rect for rect, _ in monitors] == [primary, second],
              "the log lists %r; the server shows %r" % (monitors, running))
        check(monitors[1][1] == "rain 1280x1024, zoom 1", "monitor 1: %r" % monitors[1][1])
        time.sleep(1.5)
        width, _ = self.wine.screen_size()
        first = self.wine.screenshot()
        time.sleep(0.5)
        later = self.wine.screenshot()
        greens, moved = [], []
        for rect in (primary, second):
            greens.append(green_pixels(region(first, width, rect)))
            moved.append(changed_pixels(region(first, width, rect), region(later, width, rect)))
        check(min(greens) > 2000, "green pixels on the two monitors: %r" % greens)
        check(min(moved) > 500, "pixels changed on the two monitors: %r" % moved)
        self.close_with_keys(proc)
        self.primary_states = state_lines(self.wine.log("vorlix_fs.log"))
        self.check_layout_back()
        return "green pixels %r, changed %r" % (greens, moved)

    def two_monitors_input(self):
        """15: a key and a click with the pointer on the second monitor end the saver with the
        state lines of keys on the primary, the trapped first close included."""
        settings = True
        if not self.primary_states:
            proc, _ = self.start_on_two_monitors()
            self.close_with_keys(proc)
            self.primary_states = state_lines(self.wine.log("vorlix_fs.log"))
            settings = False
        check(any("Trapped WM_CLOSE" in line for line in self.primary_states),
              "keys on the primary: %r" % self.primary_states)
        # On the second monitor before the mode change and after it (it moves to the
        # primary's new right edge).
        pointer = (SCREEN[0] + 976, 300)
        for action in (("key", "x"), ("click", "1")):
            proc, running = self.start_on_two_monitors(pointer, settings)
            settings = False
            second = running[1][1]
            check(second[0] <= pointer[0] < second[2], "the pointer is not on %r" % (second,))
            self.close_with(proc, *action)
            states = state_lines(self.wine.log("vorlix_fs.log"))
            check(states == self.primary_states, "%s on the second monitor: %r; on the "
                  "primary: %r" % (" ".join(action), states, self.primary_states))
            self.check_layout_back()

    def measure(self):
        """Not a check: CPU time of vorlix.scr /s per frame over 20 s, and while paused."""
        self.wine.store_settings()
        self.wine.place_glyphs(windows=self.glyphs)
        if self.heads == 2:
            proc, running = self.start_on_two_monitors()
            print("monitors while running: %r" % running, flush=True)
        else:
            proc = self.start_full_screen()
        time.sleep(2.0)
        others = {"wineserver": self.wine.server.pid, "X server": self.wine.x_server_pid()}
        before, others_before = cpu_seconds(proc.pid), {k: cpu_seconds(v) for k, v in others.items()}
        began = time.monotonic()
        time.sleep(20.0)
        running = cpu_seconds(proc.pid) - before
        elapsed = time.monotonic() - began
        others_running = {k: cpu_seconds(v) - others_before[k] for k, v in others.items()}
        frames = elapsed * 1000.0 / 30.0
        # Another program's window takes the activation away: the saver pauses.
        handle_file = os.path.join(self.wine.work_dir, "host-window.txt")
        with open(handle_file, "w") as out:
            self.wine.launch(["wine", self.wine.probe_exe, "host", "30"], stdout=out)
        check(wait_for(lambda: "Enter idle loop" in self.wine.log("vorlix_fs.log"), 20),
              "the saver did not pause")
        time.sleep(1.0)
        before = cpu_seconds(proc.pid)
        time.sleep(10.0)
        paused = cpu_seconds(proc.pid) - before
        return ("running: %.2f s CPU in %.1f s (%.1f %% of a core), %.2f ms per frame at the "
                "30 ms pace; wineserver %.2f s, X server %.2f s (%.2f ms per frame); paused: "
                "%.3f s CPU in 10 s (%.2f %% of a core)"
                % (running, elapsed, 100 * running / elapsed, 1000 * running / frames,
                   others_running["wineserver"], others_running["X server"],
                   1000 * others_running["X server"] / frames, paused, paused * 10))


def cpu_seconds(pid):
    """User and system time of a process, from /proc."""
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


CASES = [
    ("0 backend seam functions", "backend_seam"),
    ("1 full screen: log, pixels, movement, keys; 3 first-run registry", "full_screen_run"),
    ("2 mouse moves", "mouse_moves"),
    ("3 Density 500 limited", "density_limited"),
    ("4 glyph2.ani in the system directory only", "glyphs_in_system_dir"),
    ("5 glyph2.ani missing", "glyphs_missing"),
    ("6 unsupported resolution", "unsupported_resolution"),
    ("7 configuration dialog", "config_dialog"),
    ("8 preview", "preview"),
    ("9 bad switches", "bad_switches"),
    ("10 corrupt glyph files", "corrupt_glyphs"),
    ("11 installer and uninstaller", "installer"),
    ("12 module exports and imports", "module_table"),
    ("13 application manifest", "manifest"),
    ("14 two monitors: rain on both, both logged, the mode put back", "two_monitors"),
    ("15 two monitors: a key and a click on the second one end it", "two_monitors_input"),
]
# Run on the multi-head Xorg; every other case on Xvfb.
TWO_MONITOR_CASES = {"two_monitors", "two_monitors_input", "measure"}


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--scr", required=True)
    parser.add_argument("--glyphs", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--backend-check", default="", help="vorlix_win32_check.exe to run")
    parser.add_argument("--installer", default="", help="vorlix-setup.exe to test")
    parser.add_argument("--work", required=True, help="directory for the prefix and results")
    parser.add_argument("--measure", action="store_true",
                        help="measure the CPU time per frame instead of running the cases")
    parser.add_argument("--heads", type=int, choices=(1, 2), default=1,
                        help="--measure on one monitor (Xvfb) or two (the multi-head Xorg)")
    parser.add_argument("--only", default="", help="comma-separated case numbers")
    args = parser.parse_args()
    for path in (args.scr, args.glyphs, args.probe):
        if not os.path.exists(path):
            print("missing: " + path)
            return 1
    for tool in ("wine", "wineserver", "Xvfb", "xdotool", "import", "xrandr"):
        if shutil.which(tool) is None:
            print("missing tool: " + tool)
            return 1

    wanted = {n for n in args.only.split(",") if n}
    wine = Wine(args.work, os.path.abspath(args.scr), os.path.abspath(args.glyphs),
                os.path.abspath(args.probe),
                os.path.abspath(args.installer) if args.installer else "",
                os.path.abspath(args.backend_check) if args.backend_check else "")
    failures = 0
    try:
        wine.start()
        cases = Cases(wine)
        cases.heads = args.heads
        cases_to_run = [("measure CPU", "measure")] if args.measure else CASES
        for title, method in cases_to_run:
            if wanted and not args.measure and title.split()[0] not in wanted:
                continue
            began = time.monotonic()
            if wine.xvfb.poll() is not None:
                print("Xvfb ended with %s; see %s" % (wine.xvfb.returncode,
                                                     os.path.join(wine.work_dir, "xvfb.log")))
                failures += 1
                break
            try:
                if method not in TWO_MONITOR_CASES:
                    wine.use_xvfb()
                note = getattr(cases, method)()
                crash = wine.crash_report()
                check(not crash, "a Wine program crashed: " + crash)
                print("PASS  %-62s %5.1f s  %s" % (title, time.monotonic() - began, note or ""),
                      flush=True)
            except CaseFailure as failure:
                failures += 1
                print("FAIL  %-62s %5.1f s  %s" % (title, time.monotonic() - began, failure),
                      flush=True)
            except Exception:  # a broken step of the suite itself
                failures += 1
                print("ERROR %s\n%s" % (title, traceback.format_exc()), flush=True)
            finally:
                for proc in wine.started:
                    wine.kill(proc)
                wine.started.clear()
    finally:
        wine.stop()
    print("%d case(s) failed" % failures if failures else "all cases passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
