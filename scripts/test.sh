#!/usr/bin/env bash
# The whole suite: unit, integration and end-to-end tests, then the integration and
# end-to-end tests again on a ThreadSanitizer build (only the programs and the test
# executable they need), then a short bounded fuzzing run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
ctest --preset default
scripts/test-tsan.sh
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
