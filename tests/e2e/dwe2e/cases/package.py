"""The Windows package: the installer and uninstaller in the case's prefix, the
portable zip, and the resources of the programs they ship."""

import hashlib
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

from ..checks import Failure, check, wait_until
from ..config import PACKAGE_HELPER, PORTABLE, RELEASE_PROGRAMS, SETUP, SOURCE_DIR, VERSION, WINE
from ..pe import icon_sizes
from ..settings import FIRST_RUN_SETTINGS, SEEDED_SETTINGS, same_settings

INSTALL_DIR = r"C:\Program Files\Drivewarden"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Drivewarden"
RUN_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Run"
EVENTLOG_KEY = r"HKLM\SYSTEM\CurrentControlSet\Services\EventLog\Application\Drivewarden"
ICON_SIZES = [16, 20, 24, 32, 48, 256]
# The administrative template for Group Policy, shipped for IT departments to copy.
POLICY_TEMPLATES = ["Policies/Drivewarden.admx", "Policies/en-US/Drivewarden.adml", "Policies/fr-FR/Drivewarden.adml"]


def package_helper(session, *args, timeout=120):
    return session.ask(PACKAGE_HELPER, *args, timeout=timeout)


def install(session, *args, exit_code="0"):
    code, answer = package_helper(session, "run", " ".join([f'"{windows_path(SETUP)}"', "/S", *args]))
    check(code == 0, f"the installer could not be started (helper said {code})")
    check(answer == exit_code, f"the installer ended with {answer!r} (want {exit_code})")


def uninstall(session):
    """Silently, from its own place (_?=) so that its end is the end of the work."""
    code, answer = package_helper(session, "run", f'"{INSTALL_DIR}\\uninstall.exe" /S _?={INSTALL_DIR}')
    check(code == 0 and answer == "0", f"the uninstaller failed (helper said {code}, exit code {answer!r})")


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def install_folder(session):
    return session.prefix / "drive_c" / "Program Files" / "Drivewarden"


def start_menu_folder(session):
    return session.prefix / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Drivewarden"


def registry_values(session, key):
    """The values of a registry key as {name: (type, data)}; None when the key is missing."""
    completed = subprocess.run([WINE, "reg", "query", key], env=session.env, stdin=subprocess.DEVNULL,
                               capture_output=True, text=True, timeout=60)
    if completed.returncode != 0:
        return None
    values = {}
    for line in completed.stdout.splitlines():
        parts = line.strip().split("    ")
        if len(parts) >= 2 and parts[1].startswith("REG_"):
            values[parts[0]] = (parts[1], parts[2] if len(parts) > 2 else "")
    return values


def record_icacls(session):
    """Wine's icacls only pretends: the helper takes its place and records what the
    installer asks of it."""
    shutil.copy(PACKAGE_HELPER, session.prefix / "drive_c" / "windows" / "system32" / "icacls.exe")
    subprocess.run([WINE, "reg", "add", r"HKCU\Software\Wine\DllOverrides", "/v", "icacls.exe", "/d", "native", "/f"],
                   env=session.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   check=True)
    return session.prefix / "drive_c" / "icacls-calls.txt"


def start_installed(session):
    """Starts the installed program from its installed place and waits for its loop."""
    return session.start_and_wait(exe=f"{INSTALL_DIR}\\drivewarden.exe")


