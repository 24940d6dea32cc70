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
SOURCE_DIR = Path(os.environ.get("DW_SOURCE_DIR", Path(__file__).resolve().parents[2]))
# Absolute: Wine refuses a relative WINEPREFIX.
TEMPLATE = (SOURCE_DIR / os.environ.get("DW_TEMPLATE", "build/windows/e2e/prefix-template")).resolve()
SCREENSHOTS = (SOURCE_DIR / os.environ.get("DW_SCREENSHOTS", "build/windows/screenshots")).resolve()
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

    def launch(self, exe, *args, cwd=None):
        """Starts a Windows program without waiting; it is ended with the session."""
        process = subprocess.Popen([WINE, str(exe), *args], env=self.env, cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def start(self, *args):
        return self.launch(EXE, *args)

    def run_to_end(self, exe, *args, cwd=None, timeout=60):
        """Runs a Windows program to its end; its exit code and how long it took."""
        began = time.monotonic()
        completed = subprocess.run([WINE, str(exe), *args], env=self.env, cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=timeout)
        return completed.returncode, time.monotonic() - began

    def run_program(self, *args, timeout=60):
        """Runs drivewarden.exe to its end."""
        return self.run_to_end(EXE, *args, timeout=timeout)

    def ask(self, tool, *args, timeout=60):
        """Runs one of the test tools; its exit code and what it printed (UTF-8).
        The answer goes through a file, not a pipe: a Wine process the tool happens
        to start (the desktop, say) would inherit a pipe and keep it open for its life."""
        answer = self.root / "tool-answer.txt"
        with open(answer, "w+", encoding="utf-8", errors="replace") as out:
            completed = subprocess.run([WINE, tool, *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return completed.returncode, out.read().strip()

    def helper(self, *args, timeout=60):
        return self.ask(HELPER, *args, timeout=timeout)

    def start_and_wait(self, *args, exe=EXE):
        """Starts the program and waits until its start-up has finished: the panel
        window exists before the start-up sequence runs, the log and the pop-up
        window are made near its end, and a message answered means the message loop
        has been reached."""
        process = self.launch(exe, *args)
        code, _ = self.helper("wait-panel", 60000, timeout=90)
        check(code == 0, "the control panel window never appeared")
        check(wait_until(lambda: any((self.data_folder / "log").glob("*.u.txt")), 30), "no log was made at start")
        # On a restart the log is already there, and the panel may answer while its
        # start-up still waits on the shell: the pop-up, made after the panel, is the
        # surer sign.
        check(wait_until(lambda: self.helper("popup-state")[0] in (0, 1), 30), "the pop-up window was never made")
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
    # The start-up notices (welcome, scan result) cover the notification area until they go.
    wait_until(lambda: session.helper("popup-state")[0] != 0, 20)
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


# Companion programs: update.exe and usbcmd.exe beside drivewarden.exe.

UPDATER_WINDOW = "TUpdateNotice"


def companion(name):
    path = Path(EXE).with_name(name)
    check(path.exists(), f"missing program: {path}")
    return path


def run_companion(session, name, *args, timeout=30):
    """Runs a companion from the program's folder to its end; its exit code and
    how long it took."""
    path = companion(name)
    try:
        return session.run_to_end(path, *args, cwd=path.parent, timeout=timeout)
    except subprocess.TimeoutExpired:
        raise Failure(f"{name} {args} did not end within {timeout} s")


def check_updater_window(session, argument, wanted, screenshot):
    """Runs update.exe with one argument as the program passes it, finds the line
    wanted in its window, captures it, and closes it with the window's own close."""
    path = companion("update.exe")
    process = session.launch(path, argument, cwd=path.parent)
    code, text = session.helper("window-text", UPDATER_WINDOW, "Drivewarden", 30000)
    check(code == 0, f"no updater window appeared (helper said {code})")
    check(wanted in text.splitlines(), f"updater window texts: {text!r}")
    time.sleep(1)
    session.screenshot(screenshot)
    check(process.poll() is None, "the updater ended while its window was shown")
    check(session.helper("close-window", UPDATER_WINDOW, "Drivewarden")[0] == 0, "the updater window could not be closed")
    try:
        check(process.wait(timeout=30) == 0, f"the updater ended with {process.returncode}")
    except subprocess.TimeoutExpired:
        raise Failure("the updater did not end after its window was closed")


def case_updater_english(session):
    """The user's request in English: update.exe " /langid=1 /no_update_check"
    (with the leading blank the program passes) says in English, in a window of
    its own that closes with its button, that no check could be made."""
    check_updater_window(session, " /langid=1 /no_update_check",
                         "Could not check for updates: Drivewarden has no update service yet", "updater-english")


def case_updater_not_checked(session):
    """Without "/no_update_check" there is no update service to ask either: the
    updater says in French that no check could be made (never that all is up to
    date), and the long text wraps inside its window."""
    check_updater_window(session, "/langid=0",
                         "Impossible de rechercher une mise à jour : Drivewarden n'a pas encore de service de mise à jour",
                         "updater-french-not-checked")


def case_updater_hidden(session):
    """The start at program start-up: update.exe "/hidden /langid=0 /no_update_check"
    ends at once and shows nothing."""
    code, took = run_companion(session, "update.exe", "/hidden", "/langid=0", "/no_update_check")
    check(code == 0, f"the hidden updater ended with {code}")
    check(session.helper("window-text", UPDATER_WINDOW, "Drivewarden", 2000)[0] == 1, "the hidden updater showed a window")


def case_usbcmd_runasadmin(session):
    """usbcmd.exe "/runAsadmin" starts drivewarden.exe from its own folder with
    "runasadmin" (under Wine "runas" runs it without a prompt); without that
    argument it starts nothing and ends with a non-zero code."""
    code, _ = run_companion(session, "usbcmd.exe")
    check(code != 0, "usbcmd.exe without arguments ended with 0")
    code, _ = run_companion(session, "usbcmd.exe", "/something")
    check(code != 0, "usbcmd.exe with an unknown argument ended with 0")
    check(session.helper("wait-panel", 2000)[0] == 1, "usbcmd.exe started the program without /runAsadmin")

    code, _ = run_companion(session, "usbcmd.exe", "/runAsadmin")
    check(code == 0, f"usbcmd.exe /runAsadmin ended with {code}")
    code, _ = session.helper("wait-panel", 60000, timeout=90)
    check(code == 0, "usbcmd.exe did not start the program")
    code, answer = session.helper("process-line", "drivewarden.exe", 10000)
    check(code == 0, f"the started program's command line could not be read (helper said {code})")
    lines = answer.splitlines()
    check(len(lines) == 3, f"process-line answer: {answer!r}")
    command_line, image, directory = lines
    print(f"usbcmd.exe started {command_line!r} in {directory!r}")
    check(command_line.rstrip().lower().endswith(" runasadmin"), f"the program was started with {command_line!r}")
    folder = image[: image.rfind("\\") + 1]
    check(folder.lower().endswith("\\src\\programs\\"), f"the program that was started: {image!r}")
    check(directory.lower() == folder.lower(), f"started in {directory!r}, not in its folder {folder!r}")
    check(session.helper("autoplay")[0] == 0, "the started program does not answer messages")
    code, _ = session.helper("close-main")
    check(code == 0, "the started program's main window was not found")
    check(session.helper("wait-gone", 60000, timeout=90)[0] == 0, "the started program did not end")
# The Windows package: installer, uninstaller, portable zip and the programs' resources

SETUP = Path(os.environ.get("DW_SETUP", "build/windows/package/drivewarden-setup.exe"))
PORTABLE = Path(os.environ.get("DW_PORTABLE", "build/windows/package/drivewarden-portable.zip"))
PACKAGE_HELPER = os.environ.get("DW_PACKAGE_HELPER", "")
RELEASE_PROGRAMS = [name for name in os.environ.get("DW_RELEASE_PROGRAMS", "drivewarden.exe").split(",") if name]
VERSION = os.environ.get("DW_VERSION", "")
INSTALL_DIR = r"C:\Program Files\Drivewarden"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Drivewarden"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
ICON_SIZES = [16, 20, 24, 32, 48, 256]


def package_helper(session, *args, timeout=120):
    return session.ask(PACKAGE_HELPER, *args, timeout=timeout)


def install(session, *args, exit_code="0"):
    code, answer = package_helper(session, "run", " ".join([f'"{windows_path(SETUP)}"', "/S", *args]))
    check(code == 0, f"the installer could not be started (helper said {code})")
    check(answer == exit_code, f"the installer ended with {answer!r} (want {exit_code})")


def uninstall(session):
    """Silently, from its own place (_?=) so that its end is the end of the work."""
    code, answer = package_helper(session, "run", f'"{INSTALL_DIR}\\uninstall.exe" /S _?={INSTALL_DIR}')
    check(code == 0 and answer == "0", f"the uninstaller failed (helper said {code}, exit code {answer!r})")


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def install_folder(session):
    return session.prefix / "drive_c" / "Program Files" / "Drivewarden"


def start_menu_folder(session):
    return session.prefix / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Drivewarden"


def registry_values(session, key):
    """The values of a registry key as {name: (type, data)}; None when the key is missing."""
    completed = subprocess.run([WINE, "reg", "query", key], env=session.env, stdin=subprocess.DEVNULL,
                               capture_output=True, text=True, timeout=60)
    if completed.returncode != 0:
        return None
    values = {}
    for line in completed.stdout.splitlines():
        parts = line.strip().split("    ")
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return values


def record_icacls(session):
    """Wine's icacls only pretends: the helper takes its place and records what the
    installer asks of it."""
    shutil.copy(PACKAGE_HELPER, session.prefix / "drive_c" / "windows" / "system32" / "icacls.exe")
    subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\DllOverrides", "/v", "icacls.exe", "/d", "native", "/f"],
                   env=session.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True)
    return session.prefix / "drive_c" / "icacls-calls.txt"


def start_installed(session):
    """Starts the installed program from its installed place and waits for its loop."""
    return session.start_and_wait(exe=f"{INSTALL_DIR}\\drivewarden.exe")


def check_installed(session, autostart=True):
    folder = install_folder(session)
    expected = sorted(RELEASE_PROGRAMS + ["uninstall.exe", "Languages/english.lng", "Languages/french.lng"])
    found = sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())
    check(found == expected, f"installed files: {found} (want {expected})")
    links = sorted(p.name for p in start_menu_folder(session).glob("*.lnk"))
    check(links in (["Drivewarden.lnk", "Uninstall Drivewarden.lnk"], ["Drivewarden.lnk", "Désinstaller Drivewarden.lnk"]),
          f"Start-menu entries: {links}")
    for link, target in zip(links, ["drivewarden.exe", "uninstall.exe"]):
        # The link's target path, as its LinkInfo holds it.
        path = f"{INSTALL_DIR}\\{target}".encode("ascii") + b"\0"
        check(path in (start_menu_folder(session) / link).read_bytes(), f"{link} does not lead to {target}")
    run = registry_values(session, RUN_KEY) or {}
    if autostart:
        check(run.get("Drivewarden") == ("REG_SZ", f'"{INSTALL_DIR}\\drivewarden.exe"'), f"start at logon: {run}")
    else:
        check("Drivewarden" not in run, f"start at logon although left out: {run}")
    entry = registry_values(session, UNINSTALL_KEY)
    check(entry is not None, "no Add/Remove Programs entry")
    want = {
        "DisplayName": ("REG_SZ", "Drivewarden"),
        "DisplayVersion": ("REG_SZ", VERSION),
        "Publisher": ("REG_SZ", "The Drivewarden developers"),
        "DisplayIcon": ("REG_SZ", f"{INSTALL_DIR}\\drivewarden.exe,0"),
        "UninstallString": ("REG_SZ", f'"{INSTALL_DIR}\\uninstall.exe"'),
        "QuietUninstallString": ("REG_SZ", f'"{INSTALL_DIR}\\uninstall.exe" /S'),
        "NoModify": ("REG_DWORD", "0x1"),
        "NoRepair": ("REG_DWORD", "0x1"),
    }
    for name, value in want.items():
        check(entry.get(name) == value, f"uninstall entry {name}: {entry.get(name)} (want {value})")
    size_type, size = entry.get("EstimatedSize", ("", "0"))
    installed_kib = sum(p.stat().st_size for p in folder.rglob("*") if p.is_file()) // 1024
    check(size_type == "REG_DWORD" and abs(int(size, 16) - installed_kib) <= 16,
          f"EstimatedSize {size} (the files take {installed_kib} KiB)")
    check(session.data_folder.is_dir(), "the installer made no data folder")


def case_package_install_uninstall(session):
    """A silent install puts the programs, the shortcuts, the start at logon and the
    uninstall entry in place; the installed program finds its language files (English
    texts on its panel); the silent uninstall ends it in order (its settings are
    written), removes everything it installed and keeps the data folder."""
    calls = record_icacls(session)
    install(session)
    check_installed(session)
    # Every user of the PC (BUILTIN\Users, by SID) may change the data folder and
    # whatever is made in it later.
    grant = r'"C:\ProgramData\Drivewarden" /grant *S-1-5-32-545:(OI)(CI)M'
    asked = calls.read_text().splitlines() if calls.exists() else []
    check(len(asked) == 1 and asked[0].endswith(grant), f"icacls was asked: {asked}")
    session.write_settings(SEEDED_SETTINGS.replace("languageId=0", "languageId=1"))
    process = start_installed(session)
    check(package_helper(session, "panel-text", "Delete all")[0] == 0,
          "the installed program shows no English text: its language files were not found")
    session.settings_file.unlink()
    uninstall(session)
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the uninstaller left the program running")
    settings = session.read_settings()
    check(settings["app"]["languageId"] == "1" and settings["app"]["firstrun"] == "0",
          f"the settings written at the end: {settings}")
    folder = install_folder(session)
    # A silent uninstaller run from its own place cannot delete itself.
    left = sorted(str(p.relative_to(folder)) for p in folder.rglob("*")) if folder.exists() else []
    check(left in ([], ["uninstall.exe"]), f"left in the install folder: {left}")
    check(not start_menu_folder(session).exists(), "the Start-menu entries were left")
    check(registry_values(session, UNINSTALL_KEY) is None, "the uninstall entry was left")
    check("Drivewarden" not in (registry_values(session, RUN_KEY) or {}), "the start at logon was left")
    check(session.settings_file.exists() and any((session.data_folder / "log").glob("*.u.txt")),
          "the silent uninstall removed the data folder")


def case_package_install_over_running(session):
    """Installing over a running program ends it in order first (a first run writes
    its settings only at an orderly end), keeps the settings, starts it again
    afterwards, and /NOAUTOSTART takes the start at logon away. A file that cannot
    be replaced fails the install."""
    install(session)
    process = start_installed(session)
    check(not session.settings_file.exists(), "settings were written before the end of the run")
    install(session, "/NOAUTOSTART")
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("installing over a running program left it running")
    check(same_settings(session.read_settings(), FIRST_RUN_SETTINGS), "the running program did not end in order")
    check_installed(session, autostart=False)
    # The update starts the program it closed again, from the new files.
    check(session.helper("wait-panel", 30000, timeout=60)[0] == 0, "the program was not started again after the update")
    check(wait_until(lambda: session.helper("autoplay")[0] == 0, 30), "the restarted program does not answer")
    session.settings_file.unlink()
    check(session.helper("close-main")[0] == 0, "the restarted program has no main window")
    check(wait_until(session.settings_file.exists, 30), "the restarted program did not end in order")
    # A file that cannot be replaced (Wine does not lock a running program's file, so
    # a folder stands in its place) makes even a silent install fail, not half succeed.
    blocked = install_folder(session) / "drivewarden-cli.exe"
    blocked.unlink()
    blocked.mkdir()
    install(session, exit_code="2")


def case_package_installer_pages(session):
    """The installer in French, page by page, and the uninstaller's choice about
    the data folder (screenshots for review): the language asked first, the start
    at logon offered and ticked, the data removal offered unticked, and done when
    ticked."""
    setup = f'"{windows_path(SETUP)}"'
    process = session.launch(PACKAGE_HELPER, "run", setup)
    title = "Installer Language"
    check(package_helper(session, "wait-window", title, 60000)[0] == 0, "no language choice was offered")
    check(package_helper(session, "select", title, "Fran")[0] == 0, "French is not offered")
    time.sleep(1)
    session.screenshot("installer-1-language")
    check(package_helper(session, "click", title, 1)[0] == 0, "the language could not be chosen")
    pages = [("installer-2-welcome", "Bienvenue"), ("installer-3-components", None), ("installer-4-folder", None)]
    check(package_helper(session, "wait-window", "Drivewarden", 30000)[0] == 0, "the installer's window never appeared")
    for name, _ in pages:
        time.sleep(1.5)
        session.screenshot(name)
        check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, f"no next button after {name}")
    check(wait_until(lambda: (registry_values(session, UNINSTALL_KEY) or {}).get("DisplayName") is not None, 60),
          "the interactive install did not finish")
    time.sleep(2)
    session.screenshot("installer-5-finish")
    check("Drivewarden" in (registry_values(session, RUN_KEY) or {}), "the start at logon was not ticked by default")
    check(registry_values(session, UNINSTALL_KEY).get("InstallerLanguage") == ("REG_SZ", "1036"),
          "the French choice was not kept for the uninstaller")
    # Started from here, the program would outlive the case's checks.
    check(package_helper(session, "click-text", "Drivewarden", "Lancer Drivewarden")[0] == 0,
          "the finish page does not offer to start Drivewarden")
    check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, "the finish page could not be closed")
    time.sleep(2)
    uninstaller = session.launch(PACKAGE_HELPER, "run", f'"{INSTALL_DIR}\\uninstall.exe"')
    check(package_helper(session, "wait-window", "Drivewarden", 30000)[0] == 0, "the uninstaller's window never appeared")
    time.sleep(1.5)
    session.screenshot("uninstaller-1-confirm")
    check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, "no next button in the uninstaller")
    time.sleep(1.5)
    session.screenshot("uninstaller-2-components")
    check(session.data_folder.is_dir(), "no data folder before the uninstall")
    check(package_helper(session, "tick", "Drivewarden", 1)[0] == 0, "the data removal is not offered")
    time.sleep(1)
    session.screenshot("uninstaller-3-remove-data")
    check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, "no uninstall button")
    check(wait_until(lambda: registry_values(session, UNINSTALL_KEY) is None, 60), "the uninstall did not finish")
    check(wait_until(lambda: not session.data_folder.exists(), 10), "the data folder was kept although its removal was ticked")


