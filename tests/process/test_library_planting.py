"""Planted libraries: what waits beside a program under a system library's name never runs.

Users start both programs from folders anyone may write to. Windows looks for a library
outside its KnownDLLs list in the program's folder first; Wine does the same once a library
is set to native-first (NAME=n,b), so the attack can be played here for real.
"""

import pathlib
import re
import shutil
import subprocess

import pytest

from conftest import SOURCE_DIR, exe, run_wine, wine_path
from installer_support import InstallerRun, gui_env, installer_prefix  # noqa: F401
from test_update_run import answer, release_server, set_answer

KNOWN_DLLS = {
    "kernel32", "user32", "gdi32", "advapi32", "shell32", "shlwapi", "ole32", "oleaut32",
    "msvcrt", "comdlg32", "imm32", "combase", "rpcrt4", "sechost", "setupapi", "shcore",
    "ws2_32", "psapi", "normaliz", "nsi", "wldap32", "imagehlp", "gdiplus", "msctf",
    "clbcatq", "coml2", "difxapi"}
# Mapped by the system before any code of a program runs; no folder can supply them.
LOADER_CORE = {"ntdll", "kernelbase", "win32u"}

OBJDUMP = "x86_64-w64-mingw32-objdump"
GCC = "x86_64-w64-mingw32-gcc"
WINE_LIBRARIES = [pathlib.Path("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"),
                  pathlib.Path("/usr/lib/wine/x86_64-windows")]
PLANTING_SOURCES = pathlib.Path(__file__).resolve().parent / "planting"
KEYS = SOURCE_DIR / "tests" / "updater" / "keys"
LOADED = re.compile(r'Loaded L"(?:[^"]*\\\\)?([^"\\]+)\.dll"', re.IGNORECASE)
C_NAME = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")


def imported_libraries(program):
    """The libraries a program imports statically, lower case, without ".dll"."""
    dump = subprocess.run([OBJDUMP, "-p", program], capture_output=True, text=True,
                          check=True).stdout
    return {name.lower() for name in re.findall(r"DLL Name: (\S+)\.dll", dump, re.I)}


@pytest.mark.parametrize("program", ["orbavintelup.exe", "orbavintelup_signed.exe",
                                     "installer.exe"])
def test_programs_import_only_known_dlls(program):
    imports = imported_libraries(exe(program))
    assert "kernel32" in imports, "the import table was not read"
    assert imports - KNOWN_DLLS == set()


def exported_names(library):
    """The C names Wine's own copy of |library| exports: what a program may import from it."""
    for folder in WINE_LIBRARIES:
        path = folder / f"{library}.dll"
        if path.exists():
            dump = subprocess.run([OBJDUMP, "-p", str(path)], capture_output=True, text=True,
                                  check=True).stdout
            table = dump.split("[Ordinal/Name Pointer] Table", 1)
            table = table[1].split("\n\n", 1)[0] if len(table) > 1 else ""
            # binutils 2.40 prints "[   0] Name", 2.44 "[   0] +base[   1]  0000 Name".
            names = re.findall(r"^\s*\[\s*\d+\].* (\S+)$", table, re.M)
            return [name for name in names if C_NAME.match(name)]
    return []


class Plant:
    """Stand-in libraries under system names, built once per test into |folder|."""

    def __init__(self, folder):
        self.folder = folder
        self.object = folder / "planted_library.o"
        subprocess.run([GCC, "-c", "-O1", "-o", str(self.object),
                        str(PLANTING_SOURCES / "planted_library.c")], check=True)
        self.built = {}

    def library(self, name):
        if name not in self.built:
            definitions = self.folder / f"{name}.def"
            exports = "".join(f"  {export}=PlantedStub\n" for export in exported_names(name))
            definitions.write_text(f"LIBRARY {name}.dll\nEXPORTS\n  PlantedStub\n{exports}")
            self.built[name] = self.folder / f"{name}.dll"
            subprocess.run([GCC, "-shared", "-o", str(self.built[name]), str(self.object),
                            str(definitions)], check=True, capture_output=True)
        return self.built[name]

    def beside(self, program, names):
        """Copies |program| into a folder of its own with |names| planted beside it."""
        folder = self.folder / pathlib.Path(program).stem
        shutil.rmtree(folder, ignore_errors=True)
        folder.mkdir()
        copy = folder / pathlib.Path(program).name
        shutil.copyfile(program, copy)
        for name in names:
            shutil.copyfile(self.library(name), folder / f"{name}.dll")
        return copy

    @staticmethod
    def ran(program):
        """The planted libraries whose DllMain ran."""
        return {path.name[:-len(".dll.ran")].lower()
                for path in pathlib.Path(program).parent.glob("*.dll.ran")}


def native_first(names, env=None):
    overrides = ",".join(sorted(names)) + "=n,b;mscoree,mshtml="
    return dict(env or {}, WINEDLLOVERRIDES=overrides)


def searchable(loaded):
    return {name for name in loaded if name not in KNOWN_DLLS | LOADER_CORE}


def loaded_libraries(run):
    return {name.lower() for name in LOADED.findall(run.stderr)}


