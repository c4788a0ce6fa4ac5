#!/usr/bin/env bash
# Builds the tool and runs its main job. Until the simulated board exists this is the
# driver-download scenario of the protocol tests: a driver image is framed, sent to a
# scripted chip in 117-byte chunks and acknowledged, in virtual time.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/setup.sh" "$root/build"
"$root/build/tests/vexa_tests" --gtest_filter='DriverDownloadTest.*:CommandChannelTest.Open*'
