"""Update runs behind a proxy chosen by policy, through a real proxy server (tinyproxy).

The check goes to the update server on 127.0.0.1, the package comes from a second server on
127.0.0.2 (the "package host"), so that a bypass list or a PAC script can send the two ways.

What is not run here, for want of it under Wine 8: automatic proxy detection (Wine has no DHCP
detection, and the test machine no wpad host for its DNS lookup), and a Negotiate or NTLM token
made from the logon credentials (Wine has no domain logon, so it answers such a challenge
without one): the NTLM cases show that the challenge is answered and sent again once, and that
a refusal ends the URL with one line, not the token itself.
"""

import contextlib
import re
import shutil
import socket
import struct
import subprocess
import xml.etree.ElementTree as ElementTree

import pytest

from conftest import SOURCE_DIR, WINE_RUN, exe, finish, run_wine, start_wine, wait_until, \
    wine_env
from local_update_server import LocalUpdateServer
from test_update_run import answer, release_server, run_update, set_answer

CHECK_PATH = "/orbavintel/update/version_win/"
POLICY_DIR = SOURCE_DIR / "tools" / "policy"
KEYS = SOURCE_DIR / "tests" / "updater" / "keys"
INTERNET_SETTINGS = (r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings"
                     r"\Connections")
# Nothing listens on the discard port: a proxy there is down.
DOWN_PROXY = "127.0.0.1:9"
ADMX_NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}


def policy_names():
    """The registry key and value names as the Group Policy template writes them, so that a
    run set up through them fails when the template and the updater disagree."""
    root = ElementTree.parse(POLICY_DIR / "orbavintel.admx").getroot()
    [policy] = root.iterfind(".//p:policy", ADMX_NS)
    names = {"key": "HKLM\\" + policy.get("key")}
    for element in policy.find("p:elements", ADMX_NS):
        names[element.get("id")] = element.get("valueName")
    return names


def reg(*args):
    return subprocess.run([str(WINE_RUN), "reg", *args], env=wine_env(), capture_output=True,
                          text=True)


@contextlib.contextmanager
def proxy_policy(values):
    """The machine policy with |values| (template element id -> text) for the duration."""
    names = policy_names()
    reg("delete", names["key"], "/f")
    for name, text in values.items():
        reg("add", names["key"], "/v", names[name], "/t", "REG_SZ", "/d", text, "/f")
    try:
        yield
    finally:
        reg("delete", names["key"], "/f")


def connection_settings(proxy, bypass="", script=""):
    """The user's proxy settings as Windows stores them (DefaultConnectionSettings)."""
    flags = 1 | (2 if proxy else 0) | (4 if script else 0)
    blob = struct.pack("<III", 0x46, 1, flags)
    for text in (proxy, bypass, script):
        blob += struct.pack("<I", len(text)) + text.encode("ascii")
    return (blob + bytes(32)).hex()


@contextlib.contextmanager
def user_proxy_settings(hex_blob):
    """The user's settings as |hex_blob| for the duration; what was there before comes back."""
    before = re.search(r"DefaultConnectionSettings\s+REG_BINARY\s+([0-9A-Fa-f]*)",
                       reg("query", INTERNET_SETTINGS, "/v", "DefaultConnectionSettings").stdout)

    def store(data):
        reg("add", INTERNET_SETTINGS, "/v", "DefaultConnectionSettings", "/t", "REG_BINARY",
            "/d", data, "/f")

    store(hex_blob)
    try:
        yield
    finally:
        if before:
            store(before.group(1))
        else:
            reg("delete", INTERNET_SETTINGS, "/v", "DefaultConnectionSettings", "/f")


# Wine 8's WinHTTP takes a proxy whose host name is the server's own for no proxy at all (it
# then sends the plain path), so the proxy listens on an address of its own.
PROXY_HOST = "127.0.0.3"


def free_port():
    with socket.socket() as probe:
        probe.bind((PROXY_HOST, 0))
        return probe.getsockname()[1]


