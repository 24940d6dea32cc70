"""Start-up and orderly ends: the first run, a second start, the settings read at
start and written back at the end."""

from ..checks import check, wait_until
from ..settings import FIRST_RUN_SETTINGS, SEEDED_SETTINGS, same_settings


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
    session.wait_for_taskbar()
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
