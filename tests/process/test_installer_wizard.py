"""The install wizard in the real installer: one instance, switches, the agreement check box,
the custom page and its path row, and the checks before installing."""

import pytest

from conftest import prefix_folder, wait_until, wine_path
from installer_support import (AGREE_TEXT, BROWSE, CHECK_BOX, CLOSE, EXPAND, INSTALL,
                               INSTALL_PATH_KEY, PREFIX_ENV, TOGGLE, gui_env,  # noqa: F401
                               installer_prefix,  # noqa: F401
                               probe, reg_delete_key, reg_query, reg_set, start_installer)

SHELL_FOLDERS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders"
# A mini installer that only records its command line keeps these tests quick.
NO_INSTALL = {"ORBAVINTEL_STANDIN_NO_INSTALL": "1", "ORBAVINTEL_STANDIN_BROWSER_SECONDS": "0"}


def default_install_dir():
    """The installer's default folder under the prefix's own local application data folder,
    asked of the prefix: the temporary folder lies elsewhere in it for each Wine version."""
    return prefix_folder("LOCALAPPDATA", env=PREFIX_ENV)[0] + r"\Orbavintel\Orbavintel"


def switch_line(silent, launch, default):
    return f"Installer switches: /s {silent}, /r {launch}, /d {default}.\n"


def test_second_start_returns_zero_at_once_and_leaves_the_first(start_installer, probe):
    first = start_installer()
    window = probe.find_visible()
    probe.click(TOGGLE)
    assert wait_until(lambda: probe.find()["client"] == "1000,740")
    second = start_installer()
    result = second.wait(timeout=20)
    assert result.returncode == 0
    assert "Installer already running.\n" in result.debug
    assert first.running()
    after = probe.find()
    assert after["window"] == window["window"]
    assert after["client"] == "1000,740" and after["visible"] == "1"


@pytest.mark.parametrize("word", ["/S", "-s", "/silent", "/s/r"])
def test_switch_spellings_other_than_the_exact_words_are_ignored(start_installer, probe, word):
    installer = start_installer(word)
    probe.find_visible()
    probe.click(CLOSE)
    result = installer.wait()
    assert result.returncode == 0
    assert switch_line(0, 0, 0) in result.debug


def test_check_box_starts_ticked_and_three_widgets_flip_it(start_installer, probe):
    reg_delete_key(INSTALL_PATH_KEY)
    installer = start_installer(env=NO_INSTALL)
    probe.find_visible()

    def install_refused():
        probe.click(INSTALL)
        box = probe.dialog(timeout_ms=5000)
        if box is None:
            return False
        assert box == {"caption": "Install",
                       "text": "Please check the user license aggreement below",
                       "icon": "yes", "owner": "none"}
        probe.dismiss()
        return True

    probe.click(CHECK_BOX)          # ticked box → empty
    assert install_refused()
    probe.click(AGREE_TEXT)         # text → ticked
    probe.click(CHECK_BOX)          # ticked box → empty
    assert install_refused()
    # Nothing else happened: same page, nothing recorded.
    assert probe.find()["client"] == "1000,600"
    assert reg_query(INSTALL_PATH_KEY, "XInstallPath") is None
    probe.click(CHECK_BOX)          # empty box → ticked
    probe.click(INSTALL)
    result = installer.close_when_done()
    assert result.debug.count("on start button pressed.\n") == 3
    assert "InstallerView::PerformOfflineInstall.\n" in result.debug
    assert reg_query(INSTALL_PATH_KEY, "XInstallPath") is not None


def test_custom_page_grows_the_window_and_return_resets_the_path(start_installer, probe):
    reg_delete_key(INSTALL_PATH_KEY)
    installer = start_installer(env=NO_INSTALL)
    probe.find_visible()
    probe.click(TOGGLE)
    assert wait_until(lambda: probe.find()["client"] == "1000,740")
    window = probe.find()
    assert window["edit_visible"] == "1"
    # The path box spans 650 to 690; its native control sits 7 pixels inside.
    assert window["edit_rect"] == "207,657,793,683"
    assert window["edit"] == default_install_dir()
    probe.edit(r"Z:\tmp\custom place")
    # The agreement row stayed where it was: its check box still answers at the same point.
    probe.click(CHECK_BOX)
    probe.click(INSTALL)
    assert probe.dialog(timeout_ms=5000)["text"].startswith("Please check")
    probe.dismiss()
    probe.click(CHECK_BOX)
    probe.click(EXPAND)             # the collapse arrow, at the same place on page 1
    assert wait_until(lambda: probe.find()["client"] == "1000,600")
    assert probe.find()["edit_visible"] == "0"
    probe.click(INSTALL)
    result = installer.close_when_done()
    assert "Will install to the default location.\n" in result.debug
    assert reg_query(INSTALL_PATH_KEY, "XInstallPath") == default_install_dir()


def test_typed_path_is_recorded_exactly(start_installer, probe):
    installer = start_installer(env=NO_INSTALL)
    probe.find_visible()
    probe.click(TOGGLE)
    assert wait_until(lambda: probe.find()["client"] == "1000,740")
    typed = r"Z:\tmp\Orbavintel typed  "
    probe.edit(typed)
    probe.click(INSTALL)
    result = installer.close_when_done()
    assert "Will install to the default location.\n" not in result.debug
    # Neither trimmed nor normalised.
    assert reg_query(INSTALL_PATH_KEY, "XInstallPath") == typed


