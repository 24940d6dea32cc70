"""The notification pop-up: where it comes up, its colour, and how long it stays."""

import time

from ..checks import check, wait_until
from ..config import HELPER
from ..panel import popup_state, show_panel_through_tray
from ..settings import SEEDED_SETTINGS

# The protection link "Activer/ Désactiver la protection" on the control panel, at 96 dpi.
PROTECTION_LINK = (300, 426)
NOTICE_GREEN = (192, 220, 192)
ALERT_RED = (245, 75, 80)


def start_on_a_ready_desktop(session):
    """Starts the program once the desktop's taskbar is up, as on a real system: a
    pop-up raised at start-up is placed by the work area of that moment. Wine shows
    its taskbar only while it has an icon, so a helper's icon holds it until the
    program's own is there."""
    session.launch(HELPER, "hold-taskbar", "60000")
    session.wait_for_taskbar()
    return session.start_and_wait()


def check_popup_shown(session, name, colour):
    """Waits for the pop-up, checks that it sits in the work area's bottom-right
    corner in the given colour, and keeps a screenshot of it."""
    check(wait_until(lambda: popup_state(session)[0], 10), f"{name}: the pop-up did not come up")
    _, (left, top, right, bottom), work = popup_state(session)
    check((right, bottom) == (work[2], work[3]), f"{name}: pop-up at {left},{top},{right},{bottom}, work area {work}")
    check((right - left, bottom - top) == (237, 128), f"{name}: pop-up size {right - left}x{bottom - top}")
    shot = session.screenshot(name)
    # An empty spot between the title and the message.
    seen = shot.pixel(left + 120, top + 74)
    check(seen == colour, f"{name}: the pop-up's colour is {seen}, want {colour}")


def case_popup_protection_off(session):
    """Switching the protection off raises the red alert in the corner for one
    period; after a restart with the protection off the inactive notice is shown."""
    session.write_settings(SEEDED_SETTINGS)
    process = start_on_a_ready_desktop(session)
    # The start-up scan of drive R: tells its result first.
    check(wait_until(lambda: not popup_state(session)[0], 15), "the start-up scan's notice did not go away")
    show_panel_through_tray(session)
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
