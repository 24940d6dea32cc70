"""The log page after a scan of the demo drive: the entries newest first, in the
user's words, in French and in English (screenshots for review)."""

import shutil

from ..checks import check, wait_until
from ..config import DRIVE_LETTER
from ..drive import make_demo_drive
from ..panel import PAGES, list_rows, show_panel_page
from ..settings import SEEDED_SETTINGS

LOG_PAGE = PAGES.index("log")


def scanned_log_rows(session, language_id):
    """Starts the program on the demo drive, waits for its start-up scan to end in
    the log, then shows the log page and gives its rows."""
    shutil.rmtree(session.drive)
    make_demo_drive(session.drive, "DEMO_USB")
    session.write_settings(SEEDED_SETTINGS.replace("languageId=0", f"languageId={language_id}"))
    process = session.start_and_wait()
    check(wait_until(lambda: "scan/end" in session.log_text(), 60), f"no scan ended: {session.log_text()!r}")
    show_panel_page(session, LOG_PAGE)
    check(wait_until(lambda: len(list_rows(session, "ListView6")) >= 3, 20),
          f"the log page lists nothing: {list_rows(session, 'ListView6')}")
    return process, list_rows(session, "ListView6")


def check_rows(rows, started, found, ended):
    actions = [row[1] for row in rows]
    # Newest first: the end of the scan comes before its findings, its start last.
    check(actions.index(ended) < actions.index(started), f"not newest first: {actions}")
    check(found in actions and actions.index(ended) < actions.index(found) < actions.index(started),
          f"the findings are not between the scan's end and its start: {actions}")
    check(all(row[0][:1].isdigit() for row in rows), f"a row without its date: {rows}")
    check(any(row[2].lower().startswith(f"{DRIVE_LETTER}:\\") for row in rows), f"no target on the drive: {rows}")


def case_log_page_after_scan(session):
    """In French: "Analyse terminée" above the findings, "Analyse commencée" below."""
    process, rows = scanned_log_rows(session, 0)
    check_rows(rows, "Analyse commencée", "Menace détectée", "Analyse terminée")
    session.screenshot("log-page-fr")
    check(process.poll() is None, "the program ended while its log was shown")


def case_log_page_english(session):
    """In English: "Scan finished" above the findings, "Scan started" below."""
    process, rows = scanned_log_rows(session, 1)
    check_rows(rows, "Scan started", "Threat found", "Scan finished")
    session.screenshot("log-page-en")
    check(process.poll() is None, "the program ended while its log was shown")
