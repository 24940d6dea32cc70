"""The cases, one module per area; CASES maps each case's name (its function's,
without "case_") to its function, which gets a fresh WineSession."""

from . import (arrival, companions, honesty, journal, package, policies, popups, quarantine, screenshots, startup,
               tools, window_tests)

AREAS = [startup, screenshots, window_tests, companions, popups, package, arrival, tools, quarantine, honesty, policies,
         journal]

CASES = {name[len("case_"):]: function
         for area in AREAS for name, function in vars(area).items() if name.startswith("case_")}
