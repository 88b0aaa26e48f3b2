"""The wizard as a screen reader reads it from another process: the client object and its
children with names in the page's language, roles, states, locations, values and default
actions, and the default action doing what a click does."""

import pytest

from conftest import exe, run_wine, wait_until
from installer_support import (INSTALL_PATH_KEY, TOGGLE, XWM_SETUP_DONE, gui_env,  # noqa: F401
                               installer_prefix, probe, reg_delete_key, reg_query,
                               start_installer)
from keyboard_support import Keyboard, accessible_tree

LOCALES = {"en": "C.UTF-8", "zh": "zh_CN.UTF-8"}
NAMES = {
    "en": {"title": "Orbavintel v1.0", "install": "Install",
           "box": "Agree to the user license", "link": "user license",
           "customize": "Customize", "default": "Default", "path": "Install path",
           "browse": "Select...", "minimize": "Minimize", "close": "Close",
           "launch": "Launch", "finished": "Finished", "installing": "Installing...",
           "left": "V62 Kernel", "right": "Blockchain Navigations"},
    "zh": {"title": "Orbavintel浏览器 v1.0", "install": "一键安装",
           "box": "阅读并同意用户许可协议", "link": "许可协议",
           "customize": "自定义安装", "default": "默认安装", "path": "安装目录",
           "browse": "浏览...", "minimize": "最小化", "close": "关闭",
           "launch": "立即体验", "finished": "安装完成！", "installing": "安装中...",
           "left": "V62 急速内核", "right": "专业区块链导航"},
}
FOCUSED = ["focused", "focusable"]
# Per page: name key, role, client rectangle (left, top, width, height), state, action.
MINIMIZE_CLOSE = [
    ("minimize", "push button", (896, 20, 32, 32), ["focusable"], "Press"),
    ("close", "push button", (948, 20, 32, 32), ["focusable"], "Press"),
]
AGREEMENT_ROW = [
    ("box", "check box", (20, 548, 32, 32), ["focusable", "checked"], "Uncheck"),
    ("link", "link", None, ["focusable"], "Jump"),
]
# The licence link covers its words, which run past its 80-pixel place in both languages
# (as drawn with the fonts Wine substitutes here).
LINK = {"en": (197, 548, 110, 32), "zh": (210, 548, 84, 32)}
PAGES = {
    0: [("install", "push button", (350, 400, 300, 72), FOCUSED, "Press"), *AGREEMENT_ROW,
        ("customize", "push button", (860, 548, 120, 32), ["focusable"], "Press"),
        *MINIMIZE_CLOSE],
    1: [("install", "push button", (350, 400, 300, 72), FOCUSED, "Press"), *AGREEMENT_ROW,
        ("default", "push button", (860, 548, 120, 32), ["focusable"], "Press"),
        ("path", "editable text", (200, 650, 600, 40), ["focusable"], None),
        ("browse", "push button", (800, 650, 100, 40), ["focusable"], "Press"),
        *MINIMIZE_CLOSE],
    # A disabled button has no default action.
    2: [("installing", "push button", (350, 494, 300, 72), ["unavailable"], None),
        *MINIMIZE_CLOSE,
        ("left", "static text", (0, 236, 250, 34), [], None),
        ("right", "static text", (729, 236, 271, 34), [], None),
        ("installing", "progress bar", (0, 460, 1000, 6), None, None)],
    3: [("launch", "push button", (350, 494, 300, 72), FOCUSED, "Press"), *MINIMIZE_CLOSE,
        ("finished", "static text", (400, 195, 200, 70), [], None)],
}


def show_page(page, probe, keyboard):
    if page == 1:
        probe.click(TOGGLE)
        assert wait_until(lambda: probe.find()["client"] == "1000,740")
    elif page == 2:
        keyboard.press("Return")
    elif page == 3:
        probe.post(XWM_SETUP_DONE, 1)
    keyboard.press()  # the window holds the keyboard focus, so "focused" is reported


@pytest.mark.parametrize("lang,page", [(lang, page) for lang in LOCALES for page in PAGES])
def test_tree_names_roles_states_locations_and_actions(lang, page, start_installer, probe,
                                                       gui_env):
    # Long enough an install to read the installing page; the fixture ends it.
    start_installer(env={"LC_ALL": LOCALES[lang], "ORBAVINTEL_STANDIN_DELAY_MS": "5000",
                         "ORBAVINTEL_STANDIN_BROWSER_SECONDS": "0"})
    window = probe.find_visible()
    show_page(page, probe, Keyboard(gui_env))
    names = NAMES[lang]
    expected = PAGES[page]

    # The tree as first read on the page: the installing page lasts only as long as the
    # stand-in's delay, so it is not read a second time.
    seen = []

    def current():
        tree = accessible_tree(gui_env, window["window"])
        if len(tree["children"]) == len(expected) and tree["children"][0][
                "name"] == names[expected[0][0]]:
            seen.append(tree)
        return bool(seen)

    assert wait_until(current, timeout=10, interval=0.3)
    tree = seen[0]
    left, top = map(int, window["rect"].split(",")[:2])
    assert tree["name"] == names["title"] and tree["role"] == "client"
    # The focused child (the client itself while installing), the ends of the list and
    # ids that name no child.
    assert tree["focus"] == (0 if page == 2 else 1)
    assert (tree["first"], tree["last"]) == (1, len(expected))
    assert tree["invalid"] == ["0x80070057"] * 3  # E_INVALIDARG
    for number, (child, (key, role, place, state, action)) in enumerate(
            zip(tree["children"], expected), 1):
        x, y, width, height = LINK[lang] if key == "link" else place
        assert child["hit"] == number, key
        assert child["next"] == (number + 1 if number < len(expected) else None), key
        assert child["previous"] == (number - 1 if number > 1 else None), key
        assert (child["name"], child["role"]) == (names[key], role)
        assert child["location"] == [left + x, top + y, width, height], key
        assert child["default_action"] == action, key
        if state is not None:
            assert child["state"] == state, key
        if role == "editable text":
            assert child["value"] == probe.find()["edit"]
        elif role == "progress bar":
            assert child["value"].endswith("%")
        else:
            assert child["value"] is None


def test_default_action_of_the_install_button_starts_the_install(start_installer, probe,
                                                                gui_env):
    reg_delete_key(INSTALL_PATH_KEY)
    installer = start_installer(env={"ORBAVINTEL_STANDIN_NO_INSTALL": "1",
                                     "ORBAVINTEL_STANDIN_BROWSER_SECONDS": "0"})
    window = probe.find_visible()["window"]
    acted = run_wine(exe("accessibility_probe.exe"), "do", window, "1", env=gui_env)
    assert acted.returncode == 0, acted.stdout
    assert wait_until(lambda: reg_query(INSTALL_PATH_KEY, "XInstallPath") is not None,
                      timeout=20)
    result = installer.stop()
    assert "on start button pressed.\n" in result.debug
    assert "InstallerView::PerformOfflineInstall.\n" in result.debug

