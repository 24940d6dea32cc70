"""Drives as a worm leaves them: the demo drive's files, and DOS attributes kept as
Wine and Samba keep them, in the Unix file's extended attributes."""

import shutil
import subprocess

from .config import SOURCE_DIR

HIDDEN, SYSTEM = 0x2, 0x4


def make_demo_drive(folder, label="DEMO_STICK"):
    """demo/drive with its DOS attributes (demo/attributes.txt), under the given volume label."""
    shutil.copytree(SOURCE_DIR / "demo" / "drive", folder, dirs_exist_ok=True)
    (folder / ".windows-label").write_text(label + "\n")
    for line in (SOURCE_DIR / "demo" / "attributes.txt").read_text().splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        path, attributes = line.split()
        subprocess.run(["setfattr", "-n", "user.DOSATTRIB", "-v", f'"{attributes}"', str(folder / path)], check=True)


def set_dos_attributes(path, attributes):
    subprocess.run(["setfattr", "-n", "user.DOSATTRIB", "-v", f'"{attributes:#x}"', str(path)], check=True)


def dos_attributes(path):
    """The hidden and system attributes Wine keeps for a file (0 when it keeps none)."""
    completed = subprocess.run(["getfattr", "--only-values", "-n", "user.DOSATTRIB", str(path)],
                               capture_output=True)
    if completed.returncode != 0:
        return 0
    text = completed.stdout.decode("ascii", "replace").strip().strip('"\0')
    # Samba's own form may follow the hexadecimal number.
    return int(text.split()[0], 16) & (HIDDEN | SYSTEM) if text else 0


def folder_listing(folder):
    if not folder.is_dir():
        return sorted(path.name for path in folder.parent.iterdir())
    return {path.name: path.read_bytes() if path.is_file() else "folder" for path in folder.iterdir()}
