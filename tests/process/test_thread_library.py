"""The updater's own code never calls the C++ thread library.

WinHTTP calls back on its own worker threads. With mingw, std::mutex, std::thread and
thread_local go through winpthreads, which keeps a record for every thread that uses it; an
update run hung with a WinHTTP worker spinning in that bookkeeping as one of our threads ended.
Such a hang shows only under load, now and then, so the check is made where it is certain: no
object of the updater's libraries refers to winpthreads or to emulated thread-local storage.
"""

import re
import subprocess

import pytest

from conftest import BUILD_DIR

LIBRARIES = ("base/libbase.a", "client_state/libclient_state.a", "net/libnet.a",
             "updater/libdigest.a", "updater/libupdater_core.a")
THREAD_LIBRARY = re.compile(r"^(pthread_|__emutls_|__once_proxy$|_ZNSt6thread)")


def cmake_cache_value(name):
    for line in (BUILD_DIR / "CMakeCache.txt").read_text().splitlines():
        if line.startswith(name + ":"):
            return line.split("=", 1)[1]
    raise AssertionError(f"{name} is not in the build's cache")


@pytest.mark.parametrize("library", LIBRARIES)
def test_updater_code_does_not_use_the_thread_library(library):
    listing = subprocess.run([cmake_cache_value("CMAKE_NM"), "--undefined-only", "--portability",
                              BUILD_DIR / library], capture_output=True, text=True, check=True)
    symbols = [line.split()[0] for line in listing.stdout.splitlines() if line.strip()]
    assert symbols, "the library's undefined symbols were not read"
    assert [name for name in symbols if THREAD_LIBRARY.match(name)] == []
