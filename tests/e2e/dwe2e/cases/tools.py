"""The repair tools on a drive a worm has gone through, and a drive's exclusion
over a restart."""

from ..checks import check, wait_for, wait_until
from ..config import SCREEN
from ..drive import HIDDEN, SYSTEM, dos_attributes, folder_listing, make_demo_drive, set_dos_attributes
from ..panel import (LIST_VIEWS, drive_row_index, list_rows, popup_hidden, show_panel_page, wait_for_notice,
                     wait_for_quiet_popup)
from ..settings import SEEDED_SETTINGS

WORM_HIDDEN = ["Photos", "Documents", "recycler"]  # lower case: not the recycle bin's name
NEVER_REPAIRED = ["RECYCLER", "$RECYCLE.BIN", "System Volume Information", "FOUND.000"]
PROTECTION_NOTE = "NB - ce dossier protège votre disque contre le lancement automatique des virus.txt"
# In the language file's words: its reader drops the built-in text's trailing blank.
PROTECTION_TEXT = ("DOSSIER CRÉÉ PAR LE LOGICIEL DRIVEWARDEN\r\n"
                   "Ce dossier protège votre disque contre le lancement automatique des virus\r\n").encode("cp1252")
# Wine's explorer.exe shows a folder in a window of this class.
SHELL_FOLDER_WINDOW = "ExplorerWClass"
# The items of the "Réparer..." menu and of the tray menu, as the arrow keys reach them.
DRIVE_REPAIR, FOLDER_ATTRIBUTES, FILE_ATTRIBUTES = 0, 1, 2
TRAY_DRIVE_REPAIR, TRAY_FOLDER_ATTRIBUTES = 1, 2
NBSP = "\u00a0"
# What a scan finds on the demo drive, as it is left on the drive once set aside.
DEMO_FINDINGS = ["setup.exe", "autorun.inf.ren", "svchost.exe", "Photos.lnk", "photos.js", "Holidays.exe",
                 "DEMO_STICK.lnk", "~$sync.ciK"]  # the lure shortcut leads to E:\\photos.js


