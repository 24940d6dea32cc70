"""A drive attached while the program runs: scanned without any action of the
user, its findings disposed of, and its removal seen."""

from ..checks import check, wait_for, wait_until
from ..drive import make_demo_drive
from ..panel import wait_for_notice, wait_for_quiet_popup, drive_rows, list_rows, show_panel_through_tray
from ..settings import SEEDED_SETTINGS

ARRIVING_LETTER = "e"  # the demo's lure shortcut leads to E:\photos.js
THREAT, SUSPECT = "Menace", "Fichier suspect"
DEMO_FINDINGS = {  # what a scan lists on the demo drive: name, kind, path, reason
    ("setup.exe", THREAT, "e:\\setup.exe", "Programme que lance le fichier autorun du disque"),
    ("autorun.inf.ren", THREAT, "e:\\autorun.inf.ren",
     "Fichier autorun qui lance des programmes à l'insertion du disque"),
    ("svchost.exe", SUSPECT, "e:\\svchost.exe", "Programme caché et marqué comme fichier système"),
    ("Photos.lnk", SUSPECT, "e:\\Photos.lnk", "Raccourci vers le fichier caché photos.js"),
    # as the shortcut names it
    ("photos.js", SUSPECT, "E:\\photos.js", "Fichier caché qu'ouvre le raccourci Photos.lnk"),
    ("Holidays.exe", SUSPECT, "e:\\Holidays.exe", "Programme qui porte le nom du dossier caché Holidays"),
    ("DEMO_STICK.lnk", THREAT, "e:\\DEMO_STICK.lnk", "Raccourci qui lance cmd.exe sur un fichier caché du disque"),
    ("~$sync.ciK", SUSPECT, "e:\\~$sync.ciK", "Fichier que le raccourci DEMO_STICK.lnk fait exécuter"),
}


def case_drive_arrival(session):
    """A removable drive defined through Wine's mount manager while the program
    runs, and announced as Windows announces a USB stick, is scanned without any
    action of the user: its findings are listed and logged and the hidden panel
    comes up on its first page. "Supprimer tout", confirmed, moves every finding
    into the quarantine; the drive's removal takes it out of the drive list."""
    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    # Leave the hidden panel on another page: the findings must bring back the first.
    show_panel_through_tray(session)
    check(session.helper("show-page", 2)[0] == 0, "the quarantine page could not be shown")
    check(session.helper("close-panel")[0] == 0 and wait_until(lambda: not session.panel_visible(), 10),
          "closing the panel did not hide it")
    check(list_rows(session, "ListView1") == [], "findings are listed before any drive has findings")

    second = session.root / "second-drive"
    make_demo_drive(second)
    originals = {path.name: path.read_bytes() for path in second.iterdir() if path.is_file()}
    root = f"{ARRIVING_LETTER.upper()}:\\"
    # The drive's scan runs in a worker of its own, which reports every finding before it ends.
    idle = session.threads()
    check(session.helper("define-drive", ARRIVING_LETTER, second)[0] == 0, "Wine's mount manager refused the drive")
    # Wine's mount manager runs in the services' window station: its own notice
    # never reaches the desktop, so the notice Windows sends is broadcast here.
    check(session.helper("announce", "arrival", ARRIVING_LETTER)[0] == 0, "the arrival was not broadcast")

    check(wait_until(lambda: set(list_rows(session, "ListView1")) >= DEMO_FINDINGS, 60),
          f"the arriving drive's findings were not listed: {list_rows(session, 'ListView1')}")
    # A finding reported late would show as an extra row.
    wait_for(lambda: session.threads() <= idle, 30, "the arriving drive's scan did not end")
    rows = list_rows(session, "ListView1")
    check(sorted(rows) == sorted(DEMO_FINDINGS), f"findings listed: {rows}")
    check(session.panel_visible(), "findings were listed but the control panel stayed hidden")
    check(session.helper("current-page")[1] == "0", "the control panel did not come up on its findings page")
    log = session.log_text()
    for _, kind, path, _ in DEMO_FINDINGS:
        word = "Menace/threat" if kind == THREAT else "Menace/riskFile"
        check(f"{word} {path};" in log, f"the log lacks {word} {path}: {log!r}")
    check(len(drive_rows(session, root)) == 1, f"the drive list after the arrival: {list_rows(session, 'ListView3')}")
    check((second / "autorun.inf.ren").exists() and not (second / "autorun.inf").exists(),
          "the autorun file was not set aside")
    session.screenshot("arrival-findings")

    # The drive's own notice goes first, so that the next one is the batch's.
    wait_for_quiet_popup(session)
    check(session.helper("click", "Supprimer tout")[0] == 0, "\"Supprimer tout\" could not be pressed")
    # Suspicious files are listed, so the deletion asks first; only Yes goes on.
    check(session.helper("answer-box", "Attention", 6, 10000)[0] == 0, "no confirmation was asked")
    check(wait_until(lambda: list_rows(session, "ListView1") == [], 60),
          f"findings left after \"Supprimer tout\": {list_rows(session, 'ListView1')}")
    # One notice for the whole batch, not one per file (screenshot for review).
    wait_for_notice(session)
    session.screenshot("batch-popup")
    left = sorted(path.name for path in second.iterdir())
    check(left == [".windows-label", "Documents", "Holidays"], f"the drive still holds {left}")
    stored = {}
    for info in (session.data_folder / "quarantine").glob("*.info"):
        copy = info.with_suffix("")
        check(copy.exists(), f"a record without its stored copy: {info.name}")
        stored[info.read_bytes().decode("cp1252")] = copy.read_bytes()
    for _, _, path, _ in DEMO_FINDINGS:
        source = [text for text in stored if path in text]
        check(len(source) == 1, f"the quarantine holds {len(source)} copies of {path}: {list(stored)}")
        name = path[3:].replace(".ren", "") if path.endswith(".ren") else path[3:]
        check(stored[source[0]] == originals[name], f"the stored copy of {path} differs from the file")
    log = session.log_text()
    check(log.count("delete/threat ") == 3 and log.count("delete/riskFile ") == 5, f"deletions logged: {log!r}")

    check(session.helper("remove-drive", ARRIVING_LETTER)[0] == 0, "Wine's mount manager kept the drive")
    check(session.helper("announce", "removal", ARRIVING_LETTER)[0] == 0, "the removal was not broadcast")
    check(wait_until(lambda: drive_rows(session, root) == [], 10),
          f"the removed drive is still listed: {list_rows(session, 'ListView3')}")
    check(drive_rows(session, "R:\\"), "the drive that stayed left the drive list")
    session.quit_through_main_window(process)