class Tinyproxy:
    """Debian's tinyproxy on a free loopback port; its log names each request it forwards."""

    def __init__(self, folder, basic_auth=False):
        folder.mkdir(parents=True, exist_ok=True)
        self.log = folder / "tinyproxy.log"
        self.port = free_port()
        self.address = f"{PROXY_HOST}:{self.port}"
        config = folder / "tinyproxy.conf"
        config.write_text(f'Port {self.port}\nListen {PROXY_HOST}\nAllow 127.0.0.0/8\n'
                          f'LogFile "{self.log}"\nLogLevel Info\nTimeout 30\nMaxClients 20\n' +
                          ("BasicAuth updater secret\n" if basic_auth else ""))
        self.process = subprocess.Popen(["tinyproxy", "-d", "-c", str(config)],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        assert wait_until(self.listening, timeout=10), "tinyproxy did not start"

    def listening(self):
        with socket.socket() as probe:
            return probe.connect_ex((PROXY_HOST, self.port)) == 0

    def requests(self):
        """(method, URL) of every request the proxy received."""
        text = self.log.read_text(errors="replace") if self.log.exists() else ""
        return re.findall(r"Request \(file descriptor \d+\): (\S+) (\S+) HTTP", text)

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)


@pytest.fixture
def proxied_release(tmp_path, request):
    """The check server, the package host, a proxy (with Basic authentication when the case
    asks for it) and the answer offering the package; the policy is the case's business."""
    case = request.param
    options = ("--signing-key", KEYS / "test_key_a.private.pem") if case.get("keyed") else ()
    with release_server(tmp_path, *options) as server, \
            LocalUpdateServer(tmp_path / "package-host", options=("--host", "127.0.0.2")) as host:
        shutil.copyfile(server.files / "package.exe", host.files / "package.exe")
        proxy = Tinyproxy(tmp_path / "proxy", basic_auth=case.get("basic_auth", False))
        try:
            yield server, host, proxy, case
        finally:
            proxy.stop()


def case(policy=None, pac=None, system=None, default=("/files/package.exe",), backup=(),
         final="UWM_INSTALLER_LAUNCHED", proxied=(), downloads=None, line=None, **extra):
    """One run: the policy's values, the PAC script, the user's settings (proxy, bypass), the
    package paths on the package host, the last message, what the proxy sees ("check",
    "package"), the package host's GETs (those without the proxy and not down) and a debug
    line the run must write exactly once. "{proxy}", "{pac}", "{down}" and "{server}" (the
    check server, playing a proxy) are filled in."""
    if downloads is None:
        launched = final == "UWM_INSTALLER_LAUNCHED"
        downloads = list(default[:1]) if launched and "package" not in proxied else []
    return dict(policy=policy or {}, pac=pac, system=system, default=list(default),
                backup=list(backup), final=final, proxied=list(proxied), downloads=downloads,
                line=line, **extra)


# The PAC scripts. WinHTTP hands them the whole URL, so a path can choose a way too.
PROXY_ALL = 'function FindProxyForURL(url, host) { return "PROXY {proxy}"; }'
PACKAGE_HOST_DIRECT = ('function FindProxyForURL(url, host) {'
                       ' if (host == "127.0.0.2") return "DIRECT"; return "PROXY {proxy}"; }')
CHECK_HOST_DIRECT = ('function FindProxyForURL(url, host) {'
                     ' if (host == "127.0.0.1") return "DIRECT"; return "PROXY {proxy}"; }')
CHECK_HOST_DIRECT_SERVER_PROXY = CHECK_HOST_DIRECT.replace("{proxy}", "{server}")
DOWN_FOR_ONE_PATH = ('function FindProxyForURL(url, host) {'
                     ' if (shExpMatch(url, "*/nowhere/*")) return "PROXY {down}";'
                     ' return "PROXY {proxy}"; }')

