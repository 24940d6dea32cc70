"""The panel's pages, the tray menu and the desktop captured for review, in French,
in English and at a high resolution."""

import shutil
import time

from ..checks import check, wait_for, wait_until
from ..config import SCREEN
from ..drive import make_demo_drive
from ..panel import PAGES, close_panel, list_rows, popup_hidden, show_panel_through_tray
from ..settings import SEEDED_SETTINGS

TRAY_ICON = (SCREEN[0] - 10, SCREEN[1] - 10)


def capture_pages(session, prefix):
    for index, name in enumerate(PAGES):
        code, _ = session.helper("show-page", index)
        check(code == 0, f"page {index} could not be shown (helper said {code})")
        # Each page looks unlike what was shown before it.
        session.screenshot(f"{prefix}-{index + 1}-{name}", changed=True)


def open_tray_menu(session):
    check(session.helper("tray-menu", *TRAY_ICON)[0] == 0, "the tray menu was not asked for")
    session.wait_for_menu()


def case_screenshots(session):
    """A left click on the tray icon shows the panel; then each page and the tray
    menu are captured for review."""
    process = session.start_and_wait()
    # The start-up notices (welcome, scan result) cover the notification area until they go.
    wait_for(lambda: popup_hidden(session), 20, "the start-up notices did not go away")
    session.wait_for_taskbar()
    session.screenshot("desktop-tray")
    show_panel_through_tray(session)
    capture_pages(session, "panel")
    close_panel(session)
    open_tray_menu(session)
    session.screenshot("tray-menu")
    check(process.poll() is None, "the program ended while its windows were shown")


def high_dpi_pages(session, prefix):
    """At 144 dots per inch every size grows by half: the client area that is
    479 x 445 at 96 dpi, the fonts and the controls (screenshots for review)."""
    session.set_dpi(144)
    process = session.start_and_wait()
    code, size = session.helper("panel-client")
    check(code == 0 and size == "719 668", f"client area at 144 dpi: {size!r} (want 719 668)")
    wait_for(lambda: popup_hidden(session), 20, "the start-up notices did not go away")
    show_panel_through_tray(session)
    capture_pages(session, prefix)
    check(process.poll() is None, "the program ended while its windows were shown")


def case_high_dpi(session):
    """Every page in French at 144 dpi."""
    high_dpi_pages(session, "panel-144dpi")


def case_high_dpi_english(session):
    """Every page in English at 144 dpi."""
    session.write_settings(SEEDED_SETTINGS.replace("languageId=0", "languageId=1"))
    high_dpi_pages(session, "en-panel-144dpi")


def case_scan_progress(session):
    """A thorough scan of a drive of many folders shows its progress on the status
    line while it runs (screenshot taken as it moves), then its summary."""
    for top in range(80):
        for sub in range(200):
            (session.drive / f"dir{top:02}" / f"sub{sub:03}").mkdir(parents=True)
    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    wait_for(lambda: popup_hidden(session), 60, "the start-up notices did not go away")
    show_panel_through_tray(session)
    check(session.helper("show-page", 0)[0] == 0, "the findings page could not be shown")
    check(session.helper("click", "Analyser")[0] == 0, "\"Analyser\" could not be pressed")
    # The status line moves four times a second: one capture as it is.
    time.sleep(0.6)
    session.shots.take_moving("scan-progress")
    check(process.poll() is None, "the program ended during the scan")


def case_english_screenshots(session):
    """languageId=1: every page and the tray menu in English, the findings page
    with the demo drive's findings (screenshots for review)."""
    shutil.rmtree(session.drive)
    make_demo_drive(session.drive, "DEMO_USB")
    session.write_settings(SEEDED_SETTINGS.replace("languageId=0", "languageId=1"))
    process = session.start_and_wait()
    check(wait_until(lambda: len(list_rows(session, "ListView1")) >= 4, 60), "the start-up scan listed nothing")
    check(wait_until(session.panel_visible, 10), "findings were listed but the panel stayed hidden")
    rows = list_rows(session, "ListView1")
    check(all(row[1] in ("Threat", "Suspicious file") for row in rows), f"kinds not in English: {rows}")
    check(any(row[0] == "DEMO_STICK.lnk" and row[3:] == ("Shortcut that runs cmd.exe on a hidden file of this drive",)
              for row in rows), f"reasons not in English: {rows}")
    capture_pages(session, "en-panel")
    close_panel(session)
    open_tray_menu(session)
    # Off the icon, whose tip would cover the menu's last entry.
    session.helper("cursor", SCREEN[0] // 2, SCREEN[1] // 2)
    session.screenshot("en-tray-menu")
    check(process.poll() is None, "the program ended while its windows were shown")