def check_installed(session, autostart=True):
    folder = install_folder(session)
    expected = sorted(RELEASE_PROGRAMS + ["uninstall.exe", "Languages/english.lng", "Languages/french.lng"]
                      + POLICY_TEMPLATES)
    found = sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())
    check(found == expected, f"installed files: {found} (want {expected})")
    links = sorted(p.name for p in start_menu_folder(session).glob("*.lnk"))
    check(links in (["Drivewarden.lnk", "Uninstall Drivewarden.lnk"], ["Drivewarden.lnk", "Désinstaller Drivewarden.lnk"]),
          f"Start-menu entries: {links}")
    for link, target in zip(links, ["drivewarden.exe", "uninstall.exe"]):
        # The link's target path, as its LinkInfo holds it.
        path = f"{INSTALL_DIR}\\{target}".encode("ascii") + b"\0"
        check(path in (start_menu_folder(session) / link).read_bytes(), f"{link} does not lead to {target}")
    run = registry_values(session, RUN_KEY) or {}
    if autostart:
        check(run.get("Drivewarden") == ("REG_SZ", f'"{INSTALL_DIR}\\drivewarden.exe"'), f"start at logon: {run}")
    else:
        check("Drivewarden" not in run, f"start at logon although left out: {run}")
    entry = registry_values(session, UNINSTALL_KEY)
    check(entry is not None, "no Add/Remove Programs entry")
    want = {
        "DisplayName": ("REG_SZ", "Drivewarden"),
        "DisplayVersion": ("REG_SZ", VERSION),
        "Publisher": ("REG_SZ", "The Drivewarden developers"),
        "DisplayIcon": ("REG_SZ", f"{INSTALL_DIR}\\drivewarden.exe,0"),
        "UninstallString": ("REG_SZ", f'"{INSTALL_DIR}\\uninstall.exe"'),
        "QuietUninstallString": ("REG_SZ", f'"{INSTALL_DIR}\\uninstall.exe" /S'),
        "NoModify": ("REG_DWORD", "0x1"),
        "NoRepair": ("REG_DWORD", "0x1"),
    }
    for name, value in want.items():
        check(entry.get(name) == value, f"uninstall entry {name}: {entry.get(name)} (want {value})")
    size_type, size = entry.get("EstimatedSize", ("", "0"))
    installed_kib = sum(p.stat().st_size for p in folder.rglob("*") if p.is_file()) // 1024
    check(size_type == "REG_DWORD" and abs(int(size, 16) - installed_kib) <= 16,
          f"EstimatedSize {size} (the files take {installed_kib} KiB)")
    check(session.data_folder.is_dir(), "the installer made no data folder")
    # The event source names the program, whose message table holds the texts.
    source = registry_values(session, EVENTLOG_KEY) or {}
    check(source.get("EventMessageFile") == ("REG_EXPAND_SZ", f"{INSTALL_DIR}\\drivewarden.exe")
          and source.get("TypesSupported") == ("REG_DWORD", "0x7"), f"event source: {source}")


def case_package_install_uninstall(session):
    """A silent install puts the programs, the shortcuts, the start at logon and the
    uninstall entry in place; the installed program finds its language files (English
    texts on its panel); the silent uninstall ends it in order (its settings are
    written), removes everything it installed and keeps the data folder."""
    calls = record_icacls(session)
    install(session)
    check_installed(session)
    # Every user of the PC (BUILTIN\Users, by SID) may change the data folder and
    # whatever is made in it later.
    grant = r'"C:\ProgramData\Drivewarden" /grant *S-1-5-32-545:(OI)(CI)M'
    asked = calls.read_text().splitlines() if calls.exists() else []
    check(len(asked) == 1 and asked[0].endswith(grant), f"icacls was asked: {asked}")
    session.write_settings(SEEDED_SETTINGS.replace("languageId=0", "languageId=1"))
    process = start_installed(session)
    check(package_helper(session, "panel-text", "Delete all")[0] == 0,
          "the installed program shows no English text: its language files were not found")
    session.settings_file.unlink()
    uninstall(session)
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the uninstaller left the program running")
    settings = session.read_settings()
    check(settings["app"]["languageId"] == "1" and settings["app"]["firstrun"] == "0",
          f"the settings written at the end: {settings}")
    folder = install_folder(session)
    # A silent uninstaller run from its own place cannot delete itself.
    left = sorted(str(p.relative_to(folder)) for p in folder.rglob("*")) if folder.exists() else []
    check(left in ([], ["uninstall.exe"]), f"left in the install folder: {left}")
    check(not start_menu_folder(session).exists(), "the Start-menu entries were left")
    check(registry_values(session, UNINSTALL_KEY) is None, "the uninstall entry was left")
    check("Drivewarden" not in (registry_values(session, RUN_KEY) or {}), "the start at logon was left")
    check(registry_values(session, EVENTLOG_KEY) is None, "the event source was left")
    check(session.settings_file.exists() and any((session.data_folder / "log").glob("*.u.txt")),
          "the silent uninstall removed the data folder")


