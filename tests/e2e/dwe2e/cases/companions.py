"""The companion programs beside drivewarden.exe: update.exe and usbcmd.exe."""

import subprocess
from pathlib import Path

from ..checks import Failure, check
from ..config import EXE

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
