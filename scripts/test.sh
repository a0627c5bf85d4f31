#!/bin/sh
# Installs what is missing, builds Tallivo with AddressSanitizer and
# UndefinedBehaviorSanitizer and warnings as errors, and runs the whole test suite.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DTALLIVO_SANITIZE=ON -DTALLIVO_WERROR=ON
cmake --build build-test -j"$(nproc)"
cd build-test
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
