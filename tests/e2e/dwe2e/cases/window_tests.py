"""The Windows tests that need real windows, run on a case's display."""

import subprocess
from pathlib import Path

from ..checks import check
from ..config import WIN32_TESTS, WINE

WINDOW_TESTS = "FormWindowTest.*:PanelWindowTest.*:StateIcons.*:NotifyWindowTest.*"


def case_window_tests(session):
    """The Windows tests that need real windows, on this session's display (the
    run CTest discovers has none and skips them)."""
    check(WIN32_TESTS and Path(WIN32_TESTS).exists(), f"missing program: {WIN32_TESTS!r}")
    log = session.root / "window-tests.log"
    with open(log, "w") as out:
        completed = subprocess.run([WINE, WIN32_TESTS, f"--gtest_filter={WINDOW_TESTS}"], env=session.env,
                                   stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT, timeout=240)
    text = log.read_text(errors="replace")
    print(text)
    check(completed.returncode == 0, "window tests failed")
    check("[  SKIPPED ]" not in text, "window tests were skipped although a display was given")
