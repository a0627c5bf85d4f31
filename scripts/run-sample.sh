#!/bin/sh
# Installs what is missing, builds Tallivo, then runs the main job on the bundled
# sample payment file: checks it, seals a copy of it into a zip archive and verifies
# the sealed output.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release
cmake --build --preset release -j"$(nproc)"
work=$(mktemp -d)
cp examples/sample-payment.txt "$work/payment.txt"
echo "== check"
build/tallivo-cli check "$work/payment.txt"
echo "== seal"
build/tallivo-cli seal "$work/payment.txt" --zip "$work/payment" --new-file "$work/payment-sealed.txt"
echo "== verify"
build/tallivo-cli verify "$work/payment-sealed.txt"
echo "Sealed output: $work/payment-sealed.txt, archive: $work/payment.zip"