def pe_resources(data):
    """The resources of a PE file: {(type, name): [bytes of each language]}."""
    import struct
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    check(data[pe:pe + 4] == b"PE\0\0", "not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rva, size = struct.unpack_from("<II", data, directories + 2 * 8)
    check(size > 0, "no resources")
    table = optional + optional_size
    for i in range(sections):
        _, virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            base = raw_pointer + rva - virtual_address
            delta = virtual_address - raw_pointer
            break
    else:
        raise Failure("the resource directory lies in no section")

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", data, base + offset)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            yield name, target

    found = {}
    for kind, kind_dir in entries(0):
        for name, name_dir in entries(kind_dir & 0x7FFFFFFF):
            for _, leaf in entries(name_dir & 0x7FFFFFFF):
                data_rva, data_size = struct.unpack_from("<II", data, base + leaf)
                found.setdefault((kind, name), []).append(data[data_rva - delta:data_rva - delta + data_size])
    return found


def icon_sizes(data):
    """The sizes of the first icon group's images."""
    import struct
    resources = pe_resources(data)
    groups = sorted(key for key in resources if key[0] == 14)
    check(groups, "no icon group")
    group = resources[groups[0]][0]
    count = struct.unpack_from("<H", group, 4)[0]
    sizes = []
    for i in range(count):
        width, _, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        check((3, icon_id) in resources, f"icon image {icon_id} is missing")
        sizes.append(width or 256)
    return sorted(sizes)


def case_package_resources(session):
    """Every shipped program carries the icon at every size and the version
    resource (read through GetFileVersionInfoW); the portable zip holds the same
    files as the installer; the checksums match; the committed icon is the one
    tools/make_icon.py draws."""
    import hashlib
    import zipfile
    for artifact in (SETUP, PORTABLE):
        line = Path(f"{artifact}.sha256").read_text()
        check(line == f"{hashlib.sha256(artifact.read_bytes()).hexdigest()}  {artifact.name}\n",
              f"checksum file of {artifact.name}: {line!r}")
    install(session)
    folder = install_folder(session)
    with zipfile.ZipFile(PORTABLE) as archive:
        names = sorted(archive.namelist())
        installed = sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())
        check(names == sorted(f"Drivewarden/{name}" for name in installed if name != "uninstall.exe"),
              f"portable zip: {names}")
        for name in names:
            check(archive.read(name) == (folder / name.split("/", 1)[1]).read_bytes(), f"{name} differs from the installed file")
    numbers = ".".join((VERSION.split(".") + ["0", "0", "0"])[:4])
    for program in RELEASE_PROGRAMS:
        sizes = icon_sizes((folder / program).read_bytes())
        check(sizes == ICON_SIZES, f"{program}: icon sizes {sizes}")
        code, text = package_helper(session, "version-info", f"{INSTALL_DIR}\\{program}")
        check(code == 0, f"{program}: no version information (helper said {code})")
        info = dict(line.split("=", 1) for line in text.splitlines())
        want = {"ProductName": "Drivewarden", "ProductVersion": VERSION, "FileVersion": VERSION,
                "CompanyName": "The Drivewarden developers", "OriginalFilename": program,
                "FixedFileVersion": numbers, "FixedProductVersion": numbers}
        for name, value in want.items():
            check(info.get(name) == value, f"{program}: {name} is {info.get(name)!r} (want {value!r})")
        check(info.get("FileDescription", "").startswith("Drivewarden"), f"{program}: description {info}")
        check("Copyright" in info.get("LegalCopyright", ""), f"{program}: copyright {info}")
    code, text = package_helper(session, "version-info", windows_path(SETUP))
    check(code == 0 and f"ProductVersion={VERSION}" in text.splitlines(), f"the installer's version: {text!r}")
    drawn = session.root / "drawn.ico"
    subprocess.run([sys.executable, str(SOURCE_DIR / "tools/make_icon.py"), str(drawn)], check=True)
    check(drawn.read_bytes() == (SOURCE_DIR / "packaging/drivewarden.ico").read_bytes(),
          "packaging/drivewarden.ico is not what tools/make_icon.py draws")
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