def planted_and_ran(plant, run_program, program, also, env=None):
    """Runs |program| as a planting attack would meet it; returns what ran and the baseline.

    First a clean run lists every library the program loads. Then a minimal program that
    limits its search to the system folder, as ours do, loads the same libraries with all of
    them planted: whatever still runs there was pulled in by Wine's own libraries, which
    resolve their imports through the program's folder where Windows uses KnownDLLs. That
    baseline is subtracted; everything else the program loads is planted beside it, and so
    are the libraries in |also|, which earlier builds imported.
    """
    clean = run_program(plant.beside(program, []), dict(env or {},
                                                        WINEDEBUG="-all,+debugstr,+loaddll"))
    candidates = searchable(loaded_libraries(clean)) | also

    baseline_program = plant.folder / "search_baseline.exe"
    if not baseline_program.exists():
        subprocess.run([GCC, "-municode", "-mwindows", "-o", str(baseline_program),
                        str(PLANTING_SOURCES / "search_baseline.c")], check=True)
    baseline_copy = plant.beside(baseline_program, candidates)
    run_wine(str(baseline_copy), *[f"{name}.dll" for name in sorted(candidates)],
             env=native_first(candidates, env))
    pulled_by_wine = Plant.ran(baseline_copy)

    planted = candidates - pulled_by_wine
    copy = plant.beside(program, planted)
    attacked = run_program(copy, native_first(planted, dict(env or {},
                                                            WINEDEBUG="-all,+debugstr,+loaddll,+module")))
    delay_loaded_by_wine = {name for requester, name in delay_loads(attacked.stderr)
                            if requester != copy.name.lower()}
    return Plant.ran(copy) - delay_loaded_by_wine, planted, attacked


def delay_loads(trace):
    """(requesting module, library) for each library a delay-load stub asked the loader for.

    Wine's own libraries delay-load their dependencies (winhttp takes crypt32: Wine 8 when a
    request is torn down, Wine 10 on its first request) by a search that ignores the
    program's restriction to the system folder; on Windows the same loads obey it. Those
    loads are Wine's, told apart here by who asked; the planted copy must export what Wine
    calls, or Wine's own call into it ends the program.
    """
    modules = {}
    asking = {}
    found = []
    for line in trace.splitlines():
        thread = line.split(":", 1)[0]
        loaded = re.search(r'build_module Loaded L"(?:[^"]*\\)?([^"\\]+)" at ([0-9A-F]+)', line,
                           re.I)
        if loaded:
            modules[int(loaded.group(2), 16)] = loaded.group(1).lower()
        resolving = re.search(r"LdrResolveDelayLoadedAPI \(([0-9A-F]+),", line, re.I)
        if resolving:
            asking[thread] = modules.get(int(resolving.group(1), 16), "?")
        looking = re.search(r'load_dll looking for L"([^"]+)\.dll"', line, re.I)
        if looking and thread in asking:
            found.append((asking.pop(thread), looking.group(1).lower()))
    return found


# The signed updater also loads the system's cryptography to check the answer.
@pytest.mark.parametrize("program, server_options, also", [
    ("orbavintelup.exe", (), {"winhttp", "userenv"}),
    ("orbavintelup_signed.exe", ("--signing-key", KEYS / "test_key_a.private.pem"),
     {"winhttp", "userenv", "bcrypt"}),
])
def test_updater_runs_no_planted_library(tmp_path, program, server_options, also):
    plant = Plant(tmp_path)
    record = tmp_path / "package_record.jsonl"
    with release_server(tmp_path, *server_options) as server:
        set_answer(server, answer("2.0", server.package_hash, default=[server.package_url]))

        def update_run(copy, env):
            record.unlink(missing_ok=True)
            env = dict(env, ORBAVINTEL_STAND_IN_RECORD=wine_path(record))
            return run_wine(str(copy), "--version=1.0.0.0", f"--update-server={server.address}",
                            env=env, timeout=90)

        ran, planted, attacked = planted_and_ran(plant, update_run, exe(program), also=also)
    assert also <= planted
    assert ran == set()
    # The real libraries were loaded, from the system folder, with the planted ones beside.
    assert also - {"userenv"} <= loaded_libraries(attacked)
    # The whole run still happened: checked, downloaded, verified and started the package.
    assert attacked.returncode == 0
    assert "Starting the update package.\n" in attacked.debug


# A screen reader drives this install, so the installer also loads the accessibility library;
# the pictures are decoded by the imaging component, which COM loads by its registered path.
def test_installer_runs_no_planted_library(tmp_path, gui_env):  # noqa: F811
    plant = Plant(tmp_path)
    record = tmp_path / "installer_record.txt"

    def screen_read_install(copy, env):
        record.unlink(missing_ok=True)
        run = InstallerRun(dict(gui_env, **env, ORBAVINTEL_STANDIN_RECORD=wine_path(record),
                                ORBAVINTEL_STANDIN_BROWSER_SECONDS="0"), program=str(copy))
        try:
            window = run.probe.find_visible()["window"]
            acted = run_wine(exe("accessibility_probe.exe"), "do", window, "1", env=gui_env)
            assert acted.returncode == 0, acted.stdout
            return run.close_when_done()
        finally:
            run.stop()

    ran, planted, attacked = planted_and_ran(plant, screen_read_install, exe("installer.exe"),
                                             also={"msimg32", "oleacc", "windowscodecs"})
    assert {"msimg32", "oleacc", "windowscodecs"} <= planted
    assert ran == set()
    assert {"oleacc", "windowscodecs"} <= loaded_libraries(attacked)
    assert attacked.returncode == 0
    assert record.exists(), "the mini installer did not run"