def run_attribute_repair(session, menu_item, answer):
    check(session.helper("click", "Réparer...")[0] == 0, "\"Réparer...\" could not be pressed")
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
    session.screenshot("tools-page")

    # Declined: nothing changes and no notice follows. The repair runs in a worker of
    # its own, which asks and then ends: once it has, any notice of it was raised.
    idle = session.threads()
    run_attribute_repair(session, FOLDER_ATTRIBUTES, 7)
    wait_for(lambda: session.threads() <= idle, 20, "the declined repair's worker did not end")
    check(popup_hidden(session), "a declined repair raised a notice")
    now = {path.name: dos_attributes(path) for path in drive.iterdir()}
    check(now == before, f"a declined repair changed attributes: {before} -> {now}")

    run_attribute_repair(session, FOLDER_ATTRIBUTES, 6)
    wait_for_notice(session)
    session.screenshot("tools-done-popup")
    for name in WORM_HIDDEN:
        check(dos_attributes(drive / name) == 0, f"{name} is still hidden after the folder repair")
    for name in NEVER_REPAIRED + ["notes.txt"]:
        check(dos_attributes(drive / name) == HIDDEN | SYSTEM, f"the folder repair changed {name}")
    check(dos_attributes(drive / "OnlyHidden") == HIDDEN and dos_attributes(drive / "OnlySystem") == SYSTEM,
          "the folder repair changed a folder that had only one of the two attributes")
    check(dos_attributes(drive / "Photos" / "inside.txt") == HIDDEN | SYSTEM, "the repair went below the root")
    check(wait_until(lambda: popup_hidden(session), 30), "the repair's notice did not go away")

    run_attribute_repair(session, FILE_ATTRIBUTES, 6)
    wait_for_notice(session)
    check(dos_attributes(drive / "notes.txt") == 0, "notes.txt is still hidden after the file repair")
    for name in NEVER_REPAIRED:
        check(dos_attributes(drive / name) == HIDDEN | SYSTEM, f"the file repair changed the folder {name}")
    check(wait_until(lambda: popup_hidden(session), 30), "the repair's notice did not go away")

    check(session.helper("click", "Créer un dossier de protection")[0] == 0, "the protection folder button is missing")
    folder, note = drive / "AUTORUN.INF", drive / "AUTORUN.INF" / PROTECTION_NOTE
    check(wait_until(lambda: note.exists() and note.read_bytes() == PROTECTION_TEXT, 20),
          f"no protection folder with its note: {folder_listing(folder)}")
    check(folder.is_dir() and dos_attributes(folder) == HIDDEN, f"the protection folder's attributes: {dos_attributes(folder):#x}")
    wait_for_notice(session)
    session.screenshot("tools-protection-popup")
    check(wait_until(lambda: popup_hidden(session), 30), "the notice did not go away")
    written = note.stat().st_mtime_ns
    check(session.helper("click", "Créer un dossier de protection")[0] == 0, "the protection folder button is missing")
    wait_for_notice(session)
    check(note.stat().st_mtime_ns == written and note.read_bytes() == PROTECTION_TEXT,
          "a second run changed the protection folder")
    check(sorted(p.name for p in folder.iterdir()) == [PROTECTION_NOTE], "the protection folder holds more than its note")
    check(wait_until(lambda: popup_hidden(session), 30), "the notice did not go away")

    # The tray menu's folder repair: the drive's entry under its second item.
    set_dos_attributes(drive / "Photos", HIDDEN | SYSTEM)
    check(session.helper("tray-menu", SCREEN[0] - 10, SCREEN[1] - 10)[0] == 0, "the tray menu was not asked for")
    code, _ = session.helper("menu-pick", f"{TRAY_FOLDER_ATTRIBUTES}/{row}", 10000)
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
    check(session.helper("wait-window", SHELL_FOLDER_WINDOW, 20000)[0] == 0, "the shell showed no window for the drive")
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


def confirm_drive_repair(session, start, answer, screenshot=None):
    """start opens the menu and picks the repair; the confirmation names the drive."""
    start()
    code, text = session.helper("window-text", "#32770", "Confirmation", 10000)
    check(code == 0, f"no confirmation was asked before the repair (helper said {code})")
    check("DEMO_STICK (E:\\)" in text and "quarantaine" in text, f"the confirmation does not say what it does where: {text!r}")
    if screenshot:
        session.screenshot(screenshot)
    check(session.helper("answer-box", "Confirmation", answer, 10000)[0] == 0, "the confirmation could not be answered")


