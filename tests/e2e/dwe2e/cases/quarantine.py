"""The quarantine page: emptying the store asks first, naming how many files go,
and erases only once the user agrees, each file logged."""

from ..checks import check, wait_until
from ..panel import LIST_VIEWS, list_rows, show_panel_page, wait_for_notice, wait_for_quiet_popup
from ..settings import SEEDED_SETTINGS

STORED = {"run.exe": b"MZ worm", "setup.exe": b"MZ other"}


def store(session):
    """Two stored files with their records, as two disposals leave them."""
    folder = session.data_folder / "quarantine"
    folder.mkdir(parents=True, exist_ok=True)
    for name, content in STORED.items():
        (folder / f"{name}.quarantine").write_bytes(content)
        (folder / f"{name}.quarantine.info").write_bytes(f"R:\\{name}".encode("cp1252"))
    return folder


def stored_names(folder):
    return sorted(path.name for path in folder.iterdir())


def case_quarantine_empty_confirm(session):
    """"Vider" asks before it erases the two stored files, saying how many
    (screenshot of the question for review), and "Supprimer" on a row asks naming
    its file; "Non" keeps everything and logs nothing. Without a picked row the
    row commands are greyed out. "Oui" to "Vider" erases both files and logs each
    one, and the page then shows an empty store."""
    folder = store(session)
    before = stored_names(folder)
    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    wait_for_quiet_popup(session)
    show_panel_page(session, 2)
    check(wait_until(lambda: len(list_rows(session, "ListView4")) == 2, 20),
          f"the stored files are not listed: {list_rows(session, 'ListView4')}")

    # Nothing is picked among two rows: the commands on one row cannot act yet.
    for caption in ("Supprimer", "Restaurer"):
        check(session.helper("click", caption)[0] == 1, f"\"{caption}\" is not greyed out without a row")
    check(session.helper("click", "Vider")[0] == 0, "\"Vider\" could not be pressed")
    code, text = session.helper("box-text", "Attention", 10000)
    check(code == 0, "no question was asked before emptying")
    check("les 2 fichiers de la quarantaine" in text, f"the question does not say how many files go: {text!r}")
    session.screenshot("quarantine-empty-confirm")
    check(session.helper("answer-box", "Attention", 7, 10000)[0] == 0, "the question could not be answered")
    # "Non" starts no work at all: the store is as it was at once.
    check(stored_names(folder) == before, "the store changed after \"Non\"")
    check("quarantineErase" not in session.log_text(), "an erase was logged after \"Non\"")

    # One row picked: its "Supprimer" asks too, naming the file and where it came from.
    rows = list_rows(session, "ListView4")
    check(session.helper("select-row", LIST_VIEWS["ListView4"], 0)[0] == 0, "the first row could not be selected")
    check(wait_until(lambda: session.helper("click", "Supprimer")[0] == 0, 10), "\"Supprimer\" stayed greyed out")
    code, text = session.helper("box-text", "Attention", 10000)
    check(code == 0 and rows[0][0] in text and rows[0][3] in text, f"the question does not name the file: {text!r}")
    check(session.helper("answer-box", "Attention", 7, 10000)[0] == 0, "the question could not be answered")
    check(stored_names(folder) == before, "the store changed after \"Non\"")

    check(session.helper("click", "Vider")[0] == 0, "\"Vider\" could not be pressed")
    check(session.helper("answer-box", "Attention", 6, 10000)[0] == 0, "no question was asked before emptying")
    check(wait_until(lambda: stored_names(folder) == [], 20), f"the store still holds {stored_names(folder)}")
    log = session.log_text()
    for name in STORED:
        check(f"quarantineErase {name}.quarantine" in log, f"the erase of {name} was not logged: {log!r}")
    check(wait_until(lambda: list_rows(session, "ListView4") == [], 10), "the page still lists erased files")
    check(process.poll() is None, "the program ended while its quarantine was emptied")
    session.quit_through_main_window(process)


def case_quarantine_restore_to_origin(session):
    """The page shows when each file was stored (screenshot). With the drive the
    file came from attached, "Restaurer" offers the way back (screenshot of the
    choice): report.exe goes back into R:\\docs; run.exe, whose name a new file
    holds on the drive now, is refused and the drive's file stays as it is."""
    drive = session.drive
    (drive / "docs").mkdir()
    (drive / "run.exe").write_bytes(b"the user's new file")
    folder = session.data_folder / "quarantine"
    folder.mkdir(parents=True, exist_ok=True)
    for name, source in (("report.exe", "R:\\docs\\report.exe"), ("run.exe", "R:\\run.exe")):
        (folder / f"{name}.quarantine").write_bytes(b"MZ stored " + name.encode())
        (folder / f"{name}.quarantine.info").write_bytes(source.encode("cp1252"))
    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    wait_for_quiet_popup(session)
    show_panel_page(session, 2)
    check(wait_until(lambda: len(list_rows(session, "ListView4")) == 2, 20),
          f"the stored files are not listed: {list_rows(session, 'ListView4')}")
    rows = list_rows(session, "ListView4")
    check(all(len(row) == 4 and row[2].strip() for row in rows), f"a stored file without its date: {rows}")
    session.screenshot("quarantine-dates")

    def restore(name):
        index = [row[0] for row in list_rows(session, "ListView4")].index(name)
        check(session.helper("select-row", LIST_VIEWS["ListView4"], index)[0] == 0, f"{name} could not be selected")
        check(wait_until(lambda: session.helper("click", "Restaurer")[0] == 0, 10), "\"Restaurer\" stayed greyed out")
        session.wait_for_menu()

    restore("report.exe")
    session.screenshot("restore-choice")
    check(session.helper("menu-pick", 0, 10000)[0] == 0, "the restore menu did not take the choice")
    check(wait_until(lambda: (drive / "docs" / "report.exe").exists(), 20), "report.exe did not go back to R:\\docs")
    check((drive / "docs" / "report.exe").read_bytes() == b"MZ stored report.exe", "the restored file differs")
    wait_for_notice(session)
    session.screenshot("restore-popup")
    check("quarantinerestoreto r:\\docs\\report.exe;" in session.log_text().lower(),
          f"the restore was not logged with its file: {session.log_text()!r}")

    restore("run.exe")
    check(session.helper("menu-pick", 0, 10000)[0] == 0, "the restore menu did not take the choice")
    check(wait_until(lambda: "quarantinerestoreto/failed r:\\run.exe;" in session.log_text().lower(), 20),
          f"the refused restore was not logged: {session.log_text()!r}")
    check((drive / "run.exe").read_bytes() == b"the user's new file", "a restore replaced the user's file")
    check(process.poll() is None, "the program ended during the restores")
    session.quit_through_main_window(process)
