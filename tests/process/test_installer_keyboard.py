"""The wizard driven by real key presses: focus order, activation, the path box, closing, and
the focus cue, which only the first key press shows."""

import pytest

from conftest import wait_until
from installer_support import (CHECK_BOX, INSTALL_PATH_KEY, TOGGLE, XWM_SETUP_DONE,  # noqa: F401
                               gui_env, installer_prefix, probe, record, reg_query,
                               start_installer)
from keyboard_support import Keyboard, accessible_tree, child_named, pixel

NO_INSTALL = {"ORBAVINTEL_STANDIN_NO_INSTALL": "1", "ORBAVINTEL_STANDIN_BROWSER_SECONDS": "0"}
LOCALES = {"en": "C.UTF-8", "zh": "zh_CN.UTF-8"}
LAUNCH = {"en": "Launch", "zh": "立即体验"}
CUE_COLOR = (225, 95, 0)


@pytest.fixture
def keyboard(gui_env):
    return Keyboard(gui_env)


@pytest.mark.parametrize("lang", LOCALES)
def test_keyboard_alone_installs_and_launches(lang, start_installer, probe, keyboard, record,
                                              gui_env):
    installer = start_installer(env=dict(record.env, LC_ALL=LOCALES[lang]))
    window = probe.find_visible()["window"]
    keyboard.press("Return")
    assert wait_until(lambda: record.values("mini_result"), timeout=30)

    def finished_page_shown():
        tree = accessible_tree(gui_env, window)
        return any(child["name"] == LAUNCH[lang] for child in tree["children"])

    assert wait_until(finished_page_shown, timeout=20, interval=0.3)
    keyboard.press("Return")
    result = installer.wait(timeout=30)
    assert result.returncode == 0
    assert "on done button pressed.\n" in result.debug
    assert wait_until(lambda: record.values("browser_path"), timeout=20)


def test_space_unticks_and_enter_on_install_shows_the_agreement_message(
        start_installer, probe, keyboard):
    installer = start_installer(env=NO_INSTALL)
    probe.find_visible()
    keyboard.press("Tab", "space", "shift+Tab", "Return")
    box = probe.dialog()
    assert box["text"] == "Please check the user license aggreement below"
    probe.dismiss()
    # Still unticked: a second Enter asks again instead of installing.
    keyboard.press("Return")
    assert probe.dialog()["text"].startswith("Please check")
    probe.dismiss()
    keyboard.press("Escape")
    result = installer.wait()
    assert result.debug.count("on start button pressed.\n") == 2
    assert "InstallerView::PerformOfflineInstall.\n" not in result.debug


def test_path_typed_after_tabbing_into_the_box_is_installed_to_on_enter(
        start_installer, probe, keyboard):
    installer = start_installer(env=NO_INSTALL)
    probe.find_visible()
    keyboard.press("Tab", "Tab", "Tab", "space")  # to the toggle: page 1
    assert wait_until(lambda: probe.find()["client"] == "1000,740")
    # The page starts on Install again; the box is four stops on. Tabbing in selects the
    # default folder, so typing replaces it.
    keyboard.press("Tab", "Tab", "Tab", "Tab")
    typed = r"Z:\tmp\keyboard typed"
    keyboard.type(typed)
    assert wait_until(lambda: probe.find()["edit"] == typed)
    keyboard.press("Return")
    assert wait_until(lambda: reg_query(INSTALL_PATH_KEY, "XInstallPath") == typed, timeout=20)
    assert "InstallerView::PerformOfflineInstall.\n" in installer.stop().debug


@pytest.mark.parametrize("page,key", [(0, "Escape"), (1, "Escape"), (0, "alt+F4"),
                                      (1, "alt+F4"), (2, "Escape"), (3, "alt+F4")])
def test_escape_and_alt_f4_do_what_the_close_button_does(page, key, start_installer, probe,
                                                         keyboard):
    installer = start_installer(env={"ORBAVINTEL_STANDIN_DELAY_MS": "4000",
                                     "ORBAVINTEL_STANDIN_BROWSER_SECONDS": "0"})
    probe.find_visible()
    if page == 1:
        probe.click(TOGGLE)
        assert wait_until(lambda: probe.find()["client"] == "1000,740")
    if page == 2:
        keyboard.press("Return")
    if page == 3:
        probe.post(XWM_SETUP_DONE, 1)
        assert installer.wait_for_debug("\nInstallerView::DoneSetup: ")
    keyboard.press(key)
    if page == 2:
        # Installing: the close button only asks to wait.
        assert probe.dialog()["text"] == "Installing, please wait..."
        probe.dismiss()
        assert installer.running()
        return
    result = installer.wait(timeout=20)
    assert result.returncode == 0
    assert "on start button pressed.\n" not in result.debug


def cue_pixels(shot):
    width, height, _ = shot
    return sum(1 for y in range(0, height, 2) for x in range(width)
               if pixel(shot, x, y) == CUE_COLOR)


@pytest.mark.parametrize("page,keys,ring_point", [
    # The licence link, on the picture, around its words (from x = 197).
    (0, ["Tab"], (194, 564)),
    # The browse button, on the white band of the custom page.
    (1, ["Tab"] * 4, (850, 647)),
])
def test_focus_cue_appears_with_the_first_key_only(page, keys, ring_point, start_installer,
                                                   probe, keyboard):
    start_installer()
    probe.find_visible()
    if page == 1:
        probe.click(TOGGLE)
        assert wait_until(lambda: probe.find()["client"] == "1000,740")
    # A mouse user's clicks move the focus to the box but show no cue.
    probe.click(CHECK_BOX)
    probe.click(CHECK_BOX)

    shots = []

    def settled():
        shots.append(keyboard.screenshot())
        return shots[-1][1] == (740 if page == 1 else 600)

    assert wait_until(settled)
    before = shots[-1]
    assert cue_pixels(before) == 0
    assert pixel(before, *ring_point) != CUE_COLOR
    keyboard.press(*keys)
    assert wait_until(lambda: pixel(keyboard.screenshot(), *ring_point) == CUE_COLOR)
    # Two pixels wide, and only around the focused widget.
    after = keyboard.screenshot()

    x, y = ring_point
    inward = (x + 2, y) if page == 0 else (x, y + 2)
    outward = (x + 1, y) if page == 0 else (x, y + 1)
    assert pixel(after, *outward) == CUE_COLOR and pixel(after, *inward) != CUE_COLOR
    assert cue_pixels(after) < 1000


def test_a_click_moves_the_focus_and_tab_goes_on_from_there_wrapping_round(
        start_installer, probe, keyboard, gui_env):
    installer = start_installer(env=NO_INSTALL)
    window = probe.find_visible()["window"]
    probe.click(CHECK_BOX)                       # unticks, and focuses the box
    keyboard.press("Tab")                        # on to the licence link
    tree = accessible_tree(gui_env, window)
    assert "focused" in child_named(tree, "user license")["state"]
    assert "checked" not in child_named(tree, "Agree to the user license")["state"]
    # Backwards past the first widget wraps round to the last, and forwards again.
    keyboard.press("shift+Tab", "shift+Tab", "shift+Tab")
    assert "focused" in child_named(accessible_tree(gui_env, window), "Close")["state"]
    keyboard.press("Tab")
    assert "focused" in child_named(accessible_tree(gui_env, window), "Install")["state"]
    keyboard.press("Escape")
    assert installer.wait().returncode == 0
