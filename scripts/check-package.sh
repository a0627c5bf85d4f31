#!/bin/sh
# Builds the Debian package (scripts/package.sh: lintian with no errors) and tries it on
# this machine as an administrator would, as root: installed without recommended
# packages; a root run leaves the installed files as installed; a new user starts with
# empty report tables (no payee of root's run) and gets Thai payee names in the report PDF; a changed
# /etc/tallivo/Config.ini survives a reinstall; remove, then purge, leave nothing.
# Changes the machine (installs and purges the package, adds and deletes a user).
set -eu
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "run as root" >&2; exit 2; }
./scripts/install-deps.sh poppler-utils sqlite3
./scripts/package.sh
deb=$(ls -t build/tallivo_*.deb | head -n 1)
user=tallivo-check-$$
work=$(mktemp -d)
trap 'userdel -r "$user" 2>/dev/null || true; rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

echo "== install without recommends"
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "./$deb" >/dev/null
build/bench/gen_payment_file "$work/thai.txt" --size-mb 0.05 --seed 3 >/dev/null 2>&1 ||
    cp examples/sample-payment.txt "$work/thai.txt"

echo "== a root run writes nothing of the package's"
cp examples/sample-payment.txt "$work/root.txt"
tallivo-cli seal "$work/root.txt" --zip "$work/root.zip" >/dev/null
dpkg --verify tallivo || fail "the root run changed the installed files"

echo "== a new user: empty tables, Thai in the PDF"
useradd -m "$user"
home=$(getent passwd "$user" | cut -d: -f6)
cp "$work/thai.txt" "$home/p.txt"
chown "$user" "$home/p.txt"
rows=$(su "$user" -c 'tallivo-cli check ~/p.txt >/dev/null 2>&1 || true
    for f in ~/.local/share/tallivo/Data/ReportTable*.DAT; do
        for t in $(sqlite3 "$f" "select name from sqlite_master where type = '"'table'"'"); do
            sqlite3 "$f" "select count(*) from $t"
        done
    done' | sort -u)
[ "$rows" = 0 ] || fail "the new user's report tables hold rows"
su "$user" -c 'cd && tallivo-cli seal p.txt --new-file s.txt --zip s.zip --report-pdf r.pdf >/dev/null' ||
    fail "the user's seal"
pdffonts "$home/r.pdf" | grep -Eqi 'garuda|loma|kinnari|norasi|sawasdee|tlwg' || fail "no Thai font in the PDF"

echo "== the machine's settings survive a reinstall"
sed -i 's/^RangeFee1=.*/RangeFee1=12.50/' /etc/tallivo/Config.ini
DEBIAN_FRONTEND=noninteractive apt-get install -y --reinstall --no-install-recommends \
    -o Dpkg::Options::=--force-confold "./$deb" >/dev/null
grep -q '^RangeFee1=12.50$' /etc/tallivo/Config.ini || fail "the changed settings were overwritten"

echo "== remove, then purge"
apt-get remove -y tallivo >/dev/null
[ ! -e /usr/lib/tallivo ] || fail "program files left after remove"
dpkg --purge tallivo >/dev/null
[ ! -e /etc/tallivo ] || fail "/etc/tallivo left after purge"
echo "Package checked: $deb"
