"""Policies set by the organisation in the prefix's registry: the program starts
with them in force, greys out what they hold and writes none of it back."""

import subprocess

from ..checks import check, wait_for
from ..config import WINE
from ..panel import popup_hidden, show_panel_page
from ..settings import SEEDED_SETTINGS

POLICY_KEY = r"HKCU\Software\Policies\Drivewarden"


def set_policy(session, name, kind, value):
    subprocess.run([WINE, "reg", "add", POLICY_KEY, "/v", name, "/t", kind, "/d", value, "/f"], env=session.env,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)


def case_policies_hold_options(session):
    """The threat action, the excluded drives and the antivirus command line set
    by policy: the options page shows them greyed out with the organisation's
    line (screenshot), the exclusion button cannot be pressed, and the end of the
    run leaves the user's own values in the settings file."""
    session.write_settings(SEEDED_SETTINGS)
    set_policy(session, "menace", "REG_DWORD", "1")
    set_policy(session, "avoid", "REG_SZ", "C:\\;")
    set_policy(session, "AntivirusCmdLine", "REG_SZ", "corp-av.exe /scan %s")
    # Out of range: ignored, the settings file's 0 rules.
    set_policy(session, "risk", "REG_DWORD", "7")
    process = session.start_and_wait()
    wait_for(lambda: popup_hidden(session), 20, "the start-up notices did not go away")
    show_panel_page(session, 0)
    code, _ = session.helper("click", "Exclure le disque...")
    check(code != 0, "the exclusion button could be pressed although a policy holds the excluded drives")
    show_panel_page(session, 3)
    session.screenshot("panel-options-policies", changed=True)
    session.quit_through_main_window(process)
    settings = session.read_settings()
    check(settings["action"]["menace"] == "0", f"the policy's threat action was written back: {settings['action']}")
    check(settings["computer"]["AntivirusCmdLine"] == "", f"the policy's command line was written back: {settings}")
    check(settings["scan"]["avoid"] == "C:\\;", f"avoid: {settings['scan']}")