def case_package_install_over_running(session):
    """Installing over a running program ends it in order first (a first run writes
    its settings only at an orderly end), keeps the settings, starts it again
    afterwards, and /NOAUTOSTART takes the start at logon away. A file that cannot
    be replaced fails the install."""
    install(session)
    process = start_installed(session)
    check(not session.settings_file.exists(), "settings were written before the end of the run")
    install(session, "/NOAUTOSTART")
    try:
        process.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("installing over a running program left it running")
    check(same_settings(session.read_settings(), FIRST_RUN_SETTINGS), "the running program did not end in order")
    check_installed(session, autostart=False)
    # The update starts the program it closed again, from the new files.
    check(session.helper("wait-panel", 30000, timeout=60)[0] == 0, "the program was not started again after the update")
    check(wait_until(lambda: session.helper("autoplay")[0] == 0, 30), "the restarted program does not answer")
    session.settings_file.unlink()
    check(session.helper("close-main")[0] == 0, "the restarted program has no main window")
    check(wait_until(session.settings_file.exists, 30), "the restarted program did not end in order")
    # A file that cannot be replaced (Wine does not lock a running program's file, so
    # a folder stands in its place) makes even a silent install fail, not half succeed.
    blocked = install_folder(session) / "drivewarden-cli.exe"
    blocked.unlink()
    blocked.mkdir()
    install(session, exit_code="2")


def case_package_installer_pages(session):
    """The installer in French, page by page, and the uninstaller's choice about
    the data folder (screenshots for review): the language asked first, the start
    at logon offered and ticked, the data removal offered unticked, and done when
    ticked."""
    setup = f'"{windows_path(SETUP)}"'
    installer = session.launch(PACKAGE_HELPER, "run", setup)
    title = "Installer Language"
    check(package_helper(session, "wait-window", title, 60000)[0] == 0, "no language choice was offered")
    check(package_helper(session, "select", title, "Fran")[0] == 0, "French is not offered")
    session.screenshot("installer-1-language")
    check(package_helper(session, "click", title, 1)[0] == 0, "the language could not be chosen")
    check(package_helper(session, "wait-window", "Drivewarden", 30000)[0] == 0, "the installer's window never appeared")
    # Each page shows once it looks unlike the one before it.
    for name in ("installer-2-welcome", "installer-3-components", "installer-4-folder"):
        session.screenshot(name, changed=True)
        check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, f"no next button after {name}")
    check(wait_until(lambda: (registry_values(session, UNINSTALL_KEY) or {}).get("DisplayName") is not None, 60),
          "the interactive install did not finish")
    run_now = "Lancer Drivewarden"
    check(package_helper(session, "wait-text", "Drivewarden", run_now, 30000)[0] == 0,
          "the finish page does not offer to start Drivewarden")
    session.screenshot("installer-5-finish", changed=True)
    check("Drivewarden" in (registry_values(session, RUN_KEY) or {}), "the start at logon was not ticked by default")
    check(registry_values(session, UNINSTALL_KEY).get("InstallerLanguage") == ("REG_SZ", "1036"),
          "the French choice was not kept for the uninstaller")
    # Started from here, the program would outlive the case's checks.
    check(package_helper(session, "click-text", "Drivewarden", run_now)[0] == 0,
          "the finish page does not offer to start Drivewarden")
    check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, "the finish page could not be closed")
    try:
        installer.wait(timeout=30)
    except subprocess.TimeoutExpired:
        raise Failure("the installer did not end when its finish page was closed")
    session.launch(PACKAGE_HELPER, "run", f'"{INSTALL_DIR}\\uninstall.exe"')
    check(package_helper(session, "wait-window", "Drivewarden", 30000)[0] == 0, "the uninstaller's window never appeared")
    session.screenshot("uninstaller-1-confirm", changed=True)
    check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, "no next button in the uninstaller")
    session.screenshot("uninstaller-2-components", changed=True)
    check(session.data_folder.is_dir(), "no data folder before the uninstall")
    check(package_helper(session, "tick", "Drivewarden", 1)[0] == 0, "the data removal is not offered")
    session.screenshot("uninstaller-3-remove-data", changed=True)
    check(package_helper(session, "click", "Drivewarden", 1)[0] == 0, "no uninstall button")
    check(wait_until(lambda: registry_values(session, UNINSTALL_KEY) is None, 60), "the uninstall did not finish")
    check(wait_until(lambda: not session.data_folder.exists(), 10), "the data folder was kept although its removal was ticked")


