#!/usr/bin/env bash
# The whole suite: unit, integration and end-to-end tests, then a short bounded
# fuzzing run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
ctest --preset default
scripts/fuzz.sh "${FUZZ_SECONDS:-20}"