CASES = {
    "no policy": case(),
    "fixed": case(policy={"ProxyMode": "fixed", "ProxyServer": "{proxy}"},
                  proxied=["check", "package"]),
    "fixed, package host bypassed": case(
        policy={"ProxyMode": "fixed", "ProxyServer": "{proxy}", "ProxyBypass": "127.0.0.2"},
        proxied=["check"]),
    "pac": case(policy={"ProxyMode": "pac", "ProxyPacUrl": "{pac}"}, pac=PROXY_ALL,
                proxied=["check", "package"]),
    "pac, DIRECT for the package host": case(policy={"ProxyMode": "PAC", "ProxyPacUrl": "{pac}"},
                                             pac=PACKAGE_HOST_DIRECT, proxied=["check"]),
    # The script is the only way the administrator allowed: no answer, no connection at all.
    "pac script missing": case(policy={"ProxyMode": "pac", "ProxyPacUrl": "{pac}.missing"},
                               final="UWM_UPDATE_FAILED", line="Proxy: the PAC script "),
    "system": case(policy={"ProxyMode": "system"}, system=("{proxy}", ""),
                   proxied=["check", "package"]),
    "system, package host bypassed": case(policy={"ProxyMode": "system"},
                                          system=("{proxy}", "127.0.0.2"), proxied=["check"]),
    "proxy down for the first URL, the next one served": case(
        policy={"ProxyMode": "pac", "ProxyPacUrl": "{pac}"}, pac=DOWN_FOR_ONE_PATH,
        default=["/nowhere/package.exe"], backup=["/files/package.exe"],
        proxied=["check", "package"], downloads=[]),
    "proxy down for every URL": case(policy={"ProxyMode": "fixed", "ProxyServer": "{down}"},
                                     final="UWM_UPDATE_FAILED"),
    # tinyproxy refuses a request before reading its body, so a POST it refuses is reset
    # before its 407 can be read: the check goes direct here, the download meets the 407.
    "Basic authentication": case(
        policy={"ProxyMode": "pac", "ProxyPacUrl": "{pac}"}, pac=CHECK_HOST_DIRECT,
        basic_auth=True, final="UWM_UPDATE_FAILED", proxied=["package"],
        line="Proxy authentication failed: the proxy offers Basic; only Negotiate and NTLM "
             "can be answered.\n"),
    # The update server plays a proxy that asks for NTLM: the engine answers with the logon
    # credentials and sends again, once.
    "NTLM asked once": case(
        policy={"ProxyMode": "pac", "ProxyPacUrl": "{pac}"}, pac=CHECK_HOST_DIRECT_SERVER_PROXY,
        default=["/@proxy-auth-once=ntlm/files/package.exe"], downloads=[],
        proxy_saw=["/@proxy-auth-once=ntlm/files/package.exe"] * 2),
    "NTLM refusing the logon credentials": case(
        policy={"ProxyMode": "pac", "ProxyPacUrl": "{pac}"}, pac=CHECK_HOST_DIRECT_SERVER_PROXY,
        default=["/@proxy-auth=negotiate,ntlm/files/package.exe"], final="UWM_UPDATE_FAILED",
        proxy_saw=["/@proxy-auth=negotiate,ntlm/files/package.exe"] * 2,
        line="Proxy authentication failed: the proxy refused the logon credentials; it offers "
             "Negotiate, NTLM.\n"),
    "keyed build": case(policy={"ProxyMode": "fixed", "ProxyServer": "{proxy}"}, keyed=True,
                        proxied=["check", "package"],
                        line="Update answer signed by key 7da7c3169787ac44.\n"),
    "unknown mode": case(policy={"ProxyMode": "auto", "ProxyServer": "{proxy}"},
                         line='Proxy policy: unknown ProxyMode "auto"; connecting directly.\n'),
    "fixed without a server": case(
        policy={"ProxyMode": "fixed"},
        line="Proxy policy: ProxyMode fixed without ProxyServer; connecting directly.\n"),
}


