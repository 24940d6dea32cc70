#!/usr/bin/env python3
"""End-to-end tests of drivewarden.exe under Wine.

Every case runs the real program in a prepared Wine prefix, as fresh as a new copy
of the template: drive R: is a removable drive backed by a temporary folder, and a
Wine virtual desktop (1280x800, with its taskbar and notification area) runs on a
private Xvfb display. The program is driven from outside by dw_e2e_helper.exe, as
the shell and the user would, and judged by what it leaves behind: the settings
file, the data folder and its windows. The cases are in dwe2e/cases/.

    e2e.py prepare        make the prefix template (once; later runs reuse it)
    e2e.py CASE           run one case
"""

import sys
from pathlib import Path

# CTest runs this from the source tree, which is kept free of compiled files.
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parent))

from dwe2e.runner import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main(sys.argv))