# Notification pop-ups


# The protection link "Activer/ Désactiver la protection" on the control panel, at 96 dpi.
PROTECTION_LINK = (300, 426)
NOTICE_GREEN = (192, 220, 192)
ALERT_RED = (245, 75, 80)


def popup_state(session):
    """(visible, window rectangle, work area) of the pop-up window."""
    code, text = session.helper("popup-state")
    check(code in (0, 1), f"no pop-up window (helper said {code})")
    words = text.split()
    numbers = [int(word) for word in words[1:]]
    return words[0] == "visible", tuple(numbers[:4]), tuple(numbers[4:])


def pixel(image, x, y):
    """The colour of one pixel of a screenshot, as (r, g, b)."""
    text = subprocess.run(["convert", str(image), "-format", f"%[fx:int(255*p{{{x},{y}}}.r)],"
                           f"%[fx:int(255*p{{{x},{y}}}.g)],%[fx:int(255*p{{{x},{y}}}.b)]", "info:"],
                          check=True, capture_output=True, text=True).stdout
    return tuple(int(round(float(v))) for v in text.strip().split(","))


def start_on_a_ready_desktop(session):
    """Starts the program once the desktop's taskbar is up, as on a real system: a
    pop-up raised at start-up is placed by the work area of that moment. Wine shows
    its taskbar only while it has an icon, so a helper's icon holds it until the
    program's own is there."""
    holder = session.launch(HELPER, "hold-taskbar", "60000")
    check(wait_until(lambda: session.helper("work-area-ready")[0] == 0, 30), "the desktop's taskbar never took its place")
    return session.start_and_wait()


def check_popup_shown(session, name, colour):
    """Waits for the pop-up, checks that it sits in the work area's bottom-right
    corner in the given colour, and keeps a screenshot of it."""
    check(wait_until(lambda: popup_state(session)[0], 10), f"{name}: the pop-up did not come up")
    _, (left, top, right, bottom), work = popup_state(session)
    check((right, bottom) == (work[2], work[3]), f"{name}: pop-up at {left},{top},{right},{bottom}, work area {work}")
    check((right - left, bottom - top) == (237, 128), f"{name}: pop-up size {right - left}x{bottom - top}")
    time.sleep(0.5)  # the painting settles
    shot = session.screenshot(name)
    # An empty spot between the title and the message.
    seen = pixel(shot, left + 120, top + 74)
    check(seen == colour, f"{name}: the pop-up's colour is {seen}, want {colour}")


def case_popup_protection_off(session):
    """Switching the protection off raises the red alert in the corner for one
    period; after a restart with the protection off the inactive notice is shown."""
    session.write_settings(SEEDED_SETTINGS)
    process = start_on_a_ready_desktop(session)
    # The start-up scan of drive R: tells its result first.
    check(wait_until(lambda: not popup_state(session)[0], 15), "the start-up scan's notice did not go away")
    check(session.helper("tray-click")[0] == 0, "the tray click did not reach the panel")
    check(wait_until(session.panel_visible, 10), "a left click on the tray icon did not show the panel")
    check(session.helper("panel-click", *PROTECTION_LINK)[0] == 0, "the protection link was not clicked")
    shown = time.monotonic()
    check_popup_shown(session, "popup-protection-off", ALERT_RED)
    check(wait_until(lambda: not popup_state(session)[0], 10), "the alert did not go away")
    gone = time.monotonic() - shown
    check(3 <= gone <= 10, f"the alert stayed {gone:.1f} s (one period is 4 s)")
    session.quit_through_main_window(process)
    check(session.read_settings()["app"]["enable"] == "0", "the switched-off protection was not written back")

    process = start_on_a_ready_desktop(session)
    check_popup_shown(session, "popup-inactive-at-start", ALERT_RED)
    session.quit_through_main_window(process)