@pytest.mark.parametrize("proxied_release", CASES.values(), ids=CASES.keys(), indirect=True)
def test_update_run_behind_a_proxy(proxied_release, tmp_path):
    server, host, proxy, case = proxied_release

    def fill(text):
        return (text.replace("{proxy}", proxy.address).replace("{down}", DOWN_PROXY)
                .replace("{server}", server.address)
                .replace("{pac}", server.url("/files/proxy.pac")))

    package_url = f"http://127.0.0.2:{host.port}"
    if case["pac"]:
        (server.files / "proxy.pac").write_text(fill(case["pac"]))
    set_answer(server, answer("2.0", server.package_hash,
                              default=[package_url + p for p in case["default"]],
                              backup=[package_url + p for p in case["backup"]]))
    values = {name: fill(text) for name, text in case["policy"].items()}
    settings = (user_proxy_settings(connection_settings(*map(fill, case["system"])))
                if case["system"] else contextlib.nullcontext())
    with proxy_policy(values), settings:
        run = run_update(server, tmp_path, "--check-deadline-ms=20000",
                         program="orbavintelup_signed.exe" if case.get("keyed")
                         else "orbavintelup.exe")

    assert run.messages[-2:] == [case["final"], "UPDATER_EXIT"], run.debug
    assert len(run.records) == (1 if case["final"] == "UWM_INSTALLER_LAUNCHED" else 0)
    seen = ["check" if url.endswith(CHECK_PATH) else "package" for _, url in proxy.requests()]
    # One request each: a refused one is not repeated.
    assert seen == case["proxied"], (proxy.requests(), run.debug)
    direct_downloads = [r["path"] for r in host.requests() if "Via" not in r["headers"]]
    assert direct_downloads == case["downloads"]
    if case["line"]:
        assert sum(d.startswith(case["line"]) for d in run.debug) == 1, run.debug
    if not case["policy"]:
        assert not any(d.startswith("Proxy") for d in run.debug)
    if "proxy_saw" in case:
        assert [r["path"] for r in server.requests()
                if r["method"] == "GET" and r["path"] != "/files/proxy.pac"] == \
            case["proxy_saw"], run.debug


@pytest.mark.parametrize("proxied_release", [case()], ids=["script never answered"],
                         indirect=True)
def test_window_answers_while_the_pac_script_is_fetched(proxied_release, tmp_path):
    """The script's server never answers: the window still answers pings meanwhile, and the
    check's deadline ends the run with the script still outstanding."""
    server, _, _, _ = proxied_release
    (tmp_path / "1.0.0.0").mkdir()
    with proxy_policy({"ProxyMode": "pac", "ProxyPacUrl": server.url("/@hang/files/proxy.pac")}):
        follower = start_wine(exe("client_window.exe"), f"--launch={exe('orbavintelup.exe')}",
                              "--timeout=60000", "--", "--version=1.0.0.0",
                              f"--update-server={server.address}", "--check-deadline-ms=8000",
                              cwd=tmp_path)
        try:
            assert wait_until(lambda: server.requests("/@hang/files/proxy.pac"), timeout=30)
            pinged = run_wine(exe("client_window.exe"), "--ping", "--timeout=5000")
            check_sent = bool(server.requests(CHECK_PATH))
        finally:
            run = finish(follower, timeout=90)
    assert "UWM_PING_REPLY 0 0" in pinged.stdout.split("\n")
    assert not check_sent
    assert run.stdout.split("\n")[-3:] == ["UWM_UPDATE_FAILED 0 0", "UPDATER_EXIT 0", ""]
    assert server.requests(CHECK_PATH) == []


def test_template_names_every_value_with_english_text():
    """Every string and presentation the ADMX refers to exists in the English ADML, and the
    template writes the four values, REG_SZ, under the one key."""
    admx = ElementTree.parse(POLICY_DIR / "orbavintel.admx").getroot()
    adml = ElementTree.parse(POLICY_DIR / "en-US" / "orbavintel.adml").getroot()
    strings = {s.get("id") for s in adml.iterfind(".//p:string", ADMX_NS)}
    presentations = {p.get("id") for p in adml.iterfind(".//p:presentation", ADMX_NS)}
    referenced = set()
    for element in admx.iter():
        for attribute in ("displayName", "explainText"):
            if element.get(attribute, "").startswith("$(string."):
                referenced.add(element.get(attribute)[len("$(string."):-1])
    assert referenced and referenced <= strings
    [policy] = admx.iterfind(".//p:policy", ADMX_NS)
    assert policy.get("presentation")[len("$(presentation."):-1] in presentations
    names = policy_names()
    assert names["key"] == r"HKLM\SOFTWARE\Policies\Orbavintel\Update"
    assert sorted(v for k, v in names.items() if k != "key") == [
        "ProxyBypass", "ProxyMode", "ProxyPacUrl", "ProxyServer"]
