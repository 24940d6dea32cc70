#!/usr/bin/env python3
"""End-to-end tests of drivewarden.exe under Wine.

Every case runs the real program in a fresh copy of a prepared Wine prefix: drive
R: is a removable drive backed by a temporary folder, and a Wine virtual desktop
(1280x800, with its taskbar and notification area) runs on a private Xvfb display.
The program is driven from outside by dw_e2e_helper.exe, as the shell and the user
would, and judged by what it leaves behind: the settings file, the data folder
and its windows.

    e2e.py prepare        make the prefix template (once; later runs reuse it)
    e2e.py CASE           run one case (see CASES)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

WINE = "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine"
WINESERVER = "/usr/lib/wine/wineserver" if os.path.exists("/usr/lib/wine/wineserver") else "wineserver"
DRIVE_LETTER = "r"
SCREEN = (1280, 800)

EXE = os.environ.get("DW_EXE", "")
HELPER = os.environ.get("DW_HELPER", "")
TEMPLATE = Path(os.environ.get("DW_TEMPLATE", "build/windows/e2e/prefix-template"))
SCREENSHOTS = Path(os.environ.get("DW_SCREENSHOTS", "build/windows/screenshots"))
SOURCE_DIR = Path(os.environ.get("DW_SOURCE_DIR", Path(__file__).resolve().parents[2]))
BASE_PREFIX = Path(os.environ.get("WINEPREFIX") or os.environ.get("DW_BASE_PREFIX") or SOURCE_DIR / "build/wineprefix")


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wine_environment(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    if display is not None:
        env["DISPLAY"] = display
    return env


# ---------------------------------------------------------------------------
# The prefix template


def prepare():
    """Copies the base prefix and gives it drive R: as a removable drive and a
    virtual desktop, so that the notification area is shown. Each case copies the
    result; the registry is changed here once, with Wine stopped afterwards."""
    marker = TEMPLATE / ".dw-e2e-ready"
    base_stamp = BASE_PREFIX / "system.reg"
    if not base_stamp.exists():
        subprocess.run(["bash", str(SOURCE_DIR / "tools/wine-prefix.sh")], check=True,
                       env=dict(os.environ, WINEPREFIX=str(BASE_PREFIX)),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if marker.exists() and marker.stat().st_mtime >= base_stamp.stat().st_mtime:
        return
    work = TEMPLATE.with_name(TEMPLATE.name + ".tmp")
    shutil.rmtree(work, ignore_errors=True)
    shutil.rmtree(TEMPLATE, ignore_errors=True)
    TEMPLATE.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["cp", "-a", str(BASE_PREFIX), str(work)], check=True)
    # The base prefix may hold the unit tests' drive links; a template has none.
    for link in (work / "dosdevices").iterdir():
        if link.name not in ("c:", "z:") and len(link.name) == 2 and link.name.endswith(":"):
            link.unlink()
    shutil.rmtree(work / "dw-test-drives", ignore_errors=True)
    env = wine_environment(work)
    keys = [
        (r"HKLM\Software\Wine\Drives", f"{DRIVE_LETTER}:", "floppy"),
        (r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
        (r"HKCU\Software\Wine\Explorer\Desktops", "Default", f"{SCREEN[0]}x{SCREEN[1]}"),
    ]
    for key, name, value in keys:
        subprocess.run([WINE, "reg", "add", key, "/v", name, "/d", value, "/f"], check=True, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Drive types are read when Wine starts, so it stops here and each copy starts afresh.
    subprocess.run([WINESERVER, "-k"], env=env, stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-w"], env=env, stderr=subprocess.DEVNULL)
    (work / ".dw-e2e-ready").touch()
    work.rename(TEMPLATE)


# ---------------------------------------------------------------------------
# One fresh environment per case


class WineSession:
    """A fresh prefix copy with its own wineserver and X display."""

    def __enter__(self):
        check(TEMPLATE.joinpath(".dw-e2e-ready").exists(), f"no prefix template at {TEMPLATE}; run prepare")
        self.root = Path(tempfile.mkdtemp(prefix="dw-e2e-"))
        self.prefix = self.root / "prefix"
        self.drive = self.root / "drive"
        self.xvfb = None
        self.processes = []
        try:
            subprocess.run(["cp", "-a", str(TEMPLATE), str(self.prefix)], check=True)
            self.drive.mkdir()
            (self.drive / ".windows-label").write_text("DEMO_USB\n")
            (self.prefix / "dosdevices" / f"{DRIVE_LETTER}:").symlink_to(self.drive)
            self.display = self._start_xvfb()
            self.env = wine_environment(self.prefix, self.display)
            # A persistent server: Wine's helpers then do not hold our pipes open.
            subprocess.run([WINESERVER, "-p"], env=self.env, stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        check(number.isdigit(), "Xvfb gave no display")
        return f":{number}"

    def __exit__(self, *exc):
        if getattr(self, "env", None):
            subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(timeout=10)
        shutil.rmtree(self.root, ignore_errors=True)
        return False

    def set_dpi(self, dpi):
        """The screen's dots per inch, read by Wine when it starts: Wine restarts."""
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        for key in (r"HKCU\Control Panel\Desktop", r"HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts"):
            subprocess.run([WINE, "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                           env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-w"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run([WINESERVER, "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    # The program and the helper

    def start(self, *args):
        process = subprocess.Popen([WINE, EXE, *args], env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def run_program(self, *args, timeout=60):
        """Runs drivewarden.exe to its end; its exit code and how long it took."""
        began = time.monotonic()
        completed = subprocess.run([WINE, EXE, *args], env=self.env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout)
        return completed.returncode, time.monotonic() - began

    def helper(self, *args, timeout=60):
        # Its answer goes through a file, not a pipe: a Wine process it happens to
        # start (the desktop, say) would inherit a pipe and keep it open for its life.
        answer = self.root / "helper-answer.txt"
        with open(answer, "w+", encoding="utf-8", errors="replace") as out:
            completed = subprocess.run([WINE, HELPER, *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return completed.returncode, out.read().strip()

    def start_and_wait(self, *args):
        """Starts the program and waits until its start-up has finished: the panel
        window exists before the start-up sequence runs, the log is made near its
        end, and a message answered means the message loop has been reached."""
        process = self.start(*args)
        code, _ = self.helper("wait-panel", 60000, timeout=90)
        check(code == 0, "the control panel window never appeared")
        check(wait_until(lambda: any((self.data_folder / "log").glob("*.u.txt")), 30), "no log was made at start")
        check(self.helper("autoplay")[0] == 0, "the program does not answer messages")
        return process

    def quit_through_main_window(self, process):
        code, _ = self.helper("close-main")
        check(code == 0, f"the hidden main window Tmainfrm was not found (helper said {code})")
        try:
            process.wait(timeout=60)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end after its main window was closed")

    def panel_visible(self):
        code, text = self.helper("panel-visible")
        check(code in (0, 1), f"no control panel window to look at (helper said {code})")
        return text == "visible"

    def screenshot(self, name):
        SCREENSHOTS.mkdir(parents=True, exist_ok=True)
        target = SCREENSHOTS / f"{name}.png"
        subprocess.run(["import", "-display", self.display, "-window", "root", str(target)], check=True,
                       stderr=subprocess.DEVNULL)
        return target

    # What the program leaves behind

    @property
    def data_folder(self):
        return self.prefix / "drive_c" / "ProgramData" / "Drivewarden"

    @property
    def settings_file(self):
        return self.data_folder / "config" / "config.ini"

    def write_settings(self, text):
        self.settings_file.parent.mkdir(parents=True, exist_ok=True)
        self.settings_file.write_bytes(text.replace("\n", "\r\n").encode("cp1252"))

    def read_settings(self):
        check(self.settings_file.exists(), "no settings file was written")
        return parse_ini(self.settings_file.read_bytes())

    def data_folder_state(self):
        """Every entry under the data folder with its size and modification time."""
        state = {}
        for path in sorted(self.data_folder.rglob("*")):
            info = path.stat()
            state[str(path.relative_to(self.data_folder))] = (info.st_size, info.st_mtime_ns)
        return state


def parse_ini(raw):
    """Sections and keys as written, in order: {section: {key: value}}."""
    if raw.startswith(b"\xff\xfe"):
        text = raw[2:].decode("utf-16-le")
    else:
        text = raw.decode("cp1252")
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
            continue
        check(current is not None and "=" in line, f"unexpected settings line {line!r}")
        key, value = line.split("=", 1)
        current[key.strip()] = value.strip()
    return sections


FIRST_RUN_SETTINGS = {
    "app": {"enable": "1", "firstrun": "0", "languageId": "0"},
    "computer": {"AntivirusCmdLine": ""},
    "action": {"menace": "0", "risk": "0"},
    "scan": {"avoid": "C:\\;"},
}


def same_settings(actual, expected):
    """Section and key names compare without regard to case, as the profile functions do."""
    fold = lambda sections: {s.lower(): {k.lower(): v for k, v in keys.items()} for s, keys in sections.items()}
    return fold(actual) == fold(expected)


# ---------------------------------------------------------------------------
# Cases


def case_first_run(session):
    """No settings file: the panel stays hidden (protection on), AutoPlay is
    refused, and a close request to the hidden main window writes the first-run
    settings with the system drive excluded."""
    process = session.start_and_wait()
    check(not session.panel_visible(), "the control panel is shown although protection is on")
    code, answer = session.helper("autoplay")
    check(code == 0 and answer == "1", f"AutoPlay answer with protection on: {answer!r} (want 1, cancel)")
    check(not session.settings_file.exists(), "settings were written before the end of the run")
    session.quit_through_main_window(process)
    settings = session.read_settings()
    check(same_settings(settings, FIRST_RUN_SETTINGS), f"first-run settings: {settings}")
    check(list(settings) == ["app", "computer", "action", "scan"], f"section order: {list(settings)}")
    check(list(settings["app"]) == ["enable", "firstrun", "languageId"], f"keys of app: {list(settings['app'])}")
    logs = list((session.data_folder / "log").glob("*.u.txt"))
    check(len(logs) == 1, f"log files: {logs}")


SEEDED_SETTINGS = """[app]
enable=1
firstrun=0
languageId=0
[scan]
avoid=C:\\;
[action]
menace=0
risk=0
[computer]
AntivirusCmdLine=
"""


def case_second_start(session):
    """A second start shows the running instance's hidden panel and ends at once,
    touching nothing in the data folder."""
    session.write_settings(SEEDED_SETTINGS)
    first = session.start_and_wait()
    check(not session.panel_visible(), "the panel is visible before the second start")
    before = session.data_folder_state()
    code, _ = session.run_program()
    check(code == 0, f"the second start ended with {code}")
    check(session.helper("wait-panel", 1000)[0] == 0, "the running instance's panel is gone")
    check(session.panel_visible(), "the second start did not bring up the running instance's panel")
    after = session.data_folder_state()
    check(after == before, f"the second start changed the data folder: {before} -> {after}")
    check(first.poll() is None, "the first instance ended")
    session.quit_through_main_window(first)


def case_second_start_runasadmin(session):
    """A second start with "RunAsAdmin" (any case) only waits and ends: the running
    instance is told nothing and its panel stays hidden."""
    session.write_settings(SEEDED_SETTINGS)
    first = session.start_and_wait()
    before = session.data_folder_state()
    code, took = session.run_program("RunAsAdmin")
    check(code == 0, f"the elevated second start ended with {code}")
    check(took >= 0.5, f"the elevated second start ended after {took:.2f} s, before its 500 ms wait")
    check(not session.panel_visible(), "the running instance was asked to show its panel")
    after = session.data_folder_state()
    check(after == before, f"the elevated second start changed the data folder: {before} -> {after}")
    check(first.poll() is None, "the first instance ended")
    session.quit_through_main_window(first)


def case_protection_off_at_start(session):
    """enable=0: the control panel is shown at start, AutoPlay is left to the
    system, and the state is written back unchanged (screenshot: the red band and
    the grey icon)."""
    session.write_settings(SEEDED_SETTINGS.replace("enable=1", "enable=0"))
    process = session.start_and_wait()
    check(session.helper("wait-panel", 1000)[0] == 0 and wait_until(session.panel_visible, 10),
          "the control panel is hidden although protection is off")
    code, answer = session.helper("autoplay")
    check(code == 0 and answer == "0", f"AutoPlay answer with protection off: {answer!r} (want 0)")
    time.sleep(2)  # the taskbar and the tray icon settle
    session.screenshot("panel-protection-off")
    session.quit_through_main_window(process)
    check(session.read_settings()["app"]["enable"] == "0", "enable was not written back as 0")


def case_language_out_of_range(session):
    """languageId=5 names no language: the box shows no choice and -1 is written
    back at the end."""
    session.write_settings(SEEDED_SETTINGS.replace("languageId=0", "languageId=5"))
    process = session.start_and_wait()
    session.quit_through_main_window(process)
    check(session.read_settings()["app"]["languageId"] == "-1", "languageId 5 was not written back as -1")


def case_end_session(session):
    """When Windows ends the session the settings are written before the program
    answers, as an orderly exit does."""
    process = session.start_and_wait()
    code, _ = session.helper("end-session")
    check(code == 0, f"the end of the session was not answered (helper said {code})")
    check(same_settings(session.read_settings(), FIRST_RUN_SETTINGS), "settings after the end of the session")
    if process.poll() is None:
        session.quit_through_main_window(process)


PAGES = ["findings", "tools", "quarantine", "options", "about"]


def case_screenshots(session):
    """A left click on the tray icon shows the panel; then each page and the tray
    menu are captured for review."""
    process = session.start_and_wait()
    time.sleep(2)  # the taskbar and the tray icon settle
    session.screenshot("desktop-tray")
    check(session.helper("tray-click")[0] == 0, "the tray click did not reach the panel")
    check(wait_until(session.panel_visible, 10), "a left click on the tray icon did not show the panel")
    for index, name in enumerate(PAGES):
        code, _ = session.helper("show-page", index)
        check(code == 0, f"page {index} could not be shown (helper said {code})")
        time.sleep(1)
        session.screenshot(f"panel-{index + 1}-{name}")
    check(session.helper("close-panel")[0] == 0, "no panel to close")
    check(wait_until(lambda: not session.panel_visible(), 10), "closing the panel did not hide it")
    check(session.helper("tray-menu", SCREEN[0] - 10, SCREEN[1] - 10)[0] == 0, "the tray menu was not asked for")
    time.sleep(2)
    session.screenshot("tray-menu")
    check(process.poll() is None, "the program ended while its windows were shown")


def case_high_dpi(session):
    """At 144 dots per inch every size grows by half: the client area that is
    479 x 445 at 96 dpi, the fonts and the controls (screenshot for review)."""
    session.set_dpi(144)
    process = session.start_and_wait()
    code, size = session.helper("panel-client")
    check(code == 0 and size == "719 668", f"client area at 144 dpi: {size!r} (want 719 668)")
    check(session.helper("tray-click")[0] == 0, "the tray click did not reach the panel")
    check(wait_until(session.panel_visible, 10), "a left click on the tray icon did not show the panel")
    check(session.helper("show-page", 3)[0] == 0, "the options page could not be shown")
    time.sleep(1)
    session.screenshot("panel-144dpi-options")
    check(process.poll() is None, "the program ended while its windows were shown")


# A drive attached while the program runs, the English texts, the demo drive

ARRIVING_LETTER = "e"  # the demo's lure shortcut leads to E:\photos.js
LIST_VIEWS = {"ListView1": 0, "ListView3": 1, "ListView4": 2, "ListView5": 3}  # in control order
THREAT, SUSPECT = "Menance", "Fichier suspect"
DEMO_FINDINGS = {  # what a scan lists on the demo drive: name, kind, path
    ("setup.exe", THREAT, "e:\\setup.exe"),
    ("autorun.inf.ren", THREAT, "e:\\autorun.inf.ren"),
    ("svchost.exe", SUSPECT, "e:\\svchost.exe"),
    ("Photos.lnk", SUSPECT, "e:\\Photos.lnk"),
    ("photos.js", SUSPECT, "E:\\photos.js"),  # as the shortcut names it
    ("Holidays.exe", SUSPECT, "e:\\Holidays.exe"),
}


def make_demo_drive(folder, label="DEMO_STICK"):
    """demo/drive with its DOS attributes (demo/attributes.txt), as Wine and
    Samba keep them, under the given volume label."""
    shutil.copytree(SOURCE_DIR / "demo" / "drive", folder)
    (folder / ".windows-label").write_text(label + "\n")
    for line in (SOURCE_DIR / "demo" / "attributes.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        path, attributes = line.split()
        subprocess.run(["setfattr", "-n", "user.DOSATTRIB", "-v", f'"{attributes}"', str(folder / path)], check=True)


def list_rows(session, name):
    """The rows of one of the panel's list views, each a tuple of its columns."""
    code, text = session.helper("list-rows", LIST_VIEWS[name])
    check(code == 0, f"{name} could not be read (helper said {code})")
    return [tuple(text_line.split(" | ")) for text_line in text.splitlines() if text_line]


def log_text(session):
    return "".join(path.read_bytes().decode("cp1252") for path in (session.data_folder / "log").glob("*.u.txt"))


def drive_rows(session, root):
    return [row for row in list_rows(session, "ListView3") if row[0] == root]


def case_drive_arrival(session):
    """A removable drive defined through Wine's mount manager while the program
    runs, and announced as Windows announces a USB stick, is scanned without any
    action of the user: its findings are listed and logged and the hidden panel
    comes up on its first page. "Supprimer tout", confirmed, moves every finding
    into the quarantine; the drive's removal takes it out of the drive list."""
    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    # Leave the hidden panel on another page: the findings must bring back the first.
    check(session.helper("tray-click")[0] == 0, "the tray click did not reach the panel")
    check(wait_until(session.panel_visible, 10), "a left click on the tray icon did not show the panel")
    check(session.helper("show-page", 2)[0] == 0, "the quarantine page could not be shown")
    check(session.helper("close-panel")[0] == 0 and wait_until(lambda: not session.panel_visible(), 10),
          "closing the panel did not hide it")
    check(list_rows(session, "ListView1") == [], "findings are listed before any drive has findings")

    second = session.root / "second-drive"
    make_demo_drive(second)
    originals = {path.name: path.read_bytes() for path in second.iterdir() if path.is_file()}
    root = f"{ARRIVING_LETTER.upper()}:\\"
    check(session.helper("define-drive", ARRIVING_LETTER, second)[0] == 0, "Wine's mount manager refused the drive")
    # Wine's mount manager runs in the services' window station: its own notice
    # never reaches the desktop, so the notice Windows sends is broadcast here.
    check(session.helper("announce", "arrival", ARRIVING_LETTER)[0] == 0, "the arrival was not broadcast")

    check(wait_until(lambda: set(list_rows(session, "ListView1")) >= DEMO_FINDINGS, 60),
          f"the arriving drive's findings were not listed: {list_rows(session, 'ListView1')}")
    time.sleep(2)  # a finding reported late would show as an extra row
    rows = list_rows(session, "ListView1")
    check(sorted(rows) == sorted(DEMO_FINDINGS), f"findings listed: {rows}")
    check(session.panel_visible(), "findings were listed but the control panel stayed hidden")
    check(session.helper("current-page")[1] == "0", "the control panel did not come up on its findings page")
    log = log_text(session)
    for _, kind, path in DEMO_FINDINGS:
        word = "Menace/threat" if kind == THREAT else "Menace/riskFile"
        check(f"{word} {path};" in log, f"the log lacks {word} {path}: {log!r}")
    check(len(drive_rows(session, root)) == 1, f"the drive list after the arrival: {list_rows(session, 'ListView3')}")
    check((second / "autorun.inf.ren").exists() and not (second / "autorun.inf").exists(),
          "the autorun file was not set aside")
    time.sleep(1)
    session.screenshot("arrival-findings")

    check(session.helper("click", "Supprimer tout")[0] == 0, "\"Supprimer tout\" could not be pressed")
    # Suspicious files are listed, so the deletion asks first; only Yes goes on.
    check(session.helper("answer-box", "Attention", 6, 10000)[0] == 0, "no confirmation was asked")
    check(wait_until(lambda: list_rows(session, "ListView1") == [], 60),
          f"findings left after \"Supprimer tout\": {list_rows(session, 'ListView1')}")
    left = sorted(path.name for path in second.iterdir())
    check(left == [".windows-label", "Documents", "Holidays"], f"the drive still holds {left}")
    stored = {}
    for info in (session.data_folder / "quarantine").glob("*.info"):
        copy = info.with_suffix("")
        check(copy.exists(), f"a record without its stored copy: {info.name}")
        stored[info.read_bytes().decode("cp1252")] = copy.read_bytes()
    for _, _, path in DEMO_FINDINGS:
        source = [text for text in stored if path in text]
        check(len(source) == 1, f"the quarantine holds {len(source)} copies of {path}: {list(stored)}")
        name = path[3:].replace(".ren", "") if path.endswith(".ren") else path[3:]
        check(stored[source[0]] == originals[name], f"the stored copy of {path} differs from the file")
    log = log_text(session)
    check(log.count("delete/threat ") == 2 and log.count("delete/riskFile ") == 4, f"deletions logged: {log!r}")

    check(session.helper("remove-drive", ARRIVING_LETTER)[0] == 0, "Wine's mount manager kept the drive")
    check(session.helper("announce", "removal", ARRIVING_LETTER)[0] == 0, "the removal was not broadcast")
    check(wait_until(lambda: drive_rows(session, root) == [], 10),
          f"the removed drive is still listed: {list_rows(session, 'ListView3')}")
    check(drive_rows(session, "R:\\"), "the drive that stayed left the drive list")
    session.quit_through_main_window(process)


def make_demo_drive_at_r(session):
    """The session's drive R: with the demo drive's files."""
    shutil.rmtree(session.drive)
    make_demo_drive(session.drive, "DEMO_USB")


def case_english_screenshots(session):
    """languageId=1: every page and the tray menu in English, the findings page
    with the demo drive's findings (screenshots for review)."""
    make_demo_drive_at_r(session)
    session.write_settings(SEEDED_SETTINGS.replace("languageId=0", "languageId=1"))
    process = session.start_and_wait()
    check(wait_until(lambda: len(list_rows(session, "ListView1")) >= 4, 60), "the start-up scan listed nothing")
    check(wait_until(session.panel_visible, 10), "findings were listed but the panel stayed hidden")
    rows = list_rows(session, "ListView1")
    check(all(row[1] in ("Threat", "Suspicious file") for row in rows), f"kinds not in English: {rows}")
    for index, name in enumerate(PAGES):
        code, _ = session.helper("show-page", index)
        check(code == 0, f"page {index} could not be shown (helper said {code})")
        time.sleep(1)
        session.screenshot(f"en-panel-{index + 1}-{name}")
    check(session.helper("close-panel")[0] == 0, "no panel to close")
    check(wait_until(lambda: not session.panel_visible(), 10), "closing the panel did not hide it")
    check(session.helper("tray-menu", SCREEN[0] - 10, SCREEN[1] - 10)[0] == 0, "the tray menu was not asked for")
    time.sleep(1)
    # Off the icon, whose tip would cover the menu's last entry.
    session.helper("cursor", SCREEN[0] // 2, SCREEN[1] // 2)
    time.sleep(1)
    session.screenshot("en-tray-menu")
    check(process.poll() is None, "the program ended while its windows were shown")


WINDOW_TESTS = "FormWindowTest.*:PanelWindowTest.*:StateIcons.*"


def case_window_tests(session):
    """The Windows tests that need real windows, on this session's display (the
    run CTest discovers has none and skips them)."""
    tests = os.environ.get("DW_WIN32_TESTS", "")
    check(tests and Path(tests).exists(), f"missing program: {tests!r}")
    log = session.root / "window-tests.log"
    with open(log, "w") as out:
        completed = subprocess.run([WINE, tests, f"--gtest_filter={WINDOW_TESTS}"], env=session.env,
                                   stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT, timeout=240)
    text = log.read_text(errors="replace")
    print(text)
    check(completed.returncode == 0, "window tests failed")
    check("[  SKIPPED ]" not in text, "window tests were skipped although a display was given")


def wait_until(condition, seconds):
    deadline = time.monotonic() + seconds
    while True:
        if condition():
            return True
        if time.monotonic() >= deadline:
            return False
        time.sleep(0.2)


CASES = {name[len("case_"):]: fn for name, fn in globals().items() if name.startswith("case_")}


def main(argv):
    if len(argv) != 2 or (argv[1] != "prepare" and argv[1] not in CASES):
        print(f"usage: e2e.py prepare|{'|'.join(CASES)}", file=sys.stderr)
        return 2
    if argv[1] == "prepare":
        prepare()
        return 0
    check_tools = [EXE, HELPER]
    for tool in check_tools:
        if not tool or not Path(tool).exists():
            print(f"missing program: {tool!r}", file=sys.stderr)
            return 2
    try:
        with WineSession() as session:
            CASES[argv[1]](session)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    print(f"passed: {argv[1]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