def case_popup_first_run(session):
    """The first run greets the user with the green welcome notice."""
    process = start_on_a_ready_desktop(session)
    check_popup_shown(session, "popup-welcome", NOTICE_GREEN)
    check(not session.panel_visible(), "the welcome notice brought up the control panel")
    session.quit_through_main_window(process)


# Repair tools and drive exclusion

HIDDEN, SYSTEM = 0x2, 0x4
WORM_HIDDEN = ["Photos", "Documents", "recycler"]  # lower case: not the recycle bin's name
NEVER_REPAIRED = ["RECYCLER", "$RECYCLE.BIN", "System Volume Information", "FOUND.000"]
PROTECTION_NOTE = "NB. Ce dossier vous protège des autoruns des virus.txt"
# In the language file's words: its reader drops the built-in text's trailing blank.
PROTECTION_TEXT = ("DOSSIER CREER PAR LE LOGICIEL DRIVEWARDEN\r\n"
                   "Ce dossier vous protège des autoruns des virus\r\n").encode("cp1252")


def set_dos_attributes(path, attributes):
    """As Wine and Samba keep them, in the Unix file's extended attributes."""
    subprocess.run(["setfattr", "-n", "user.DOSATTRIB", "-v", f'"{attributes:#x}"', str(path)], check=True)


