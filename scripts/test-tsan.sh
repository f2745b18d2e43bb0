#!/usr/bin/env bash
# The integration and end-to-end tests on a ThreadSanitizer build: orvane, orvane-phone
# and test_integration built with -fsanitize=thread in build-tsan/, run by CTest with the
# tsan test preset (halts at the first report; suppressions in tests/tsan.supp).
#
# The preset builds with -Wno-tsan: g++ warns that the detector does not model Asio's
# std::atomic_thread_fence calls around handlers, but the handler queues themselves are
# guarded by mutexes that it does see.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan
