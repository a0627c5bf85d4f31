#!/bin/sh
# Builds the Debian package of Tallivo (installs what is missing, builds the release
# program, packs it with CPack) and checks it with lintian. The package is left in
# build/, named tallivo_<version>-1_<arch>.deb.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh dpkg-dev file lintian
# File dates (in the package and the man pages) from the changelog's last entry, so
# that two builds of one commit give the same package byte for byte.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog.Debian -S Timestamp)
export SOURCE_DATE_EPOCH
cmake --preset release
cmake --build --preset release -j"$(nproc)"
(cd build && cpack -G DEB)
deb=$(ls -t build/tallivo_*.deb | head -n 1)
echo "== lintian $deb"
lintian --fail-on error "$deb"
echo "Package: $deb"