def case_package_resources(session):
    """Every shipped program carries the icon at every size and the version
    resource (read through GetFileVersionInfoW); the portable zip holds the same
    files as the installer; the checksums match; the committed icon is the one
    tools/make_icon.py draws."""
    for artifact in (SETUP, PORTABLE):
        line = Path(f"{artifact}.sha256").read_text()
        check(line == f"{hashlib.sha256(artifact.read_bytes()).hexdigest()}  {artifact.name}\n",
              f"checksum file of {artifact.name}: {line!r}")
    install(session)
    folder = install_folder(session)
    with zipfile.ZipFile(PORTABLE) as archive:
        names = sorted(archive.namelist())
        installed = sorted(str(p.relative_to(folder)) for p in folder.rglob("*") if p.is_file())
        check(names == sorted(f"Drivewarden/{name}" for name in installed if name != "uninstall.exe"),
              f"portable zip: {names}")
        for name in names:
            check(archive.read(name) == (folder / name.split("/", 1)[1]).read_bytes(), f"{name} differs from the installed file")
    numbers = ".".join((VERSION.split(".") + ["0", "0", "0"])[:4])
    for program in RELEASE_PROGRAMS:
        sizes = icon_sizes((folder / program).read_bytes())
        check(sizes == ICON_SIZES, f"{program}: icon sizes {sizes}")
        code, text = package_helper(session, "version-info", f"{INSTALL_DIR}\\{program}")
        check(code == 0, f"{program}: no version information (helper said {code})")
        info = dict(line.split("=", 1) for line in text.splitlines())
        want = {"ProductName": "Drivewarden", "ProductVersion": VERSION, "FileVersion": VERSION,
                "CompanyName": "The Drivewarden developers", "OriginalFilename": program,
                "FixedFileVersion": numbers, "FixedProductVersion": numbers}
        for name, value in want.items():
            check(info.get(name) == value, f"{program}: {name} is {info.get(name)!r} (want {value!r})")
        check(info.get("FileDescription", "").startswith("Drivewarden"), f"{program}: description {info}")
        check("Copyright" in info.get("LegalCopyright", ""), f"{program}: copyright {info}")
    code, text = package_helper(session, "version-info", windows_path(SETUP))
    check(code == 0 and f"ProductVersion={VERSION}" in text.splitlines(), f"the installer's version: {text!r}")
    drawn = session.root / "drawn.ico"
    subprocess.run([sys.executable, str(SOURCE_DIR / "tools/make_icon.py"), str(drawn)], check=True)
    check(drawn.read_bytes() == (SOURCE_DIR / "packaging/drivewarden.ico").read_bytes(),
          "packaging/drivewarden.ico is not what tools/make_icon.py draws")
