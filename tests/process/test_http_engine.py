"""The WinHTTP engine under Wine against the local update server.

The cases themselves are GoogleTest tests in tests/net/http_engine_test.cc (built into
net_tests.exe); they need a server, which this test provides through the environment.
"""

import re

import pytest

from conftest import exe, run_wine, wine_path
from local_update_server import LocalUpdateServer


@pytest.fixture
def update_server(tmp_path):
    with LocalUpdateServer(tmp_path, answer='{"version": "1.0"}') as server:
        yield server


def test_http_engine_against_the_local_server(update_server):
    run = run_wine(exe("net_tests.exe"), "--gtest_filter=HttpEngineTest.*", timeout=600, env={
        "ORBAVINTEL_TEST_SERVER": update_server.address,
        "ORBAVINTEL_TEST_SERVER_LOG": wine_path(update_server.log_path),
        "ORBAVINTEL_TEST_SERVER_FILES": wine_path(update_server.files),
    })
    summary = "\n".join(line for line in run.stdout.splitlines()
                        if re.match(r"\[ *(FAILED|PASSED|SKIPPED) *\]", line) or "Failure" in line)
    assert run.returncode == 0, run.stdout[-20000:]
    assert "[  SKIPPED ]" not in run.stdout, summary
    passed = re.search(r"\[  PASSED  \] (\d+) tests?", run.stdout)
    assert passed and int(passed.group(1)) >= 20, summary
    # The engine's diagnostics go to the debugger output.
    assert "HTTP status 404.\n" in run.debug
