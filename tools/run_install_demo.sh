#!/usr/bin/env bash
# Runs an install with the real installer under Xvfb and saves a screenshot of each page.
# Usage: tools/run_install_demo.sh BUILD_DIR [OUTPUT_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exec python3 "$here/installer_demo/install_demo.py" "$@"
