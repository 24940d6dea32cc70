#!/usr/bin/env python3
"""Makes the Windows release from built programs: the installer and the portable
zip, each with a .sha256 file beside it (sha256sum's format).

    make_release.py --version 1.2.3 --out DIR --languages DIR --policies DIR --icon ICO
                    [--strip STRIP] [--makensis MAKENSIS] PROGRAM.exe...

The release holds the programs side by side with the language files in
"Languages\\", as the program looks for them, and the administrative template
for Group Policy in "Policies\\" (the ADMX with one folder of ADML per language,
as PolicyDefinitions holds them). Under DIR: stage/Drivewarden/ (the
release as installed), drivewarden-VERSION-setup.exe, drivewarden-VERSION-portable.zip.
"""

import argparse
import hashlib
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path, PurePosixPath

NSI = Path(__file__).resolve().with_name("drivewarden.nsi")


def stage(programs, languages, policies, strip, folder):
    """Copies the release into folder; its files as paths relative to it."""
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "Languages").mkdir(parents=True)
    files = []
    for program in programs:
        target = folder / Path(program).name
        shutil.copy2(program, target)
        if strip:
            # The build keeps debugging information; users get the bare program.
            subprocess.run([strip, "--strip-debug", str(target)], check=True)
        files.append(PurePosixPath(target.name))
    for language in sorted(Path(languages).glob("*.lng")):
        shutil.copy2(language, folder / "Languages" / language.name)
        files.append(PurePosixPath("Languages", language.name))
    policies = Path(policies)
    for template in sorted([*policies.glob("*.admx"), *policies.glob("*/*.adml")]):
        relative = PurePosixPath("Policies", *template.relative_to(policies).parts)
        (folder / relative).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(template, folder / relative)
        files.append(relative)
    return files


def windows(path):
    return str(path).replace("/", "\\")


def nsis_files(folder, files):
    """The installer's file lists: what it writes and what the uninstaller removes,
    exactly the same, so the uninstaller never deletes what it did not install."""
    install, remove, out = [], [], None
    for path in files:
        sub = windows(path.parent) if str(path.parent) != "." else ""
        if sub != out:
            install.append(f'  SetOutPath "$INSTDIR{chr(92) + sub if sub else ""}"')
            out = sub
        install.append(f'  File "{folder / path}"')
        remove.append(f'  Delete /REBOOTOK "$INSTDIR\\{windows(path)}"')
    for sub in sorted({windows(p.parent) for p in files if str(p.parent) != "."}, reverse=True):
        remove.append(f'  RMDir "$INSTDIR\\{sub}"')
    return ("!macro DW_INSTALL_FILES\n" + "\n".join(install) + "\n!macroend\n"
            "!macro DW_REMOVE_FILES\n" + "\n".join(remove) + "\n!macroend\n")


def write_sha256(artifact):
    digest = hashlib.sha256(artifact.read_bytes()).hexdigest()
    Path(f"{artifact}.sha256").write_text(f"{digest}  {artifact.name}\n")


def make_zip(folder, files, target):
    """Unpacks into a Drivewarden folder that is ready to run from where it lies."""
    target.unlink(missing_ok=True)
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for path in files:
            archive.write(folder / path, str(PurePosixPath(folder.name) / path))


def main(argv):
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True)
    parser.add_argument("--out", required=True, type=Path)
    parser.add_argument("--languages", required=True)
    parser.add_argument("--policies", required=True)
    parser.add_argument("--icon", required=True)
    parser.add_argument("--strip")
    parser.add_argument("--makensis", default="makensis")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args(argv[1:])

    out = args.out.resolve()
    folder = out / "stage" / "Drivewarden"
    files = stage(args.programs, args.languages, args.policies, args.strip, folder)
    file_list = out / "stage" / "files.nsh"
    file_list.write_text(nsis_files(folder, files))

    setup = out / f"drivewarden-{args.version}-setup.exe"
    setup.unlink(missing_ok=True)
    subprocess.run([args.makensis, "-V2", "-INPUTCHARSET", "UTF8", f"-DVERSION={args.version}",
                    f"-DSTAGE={folder}", f"-DFILES={file_list}", f"-DICON={Path(args.icon).resolve()}",
                    f"-DOUTFILE={setup}", str(NSI)], check=True)
    portable = out / f"drivewarden-{args.version}-portable.zip"
    make_zip(folder, files, portable)
    for artifact in (setup, portable):
        write_sha256(artifact)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
