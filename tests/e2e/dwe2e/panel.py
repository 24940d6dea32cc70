"""The program's windows as the cases read them through the helper: the control
panel's pages and lists, and the notification pop-up."""

from .checks import check, wait_until

PAGES = ["findings", "tools", "quarantine", "options", "about", "log"]
LIST_VIEWS = {"ListView1": 0, "ListView3": 1, "ListView4": 2, "ListView5": 3, "ListView6": 4}  # in control order


def list_rows(session, name):
    """The rows of one of the panel's list views, each a tuple of its columns."""
    code, text = session.helper("list-rows", LIST_VIEWS[name])
    check(code == 0, f"{name} could not be read (helper said {code})")
    return [tuple(text_line.split(" | ")) for text_line in text.splitlines() if text_line]


def drive_rows(session, root):
    return [row for row in list_rows(session, "ListView3") if row[0] == root]


def drive_row_index(session, list_name, root):
    rows = [row[0] for row in list_rows(session, list_name)]
    check(root in rows, f"{root} is not listed in {list_name}: {rows}")
    return rows.index(root)


def show_panel_through_tray(session):
    check(session.helper("tray-click")[0] == 0, "the tray click did not reach the panel")
    check(wait_until(session.panel_visible, 10), "a left click on the tray icon did not show the panel")


def close_panel(session):
    check(session.helper("close-panel")[0] == 0, "no panel to close")
    check(wait_until(lambda: not session.panel_visible(), 10), "closing the panel did not hide it")


def show_panel_page(session, page):
    if not session.panel_visible():
        show_panel_through_tray(session)
    check(session.helper("show-page", page)[0] == 0, f"page {page} could not be shown")


def popup_state(session):
    """(visible, window rectangle, work area) of the pop-up window."""
    code, text = session.helper("popup-state")
    check(code in (0, 1), f"no pop-up window (helper said {code})")
    words = text.split()
    check(len(words) == 9, f"the pop-up's state could not be read (helper said {code}: {text!r})")
    numbers = [int(word) for word in words[1:]]
    return words[0] == "visible", tuple(numbers[:4]), tuple(numbers[4:])


def popup_hidden(session):
    return session.helper("popup-state")[0] != 0


def wait_for_quiet_popup(session):
    """Start-up notices (the scan's result) go first: a tool's notice comes after."""
    check(wait_until(lambda: popup_hidden(session), 30), "the start-up notice did not go away")


def wait_for_notice(session):
    check(wait_until(lambda: session.helper("popup-state")[0] == 0, 30), "no notice came up")
