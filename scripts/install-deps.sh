#!/bin/sh
# Installs what Tallivo needs to build and test on Debian 12 (only what is missing),
# and the further packages named as arguments.
set -eu
PACKAGES="build-essential cmake pkg-config qt6-base-dev libgl-dev libsqlite3-dev zlib1g-dev libzip-dev libisal-dev \
libgtest-dev libgmock-dev libkainjow-mustache-dev libssl-dev nlohmann-json3-dev libcli11-dev help2man \
fonts-dejavu-core fonts-tlwg-garuda zip unzip python3 $*"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
