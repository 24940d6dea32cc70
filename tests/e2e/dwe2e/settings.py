"""The program's settings file: reading it back, and the texts the cases seed."""

from .checks import check


def parse_ini(raw):
    """Sections and keys as written, in order: {section: {key: value}}."""
    if raw.startswith(b"\xff\xfe"):
        text = raw[2:].decode("utf-16-le")
    else:
        text = raw.decode("cp1252")
    sections, current = {}, None
    for line in text.splitlines():
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
            continue
        check(current is not None and "=" in line, f"unexpected settings line {line!r}")
        key, value = line.split("=", 1)
        current[key.strip()] = value.strip()
    return sections


FIRST_RUN_SETTINGS = {
    "app": {"enable": "1", "firstrun": "0", "languageId": "0"},
    "computer": {"AntivirusCmdLine": ""},
    "action": {"menace": "0", "risk": "0"},
    "scan": {"avoid": "C:\\;"},
}


def same_settings(actual, expected):
    """Section and key names compare without regard to case, as the profile functions do."""
    fold = lambda sections: {s.lower(): {k.lower(): v for k, v in keys.items()} for s, keys in sections.items()}
    return fold(actual) == fold(expected)


SEEDED_SETTINGS = """[app]
enable=1
firstrun=0
languageId=0
[scan]
avoid=C:\\;
[action]
menace=0
risk=0
[computer]
AntivirusCmdLine=
"""
