"""One case's environment: a prepared prefix with drive R: backed by a temporary
folder, its own wineserver, and a private X display with Wine's virtual desktop."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from . import pictures
from .checks import Failure, check, wait_for
from .config import DRIVE_LETTER, EXE, HELPER, SCREEN, WINE, WINESERVER, wine_environment
from .prefix import PrefixSlot, stop_wine
from .settings import parse_ini


class WineSession:
    def __enter__(self):
        self.root = Path(tempfile.mkdtemp(prefix="dw-e2e-"))
        self.drive = self.root / "drive"
        self.tool_errors = self.root / "tool-errors.txt"
        self.slot = None
        self.xvfb = None
        self.env = None
        self.processes = []
        self.shots = None
        try:
            self.slot = PrefixSlot()
            self.prefix = self.slot.prefix
            self.drive.mkdir()
            (self.drive / ".windows-label").write_text("DEMO_USB\n")
            (self.prefix / "dosdevices" / f"{DRIVE_LETTER}:").symlink_to(self.drive)
            self.display = self._start_xvfb()
            self.env = wine_environment(self.prefix, self.display)
            self.shots = pictures.Screen(self.display)
            self._start_wineserver()
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

    def _start_wineserver(self):
        # A persistent server: Wine's helpers then do not hold our pipes open.
        subprocess.run([WINESERVER, "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def __exit__(self, kind, failure, trace):
        if kind is Failure and self.tool_errors.exists() and self.tool_errors.stat().st_size:
            print(f"the last tool's errors: {self.tool_errors.read_text(errors='replace')}", file=sys.stderr)
        try:
            if self.slot:
                # Before the slot goes to the next case: its registry files are written now.
                stop_wine(self.prefix)
        finally:
            for process in self.processes:
                try:
                    process.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    process.kill()
            if self.xvfb:
                self.xvfb.terminate()
                self.xvfb.wait(timeout=10)
            shutil.rmtree(self.root, ignore_errors=True)
            if self.slot:
                self.slot.release()
        return False

    def set_dpi(self, dpi):
        """The screen's dots per inch, read by Wine when it starts: Wine restarts."""
        subprocess.run([WINESERVER, "-k"], env=self.env, stderr=subprocess.DEVNULL)
        for key in (r"HKCU\Control Panel\Desktop", r"HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts"):
            subprocess.run([WINE, "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f"],
                           env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        stop_wine(self.prefix)
        self._start_wineserver()

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
        to start (the desktop, say) would inherit a pipe and keep it open for its life.
        What Wine itself says about the run is kept for a failure's report."""
        answer = self.root / "tool-answer.txt"
        with open(answer, "w+", encoding="utf-8", errors="replace") as out, open(self.tool_errors, "wb") as errors:
            completed = subprocess.run([WINE, tool, *map(str, args)], env=self.env, stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=errors, timeout=timeout)
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
        wait_for(lambda: any((self.data_folder / "log").glob("*.u.txt")), 30, "no log was made at start")
        # On a restart the log is already there, and the panel may answer while its
        # start-up still waits on the shell: the pop-up, made after the panel, is the
        # surer sign.
        wait_for(lambda: self.helper("popup-state")[0] in (0, 1), 30, "the pop-up window was never made")
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

    def wait_for_taskbar(self):
        """Wine shows its taskbar, and the tray icons in it, once it has an icon to show."""
        wait_for(lambda: self.helper("work-area-ready")[0] == 0, 30, "the desktop's taskbar never took its place")

    def wait_for_menu(self):
        code, _ = self.helper("wait-menu", 10000)
        check(code == 0, f"the program's popup menu did not open (helper said {code})")

    def threads(self, exe_name="drivewarden.exe"):
        code, text = self.helper("threads", exe_name)
        check(code == 0, f"{exe_name} is not running (helper said {code})")
        return int(text)

    def screenshot(self, name, changed=False):
        """The screen once its painting has settled, kept for review; changed asks
        for a picture other than the one taken before (a page that has turned)."""
        return self.shots.take(name, changed)

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

    def log_text(self):
        return "".join(path.read_bytes().decode("cp1252") for path in (self.data_folder / "log").glob("*.u.txt"))