def dos_attributes(path):
    """The hidden and system attributes Wine keeps for a file (0 when it keeps none)."""
    completed = subprocess.run(["getfattr", "--only-values", "-n", "user.DOSATTRIB", str(path)],
                               capture_output=True)
    if completed.returncode != 0:
        return 0
    text = completed.stdout.decode("ascii", "replace").strip().strip('"\0')
    # Samba's own form may follow the hexadecimal number.
    return int(text.split()[0], 16) & (HIDDEN | SYSTEM) if text else 0


def folder_listing(folder):
    if not folder.is_dir():
        return sorted(path.name for path in folder.parent.iterdir())
    return {path.name: path.read_bytes() if path.is_file() else "folder" for path in folder.iterdir()}


def drive_row_index(session, list_name, root):
    rows = [row[0] for row in list_rows(session, list_name)]
    check(root in rows, f"{root} is not listed in {list_name}: {rows}")
    return rows.index(root)


def show_panel_page(session, page):
    if not session.panel_visible():
        check(session.helper("tray-click")[0] == 0, "the tray click did not reach the panel")
        check(wait_until(session.panel_visible, 10), "a left click on the tray icon did not show the panel")
    check(session.helper("show-page", page)[0] == 0, f"page {page} could not be shown")


def wait_for_quiet_popup(session):
    """Start-up notices (the scan's result) go first: a tool's notice comes after."""
    check(wait_until(lambda: session.helper("popup-state")[0] != 0, 30), "the start-up notice did not go away")


def wait_for_notice(session):
    check(wait_until(lambda: session.helper("popup-state")[0] == 0, 30), "no notice came up")


def run_attribute_repair(session, menu_item, answer):
    check(session.helper("click", "Reparer..")[0] == 0, "\"Reparer..\" could not be pressed")
    code, _ = session.helper("menu-pick", menu_item, 10000)
    check(code == 0, f"the repair menu did not open or take the choice (helper said {code})")
    code, _ = session.helper("answer-box", "Confirmation", answer, 10000)
    check(code == 0, f"no confirmation was asked before changing attributes (helper said {code})")