def case_drive_repair(session):
    """The demo drive arrives as E:, its worm's launchers listed by the arrival's
    scan, and with the user's report moved into a hidden folder named by a no-break
    space, as PlugX leaves it: "Réparer le disque" on the tools page, once declined
    and once confirmed, puts every finding and the worm's desktop.ini in the
    quarantine, brings the report back to the root byte for byte, removes the
    emptied folder and makes the hidden Holidays folder visible; the end notice
    comes up, the findings page is empty and the log has each step. The tray
    menu's entry then repairs the drive infected again the same way (screenshots of
    the confirmation and of the end notice for review)."""
    stick = session.root / "stick"
    make_demo_drive(stick)
    hiding = stick / NBSP
    hiding.mkdir()
    report = b"PK\x03\x04 the user's report"
    (hiding / "Report.docx").write_bytes(report)
    (hiding / "desktop.ini").write_text("[.ShellClassInfo]\r\nIconResource=%systemroot%\\system32\\SHELL32.dll,7\r\n")
    set_dos_attributes(hiding, HIDDEN | SYSTEM)
    documents = {path.name: path.read_bytes() for path in (stick / "Documents").iterdir()}

    session.write_settings(SEEDED_SETTINGS)
    process = session.start_and_wait()
    wait_for_quiet_popup(session)
    check(session.helper("define-drive", "e", stick)[0] == 0, "Wine's mount manager refused the drive")
    check(session.helper("announce", "arrival", "e")[0] == 0, "the arrival was not broadcast")
    check(wait_until(lambda: len(list_rows(session, "ListView1")) == len(DEMO_FINDINGS), 60),
          f"the arriving drive's findings were not listed: {list_rows(session, 'ListView1')}")
    wait_for_notice(session)
    check(wait_until(lambda: popup_hidden(session), 30), "the arrival's notice did not go away")
    show_panel_page(session, 1)
    row = drive_row_index(session, "ListView3", "E:\\")
    check(session.helper("select-row", LIST_VIEWS["ListView3"], row)[0] == 0, "drive E: could not be selected")

    def from_tools_page():
        check(session.helper("click", "Réparer...")[0] == 0, "\"Réparer...\" could not be pressed")
        code, _ = session.helper("menu-pick", DRIVE_REPAIR, 10000)
        check(code == 0, f"the repair menu did not open or take the choice (helper said {code})")

    before = sorted(path.name for path in stick.iterdir())
    confirm_drive_repair(session, from_tools_page, 7)
    check(not wait_until(lambda: not popup_hidden(session), 5), "a declined repair raised a notice")
    check(sorted(path.name for path in stick.iterdir()) == before, "a declined repair changed the drive")

    confirm_drive_repair(session, from_tools_page, 6, "repair-confirmation")
    wait_for_notice(session)
    session.screenshot("repair-done-popup")
    names = sorted(path.name for path in stick.iterdir() if path.name != ".windows-label")
    check(names == ["Documents", "Holidays", "Report.docx"], f"the drive after the repair: {names}")
    check((stick / "Report.docx").read_bytes() == report, "the report changed on its way to the root")
    for name in ["Report.docx", "Holidays", "Documents"]:
        check(dos_attributes(stick / name) == 0, f"{name} is not visible after the repair")
    check({path.name: path.read_bytes() for path in (stick / "Documents").iterdir()} == documents,
          "the repair changed the user's Documents")
    check(list_rows(session, "ListView1") == [], f"findings still listed: {list_rows(session, 'ListView1')}")
    log = session.log_text()
    for name in DEMO_FINDINGS + ["desktop.ini"]:
        check(any(entry.strip().split(" ", 3)[-1].startswith("repair/quarantined") and name in entry
                  for entry in log.split(";")),
              f"the log has no quarantine step for {name}: {log!r}")
    for word in ["repair/moved", "repair/unhidden", "repair/removed"]:
        check(word in log, f"the log has no {word} step: {log!r}")
    check(wait_until(lambda: popup_hidden(session), 30), "the repair's notice did not go away")

    # Infected again; the tray menu's entry for the drive repairs it.
    hiding.mkdir()
    (hiding / "Notes.txt").write_bytes(b"notes of the user")
    set_dos_attributes(hiding, HIDDEN | SYSTEM)
    set_dos_attributes(stick / "Documents", HIDDEN | SYSTEM)

    def from_tray():
        check(session.helper("tray-menu", SCREEN[0] - 10, SCREEN[1] - 10)[0] == 0, "the tray menu was not asked for")
        code, _ = session.helper("menu-pick", f"{TRAY_DRIVE_REPAIR}/{row}", 10000)
        check(code == 0, f"the tray menu did not open or take the choice (helper said {code})")

    confirm_drive_repair(session, from_tray, 6)
    wait_for_notice(session)
    check(wait_until(lambda: (stick / "Notes.txt").exists(), 30), "the tray menu's repair did not bring Notes.txt back")
    check((stick / "Notes.txt").read_bytes() == b"notes of the user", "Notes.txt changed on its way to the root")
    check(wait_until(lambda: not hiding.exists(), 10), "the emptied hiding folder is still there")
    check(dos_attributes(stick / "Documents") == 0, "Documents is still hidden after the tray menu's repair")
    check(process.poll() is None, "the program ended while it repaired")
    session.quit_through_main_window(process)
