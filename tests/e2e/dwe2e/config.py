"""Where the programs, the prefixes and the screenshots are: CTest's environment,
with defaults for a run by hand from the source tree."""

import os
from pathlib import Path

WINE = "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine"
WINESERVER = "/usr/lib/wine/wineserver" if os.path.exists("/usr/lib/wine/wineserver") else "wineserver"
DRIVE_LETTER = "r"
SCREEN = (1280, 800)

EXE = os.environ.get("DW_EXE", "")
HELPER = os.environ.get("DW_HELPER", "")
WIN32_TESTS = os.environ.get("DW_WIN32_TESTS", "")
SOURCE_DIR = Path(os.environ.get("DW_SOURCE_DIR", Path(__file__).resolve().parents[3]))
# Absolute: Wine refuses a relative WINEPREFIX.
TEMPLATE = (SOURCE_DIR / os.environ.get("DW_TEMPLATE", "build/windows/e2e/prefix-template")).resolve()
# The prepared copies of the template that the cases share, one per case running at once.
SLOTS = TEMPLATE.with_name("prefix-slots")
SCREENSHOTS = (SOURCE_DIR / os.environ.get("DW_SCREENSHOTS", "build/windows/screenshots")).resolve()
BASE_PREFIX = Path(os.environ.get("WINEPREFIX") or os.environ.get("DW_BASE_PREFIX") or SOURCE_DIR / "build/wineprefix")

# The Windows package.
SETUP = Path(os.environ.get("DW_SETUP", "build/windows/package/drivewarden-setup.exe"))
PORTABLE = Path(os.environ.get("DW_PORTABLE", "build/windows/package/drivewarden-portable.zip"))
PACKAGE_HELPER = os.environ.get("DW_PACKAGE_HELPER", "")
RELEASE_PROGRAMS = [name for name in os.environ.get("DW_RELEASE_PROGRAMS", "drivewarden.exe").split(",") if name]
VERSION = os.environ.get("DW_VERSION", "")


def wine_environment(prefix, display=None):
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
    # Wine writes Windows names in the locale's character set: never the C locale,
    # where a name such as "é.exe" cannot be written (see tools/wine-locale.sh).
    if "UTF-8" not in (env.get("LC_ALL") or env.get("LC_CTYPE") or env.get("LANG") or "").upper().replace("UTF8", "UTF-8"):
        env["LC_ALL"] = "C.UTF-8"
    if display is not None:
        env["DISPLAY"] = display
    return env