def case_repair_tools(session):
    """The tools page on a drive a worm has gone through: the folder repair, once
    declined and once confirmed, gives back the hidden folders and keeps the
    recycle bin's and the system's own; the file repair then does the same for
    files only; the protection folder tool makes the hidden AUTORUN.INF folder
    with its note, and a second run changes nothing; the tray menu's entry for the
    drive repairs its folders too. Each run ends with its notice, and opening the
    drive safely minimises the panel (screenshots for review)."""
    drive = session.drive
    for name in WORM_HIDDEN + NEVER_REPAIRED + ["OnlyHidden", "OnlySystem"]:
        (drive / name).mkdir()
        (drive / name / "inside.txt").write_text("kept\n")
    (drive / "notes.txt").write_text("hidden file\n")
    (drive / "readme.txt").write_text("plain file\n")
    for name in WORM_HIDDEN + NEVER_REPAIRED + ["notes.txt"]:
        set_dos_attributes(drive / name, HIDDEN | SYSTEM)
    set_dos_attributes(drive / "Photos" / "inside.txt", HIDDEN | SYSTEM)  # below the root: never touched
    set_dos_attributes(drive / "OnlyHidden", HIDDEN)
    set_dos_attributes(drive / "OnlySystem", SYSTEM)
    before = {path.name: dos_attributes(path) for path in drive.iterdir()}

    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    wait_for_quiet_popup(session)
    show_panel_page(session, 1)
    check(wait_until(lambda: "R:\\" in [row[0] for row in list_rows(session, "ListView3")], 10),
          f"drive R: is not on the tools page: {list_rows(session, 'ListView3')}")
    row = drive_row_index(session, "ListView3", "R:\\")
    check(session.helper("select-row", LIST_VIEWS["ListView3"], row)[0] == 0, "drive R: could not be selected")
    time.sleep(1)
    session.screenshot("tools-page")

    # Declined: nothing changes and no notice follows.
    run_attribute_repair(session, 0, 7)
    time.sleep(2)
    check(session.helper("popup-state")[0] != 0, "a declined repair raised a notice")
    now = {path.name: dos_attributes(path) for path in drive.iterdir()}
    check(now == before, f"a declined repair changed attributes: {before} -> {now}")

    run_attribute_repair(session, 0, 6)
    wait_for_notice(session)
    time.sleep(0.5)
    session.screenshot("tools-done-popup")
    for name in WORM_HIDDEN:
        check(dos_attributes(drive / name) == 0, f"{name} is still hidden after the folder repair")
    for name in NEVER_REPAIRED + ["notes.txt"]:
        check(dos_attributes(drive / name) == HIDDEN | SYSTEM, f"the folder repair changed {name}")
    check(dos_attributes(drive / "OnlyHidden") == HIDDEN and dos_attributes(drive / "OnlySystem") == SYSTEM,
          "the folder repair changed a folder that had only one of the two attributes")
    check(dos_attributes(drive / "Photos" / "inside.txt") == HIDDEN | SYSTEM, "the repair went below the root")
    check(wait_until(lambda: session.helper("popup-state")[0] != 0, 30), "the repair's notice did not go away")

    run_attribute_repair(session, 1, 6)
    wait_for_notice(session)
    check(dos_attributes(drive / "notes.txt") == 0, "notes.txt is still hidden after the file repair")
    for name in NEVER_REPAIRED:
        check(dos_attributes(drive / name) == HIDDEN | SYSTEM, f"the file repair changed the folder {name}")
    check(wait_until(lambda: session.helper("popup-state")[0] != 0, 30), "the repair's notice did not go away")

    check(session.helper("click", "Créer un dossier de protection")[0] == 0, "the protection folder button is missing")
    folder, note = drive / "AUTORUN.INF", drive / "AUTORUN.INF" / PROTECTION_NOTE
    check(wait_until(lambda: note.exists() and note.read_bytes() == PROTECTION_TEXT, 20),
          f"no protection folder with its note: {folder_listing(folder)}")
    check(folder.is_dir() and dos_attributes(folder) == HIDDEN, f"the protection folder's attributes: {dos_attributes(folder):#x}")
    wait_for_notice(session)
    time.sleep(0.5)
    session.screenshot("tools-protection-popup")
    check(wait_until(lambda: session.helper("popup-state")[0] != 0, 30), "the notice did not go away")
    written = note.stat().st_mtime_ns
    check(session.helper("click", "Créer un dossier de protection")[0] == 0, "the protection folder button is missing")
    wait_for_notice(session)
    check(note.stat().st_mtime_ns == written and note.read_bytes() == PROTECTION_TEXT,
          "a second run changed the protection folder")
    check(sorted(p.name for p in folder.iterdir()) == [PROTECTION_NOTE], "the protection folder holds more than its note")
    check(wait_until(lambda: session.helper("popup-state")[0] != 0, 30), "the notice did not go away")

    # The tray menu's folder repair: the drive's entry under its second item.
    set_dos_attributes(drive / "Photos", HIDDEN | SYSTEM)
    check(session.helper("tray-menu", SCREEN[0] - 10, SCREEN[1] - 10)[0] == 0, "the tray menu was not asked for")
    code, _ = session.helper("menu-pick", f"1/{row}", 10000)
    check(code == 0, f"the tray menu did not open or take the choice (helper said {code})")
    code, _ = session.helper("answer-box", "Confirmation", 6, 10000)
    check(code == 0, f"the tray menu's repair asked no confirmation (helper said {code})")
    wait_for_notice(session)
    check(dos_attributes(drive / "Photos") == 0, "Photos is still hidden after the tray menu's repair")
    check(dos_attributes(drive / "RECYCLER") == HIDDEN | SYSTEM, "the tray menu's repair changed RECYCLER")

    # Opening the drive safely puts the shown panel out of the way.
    check(session.helper("panel-minimized")[0] == 1, "the panel is minimised before the drive is opened")
    check(session.helper("click", "Ouvrir en toute sécurité")[0] == 0, "the safe-open button is missing")
    check(wait_until(lambda: session.helper("panel-minimized")[0] == 0, 20),
          "the panel was not minimised when the drive was opened")
    time.sleep(2)  # the shell's window comes up
    session.screenshot("tools-safe-open")
    check(process.poll() is None, "the program ended while its tools ran")
    session.quit_through_main_window(process)