FOLDER_REFUSED = (218, "Can not create installation at selected path")
REGISTRY_FAILED = (219, "Fail access registry, the installer needs the permission to continue.")


@pytest.fixture
def hostile(request, probe, tmp_path):
    """A condition under which the install cannot start, named by the test's parameter."""
    reg_delete_key(INSTALL_PATH_KEY)
    if request.param == "refused volume":
        reg_set(SHELL_FOLDERS, "Local AppData", r"Q:\nowhere", kind="REG_EXPAND_SZ")
    elif request.param == "long default folder":
        # 247 characters: a path alone, but not with "\Orbavintel\Orbavintel" appended. It
        # exists, as the platform names no missing folder.
        folder = tmp_path / ("d" * (247 - len(wine_path(tmp_path)) - 1))
        folder.mkdir()
        assert len(wine_path(folder)) == 247
        reg_set(SHELL_FOLDERS, "Local AppData", wine_path(folder), kind="REG_EXPAND_SZ")
    elif request.param == "unwritable registry":
        # Under a volatile key no lasting key can be created, so the folder is not recorded.
        reg_delete_key(r"HKCU\Software\Orbavintel")
        assert probe.run("volatile", r"Software\Orbavintel").returncode == 0
    yield request.param
    reg_set(SHELL_FOLDERS, "Local AppData", r"%USERPROFILE%\AppData\Local", kind="REG_EXPAND_SZ")
    reg_delete_key(r"HKCU\Software\Orbavintel")


@pytest.mark.parametrize("hostile, message", [
    ("refused volume", FOLDER_REFUSED),
    ("typed folder too long", FOLDER_REFUSED),
    ("unwritable registry", REGISTRY_FAILED),
], indirect=["hostile"])
def test_refused_install_warns_keeps_the_page_and_close_ends(hostile, message, start_installer,
                                                             probe):
    installer = start_installer()
    probe.find_visible()
    if hostile == "typed folder too long":
        probe.click(TOGGLE)
        assert wait_until(lambda: probe.find()["client"] == "1000,740")
        probe.edit("Z:\\" + "e" * 299)  # 302 characters; the box reads 259 of them
    size = probe.find()["client"]
    probe.click(INSTALL)
    box = probe.dialog()
    assert (box["text"], box["owner"]) == (message[1], "none")
    probe.dismiss()
    assert installer.running()
    assert probe.find()["client"] == size
    # The close button ends the program on page 0 and on page 1.
    probe.click(CLOSE)
    result = installer.wait(timeout=20)
    assert result.returncode == 0
    assert "InstallerView::PerformOfflineInstall.\n" not in result.debug
    assert reg_query(INSTALL_PATH_KEY, "XInstallPath") is None


@pytest.mark.parametrize("hostile, code, line, message", [
    ("refused volume", 3, "Install folder refused.\n", FOLDER_REFUSED),
    ("long default folder", 3, "Install folder too long.\n", FOLDER_REFUSED),
    ("unwritable registry", 4, "Fail write install path.\n", REGISTRY_FAILED),
], indirect=["hostile"])
def test_silent_refusal_ends_at_once_without_a_box(hostile, code, line, message,
                                                   start_installer):
    installer = start_installer("/s")
    # A message box would hold the program until it is killed.
    result = installer.wait(timeout=20)
    assert result.returncode == code
    assert switch_line(1, 0, 0) in result.debug
    assert line in result.debug
    assert f"Silent run shows no message {message[0]}.\n" in result.debug
    assert "InstallerView::PerformOfflineInstall.\n" not in result.debug


def test_two_silent_installers_started_together_install_once(start_installer, tmp_path):
    # Neither window exists yet when both start: the window search alone lets both through.
    for round_number in range(5):
        record = tmp_path / f"record{round_number}.txt"
        release = tmp_path / f"release{round_number}"
        # The installer that goes ahead waits for the release, so the two surely overlap.
        env = dict(NO_INSTALL, ORBAVINTEL_STANDIN_RECORD=wine_path(record),
                   ORBAVINTEL_STANDIN_WAIT_FOR=wine_path(release))
        pair = [start_installer("/s", env=env) for _ in range(2)]

        def installs():
            return record.read_text().count("mini_cmdline=") if record.exists() else 0

        assert wait_until(lambda: installs() == 2 or not all(run.running() for run in pair),
                          timeout=30)
        release.touch()
        results = [run.wait(timeout=30) for run in pair]
        assert [r.returncode for r in results] == [0, 0]
        refused = ["Installer already running.\n" in r.debug for r in results]
        assert sorted(refused) == [False, True], round_number
        assert installs() == 1, round_number


def test_folder_picker_opens_on_the_current_path_and_cancel_changes_nothing(start_installer,
                                                                           probe):
    installer = start_installer()
    probe.find_visible()
    probe.click(TOGGLE)
    assert wait_until(lambda: probe.find()["client"] == "1000,740")
    probe.edit("C:\\windows")
    probe.click(BROWSE)
    picker = probe.dialog()
    assert "Please select path for installing Orbavintel:" in picker["text"]
    # The folder typed in the box is preselected, so OK hands it straight back.
    probe.dismiss()
    assert wait_until(lambda: probe.find()["edit"] == "C:\\windows")
    probe.click(BROWSE)
    assert probe.dialog() is not None
    assert probe.run("cancel").returncode == 0
    assert probe.find()["edit"] == "C:\\windows"
    probe.click(CLOSE)
    result = installer.wait()
    picked = result.debug.index("C:\\windows\n")
    assert result.debug[picked + 1:].count("User canceled path selecting.\n") == 1
