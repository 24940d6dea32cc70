"""e2e.py's command line: prepare the template, or run one case."""

import sys
from pathlib import Path

from .cases import CASES
from .checks import Failure
from .config import EXE, HELPER
from .prefix import prepare
from .session import WineSession


def main(argv):
    if len(argv) != 2 or (argv[1] != "prepare" and argv[1] not in CASES):
        print(f"usage: e2e.py prepare|{'|'.join(CASES)}", file=sys.stderr)
        return 2
    if argv[1] == "prepare":
        prepare()
        return 0
    for tool in (EXE, HELPER):
        if not tool or not Path(tool).exists():
            print(f"missing program: {tool!r}", file=sys.stderr)
            return 2
    try:
        with WineSession() as session:
            CASES[argv[1]](session)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    print(f"passed: {argv[1]}")
    return 0