def case_exclude_drive_restart(session):
    """Drive R:, scanned at start, is excluded through "Exclure le disque..." and
    its menu, confirmed: its set-aside autorun file gets its name back and the
    tools page no longer offers it. The exclusion is written at the orderly exit
    and holds after a restart: the options page shows it ticked and R: is not
    scanned (its autorun file keeps its name, nothing is listed). Clearing its box
    there includes it again, on the tools page and in the file."""
    autorun = session.drive / "autorun.inf"
    autorun.write_bytes(b"[autorun]\r\nopen=setup.exe\r\n")
    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    set_aside = session.drive / "autorun.inf.ren"
    check(wait_until(lambda: set_aside.exists() and not autorun.exists(), 30), "the start-up scan left the autorun file")
    check(wait_until(lambda: any(row[0] == "autorun.inf.ren" for row in list_rows(session, "ListView1")), 30),
          f"the autorun file was not listed: {list_rows(session, 'ListView1')}")
    show_panel_page(session, 0)
    show_panel_page(session, 1)
    menu_index = drive_row_index(session, "ListView3", "R:\\")  # the menu lists the same drives
    show_panel_page(session, 0)
    check(session.helper("click", "Exclure le disque...")[0] == 0, "\"Exclure le disque...\" could not be pressed")
    code, _ = session.helper("menu-pick", menu_index, 10000)
    check(code == 0, f"the drive menu did not open or take the choice (helper said {code})")
    code, _ = session.helper("answer-box", "Confirmation", 6, 10000)
    check(code == 0, f"no confirmation was asked before excluding (helper said {code})")
    check(wait_until(lambda: autorun.exists() and not set_aside.exists(), 10),
          "excluding the drive did not give its autorun file its name back")
    show_panel_page(session, 1)
    rows = list_rows(session, "ListView3")
    check(all(row[0] != "R:\\" for row in rows), f"the excluded drive is still offered on the tools page: {rows}")
    session.quit_through_main_window(process)

    avoid = session.read_settings()["scan"]["avoid"]
    entries = [entry.upper() for entry in avoid.split(";")]
    check(avoid.endswith(";") and "R:\\" in entries and "C:\\" in entries, f"avoid={avoid!r}")

    process = session.start_and_wait()
    wait_for_quiet_popup(session)
    show_panel_page(session, 3)
    check(wait_until(lambda: "R:\\" in [row[0] for row in list_rows(session, "ListView5")], 10),
          f"drive R: is not on the options page: {list_rows(session, 'ListView5')}")
    row = drive_row_index(session, "ListView5", "R:\\")
    time.sleep(0.5)
    session.screenshot("tools-options-excluded")
    code, ticked = session.helper("ticked-rows", LIST_VIEWS["ListView5"])
    check(code == 0 and str(row) in ticked.split(), f"R: is not ticked as excluded after the restart: {ticked!r}")
    # The first run set the file aside at once; a scan of R: now would do the same.
    check(not wait_until(lambda: set_aside.exists() or not autorun.exists(), 5),
          "the excluded drive was scanned after the restart")
    check(list_rows(session, "ListView1") == [], f"findings after the restart: {list_rows(session, 'ListView1')}")

    # Clearing its box on the options page includes the drive again.
    check(session.helper("click-box", LIST_VIEWS["ListView5"], row)[0] == 0, "R:'s check box could not be clicked")
    check(wait_until(lambda: str(row) not in session.helper("ticked-rows", LIST_VIEWS["ListView5"])[1].split(), 10),
          "R:'s check box stayed ticked")
    show_panel_page(session, 1)
    rows = list_rows(session, "ListView3")
    check(any(row[0] == "R:\\" for row in rows), f"the drive included again is not on the tools page: {rows}")
    session.quit_through_main_window(process)
    check(session.read_settings()["scan"]["avoid"].upper() == "C:\\;", "the drive included again is still excluded")


WINDOW_TESTS = "FormWindowTest.*:PanelWindowTest.*:StateIcons.*:NotifyWindowTest.*"


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
