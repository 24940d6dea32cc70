"""What the program says matches what it did: the protection switched off is the
first thing the panel says, a scan asked for meanwhile says why nothing happens,
switching the protection on scans the drive attached while it was off, and an
antivirus that cannot be started is told of."""

from ..checks import check, wait_until
from ..config import SCREEN
from ..panel import list_rows, popup_hidden, wait_for_notice
from ..settings import SEEDED_SETTINGS
from .popups import PROTECTION_LINK

# The tray menu's "Analyser avec mon antivirus" entry, as the arrow keys reach it.
TRAY_ANTIVIRUS = 6


def case_protection_switch_and_antivirus(session):
    """The protection is off at start and drive R: holds an autorun file and its
    program: the panel says the PC is unprotected (screenshot), "Analyser" gives a
    notice that nothing is scanned and leaves the drive alone (screenshot);
    switching the protection on scans R: without being asked (its autorun file is
    set aside, both are listed; screenshot). The tray menu's antivirus entry, with
    a command line whose program is missing, ends with a red notice (screenshot)."""
    drive = session.drive
    (drive / "autorun.inf").write_bytes(b"[autorun]\r\nopen=setup.exe\r\n")
    (drive / "setup.exe").write_bytes(b"MZ stand-in")
    settings = SEEDED_SETTINGS.replace("enable=1", "enable=0").replace(
        "AntivirusCmdLine=", 'AntivirusCmdLine="C:\\AV\\missing.exe" /scan %s')
    session.write_settings(settings)
    process = session.start_and_wait()
    check(wait_until(session.panel_visible, 10), "the control panel is hidden although protection is off")
    check(wait_until(lambda: popup_hidden(session), 30), "the start-up notice did not go away")
    session.screenshot("honest-protection-off")

    before = session.helper("foreground")[1].strip()
    check(session.helper("click", "Analyser")[0] == 0, "\"Analyser\" could not be pressed")
    wait_for_notice(session)
    # The notice does not take the keyboard from the window the user was in.
    after = session.helper("foreground")[1].strip()
    check(after != "TForm3" and after == before, f"the notice took the foreground: {before!r} -> {after!r}")
    session.screenshot("honest-scan-while-off")
    check((drive / "autorun.inf").exists(), "a scan ran while the protection was off")
    check(list_rows(session, "ListView1") == [], "findings were listed while the protection was off")
    check(wait_until(lambda: popup_hidden(session), 30), "the notice did not go away")

    check(session.helper("panel-click", *PROTECTION_LINK)[0] == 0, "the protection link was not clicked")
    check(wait_until(lambda: (drive / "autorun.inf.ren").exists(), 30),
          "switching the protection on did not scan the drive attached while it was off")
    check(wait_until(lambda: {row[0] for row in list_rows(session, "ListView1")} == {"autorun.inf.ren", "setup.exe"},
                     30), f"the drive's findings were not listed: {list_rows(session, 'ListView1')}")
    session.screenshot("honest-protection-on-scans")
    check(wait_until(lambda: popup_hidden(session), 30), "the notices did not go away")

    check(session.helper("tray-menu", SCREEN[0] - 10, SCREEN[1] - 10)[0] == 0, "the tray menu was not asked for")
    code, _ = session.helper("menu-pick", f"{TRAY_ANTIVIRUS}/0", 10000)
    check(code == 0, f"the tray menu did not open or take the choice (helper said {code})")
    wait_for_notice(session)
    session.screenshot("honest-antivirus-not-started")
    check(process.poll() is None, "the program ended")
    session.quit_through_main_window(process)
