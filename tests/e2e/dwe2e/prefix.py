"""The prefix template every case starts from, and the prepared copies of it that
the cases share.

Copying the whole template (700 MB, mostly Wine's DLLs) took a few seconds of every
case. A case now takes a slot: a copy made once and, before each case, given back
the template's state. The cases that ran there changed only a few files (the
registry, the data folder, an installed program), so looking at every entry and
copying back the few that changed is quick, and the case starts as on a fresh copy."""

import fcntl
import itertools
import json
import os
import shutil
import stat
import subprocess

from .checks import Failure, check
from .config import BASE_PREFIX, DRIVE_LETTER, SCREEN, SLOTS, SOURCE_DIR, TEMPLATE, WINE, WINESERVER, wine_environment

READY = ".dw-e2e-ready"


def prepare():
    """Copies the base prefix and gives it drive R: as a removable drive and a
    virtual desktop, so that the notification area is shown. The slots copy the
    result; the registry is changed here once, with Wine stopped afterwards."""
    marker = TEMPLATE / READY
    base_stamp = BASE_PREFIX / "system.reg"
    if not base_stamp.exists():
        subprocess.run(["bash", str(SOURCE_DIR / "tools/wine-prefix.sh")], check=True,
                       env=dict(os.environ, WINEPREFIX=str(BASE_PREFIX)),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if marker.exists() and marker.stat().st_mtime >= base_stamp.stat().st_mtime:
        return
    work = TEMPLATE.with_name(TEMPLATE.name + ".tmp")
    shutil.rmtree(work, ignore_errors=True)
    shutil.rmtree(TEMPLATE, ignore_errors=True)
    TEMPLATE.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["cp", "-a", str(BASE_PREFIX), str(work)], check=True)
    # The base prefix may hold the unit tests' drive links; a template has none.
    for link in (work / "dosdevices").iterdir():
        if link.name not in ("c:", "z:") and len(link.name) == 2 and link.name.endswith(":"):
            link.unlink()
    shutil.rmtree(work / "dw-test-drives", ignore_errors=True)
    env = wine_environment(work)
    keys = [
        (r"HKLM\Software\Wine\Drives", f"{DRIVE_LETTER}:", "floppy"),
        (r"HKCU\Software\Wine\Explorer", "Desktop", "Default"),
        (r"HKCU\Software\Wine\Explorer\Desktops", "Default", f"{SCREEN[0]}x{SCREEN[1]}"),
    ]
    for key, name, value in keys:
        subprocess.run([WINE, "reg", "add", key, "/v", name, "/d", value, "/f"], check=True, env=env,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Drive types are read when Wine starts, so it stops here and each copy starts afresh.
    stop_wine(work)
    (work / READY).touch()
    work.rename(TEMPLATE)


def stop_wine(prefix):
    """Ends every Wine process of the prefix and waits for its server, which writes
    the registry files as it goes."""
    env = wine_environment(prefix)
    try:
        subprocess.run([WINESERVER, "-k"], env=env, stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run([WINESERVER, "-w"], env=env, stderr=subprocess.DEVNULL, timeout=60)
    except subprocess.TimeoutExpired:
        raise Failure(f"Wine did not stop in {prefix}")


class PrefixSlot:
    """One prepared prefix, held by one case at a time through a lock that ends with
    the case's process, however it ends."""

    def __init__(self):
        check((TEMPLATE / READY).exists(), f"no prefix template at {TEMPLATE}; run prepare")
        SLOTS.mkdir(parents=True, exist_ok=True)
        for number in itertools.count():
            lock = os.open(SLOTS / f"{number}.lock", os.O_RDWR | os.O_CREAT, 0o644)
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            except BlockingIOError:
                os.close(lock)
                continue
            self.lock = lock
            self.folder = SLOTS / str(number)
            break
        self.manifest = self.folder / "manifest.json"
        try:
            self.prefix = self._restore()
        except BaseException:
            self.release()
            raise

    def release(self):
        if self.lock is not None:
            os.close(self.lock)
            self.lock = None

    def _restore(self):
        """The slot's prefix as the template is, in a folder of its own for this case."""
        stamp = str((TEMPLATE / READY).stat().st_mtime_ns)
        recorded = json.loads(self.manifest.read_text()) if self.manifest.exists() else {}
        # Without a record of what was there, or after a new template, the slot is copied afresh.
        self.manifest.unlink(missing_ok=True)
        for left in self.folder.glob("prefix-*"):
            # A case that was killed leaves its Wine running.
            stop_wine(left)
        generation = recorded.get("generation", 0) + 1
        prefix = self.folder / f"prefix-{generation}"
        last = self.folder / recorded.get("prefix", "none")
        if recorded.get("template") == stamp and last.is_dir():
            give_back(last, TEMPLATE, recorded["entries"])
            move_contents(last, prefix)
        else:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder.mkdir(parents=True)
            subprocess.run(["cp", "-a", str(TEMPLATE), str(prefix)], check=True)
        temporary = self.manifest.with_suffix(".tmp")
        temporary.write_text(json.dumps({"template": stamp, "generation": generation, "prefix": prefix.name,
                                         "entries": entries_of(prefix)}))
        temporary.rename(self.manifest)
        return prefix


def move_contents(old, new):
    """Moves a prefix into a new folder. Wine finds a prefix's server by the folder's
    inode: a process of the last case that was still starting when its Wine was
    stopped can then reach neither this case's server nor, the old path gone, any."""
    os.mkdir(new)
    shutil.copystat(old, new)
    for name in os.listdir(old):
        os.rename(old / name, new / name)
    os.rmdir(old)


def entry_of(path):
    """What a case could change about one entry; None when it is missing. The
    change time covers the content, the mode and the extended attributes (where
    Wine keeps DOS attributes), however the modification time was set."""
    try:
        info = os.lstat(path)
    except FileNotFoundError:
        return None
    if stat.S_ISDIR(info.st_mode):
        return ["dir", info.st_mode]
    if stat.S_ISLNK(info.st_mode):
        return ["link", os.readlink(path)]
    return ["file", info.st_mode, info.st_size, info.st_mtime_ns, info.st_ctime_ns]


def entries_of(root):
    entries = {}
    for folder, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(folder, name)
            entries[os.path.relpath(path, root)] = entry_of(path)
    return entries


def remove(path):
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path)
    else:
        os.unlink(path)


def give_back(root, template, entries):
    """Makes root what it was when entries were taken, copying from template."""
    for folder, dirs, files in os.walk(root):
        for name in list(dirs) + files:
            path = os.path.join(folder, name)
            if os.path.relpath(path, root) not in entries:
                remove(path)
                if name in dirs:
                    dirs.remove(name)
    # A folder's name sorts before its entries.
    for relative in sorted(entries):
        path = os.path.join(root, relative)
        now = entry_of(path)
        if now == entries[relative]:
            continue
        source = os.path.join(template, relative)
        kind = entries[relative][0]
        if kind == "dir" and now is not None and now[0] == "dir":
            shutil.copystat(source, path)
            continue
        if now is not None:
            remove(path)
        if kind == "dir":
            os.mkdir(path)
            shutil.copystat(source, path)
        elif kind == "link":
            os.symlink(os.readlink(source), path)
        else:
            shutil.copy2(source, path, follow_symlinks=False)
