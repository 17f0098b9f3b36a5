#!/usr/bin/env bash
# tidewell-cli.exe under wine as a Windows user types it: text in the ANSI
# code pages that used to corrupt it (Western 1252, Greek 1253, Japanese
# 932, each from a locale made with localedef), a console that shows it,
# network (\\server\share), device (\\?\) and forward-slash drive paths,
# paths beyond 260 characters, a positional path starting with a slash and
# a client name Windows forbids.
#   CommandLineCases.sh WINDOWS_BUILD_DIR
set -uo pipefail
cli="$(cd "$1" && pwd)/bin/tidewell-cli.exe"
work="$(mktemp -d "${TMPDIR:-/tmp}/tidewell-cli-cases.XXXXXX")"
own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix="$work/prefix"
  export WINEPREFIX="$own_prefix"
fi
network() { rm -rf "$WINEPREFIX/dosdevices/unc/fileserver" "$WINEPREFIX/drive_c/fileserver"; }
cleanup() {
  network
  if [ -n "$own_prefix" ]; then wineserver -k >/dev/null 2>&1; fi
  rm -rf "$work"
}
trap cleanup EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

export LOCPATH="$work/locales"
mkdir -p "$LOCPATH"
for locale in en_US el_GR ja_JP; do
  localedef -i "$locale" -f UTF-8 "$LOCPATH/$locale.UTF-8" >/dev/null 2>&1 ||
    { echo "localedef could not make $locale.UTF-8 (is the locales package installed?)"; exit 1; }
done

failures=0
fail() {
  echo "FAILED: $*"
  echo "  stdout: $(head -c 600 "$work/out")"
  echo "  stderr: $(head -c 600 "$work/err")"
  failures=$((failures + 1))
}
# cli LOCALE ARGUMENTS...: runs the tool in the current folder; $status,
# $work/out and $work/err hold what it did.
cli() {
  local locale="$1"
  shift
  LC_ALL="$locale" LANG="$locale" timeout --kill-after=10 120 wine "$cli" "$@" >"$work/out" 2>"$work/err"
  status=$?
}
# The Windows form of a host path (wine's drive Z: is the root folder).
win() { printf 'Z:%s' "${1//\//\\}"; }
expect_status() { [ "$status" -eq "$1" ] || fail "$2: exit $status, expected $1"; }
expect_in() { grep -qF -- "$2" "$1" || fail "$3: \"$2\" is not in $(basename "$1")"; }
expect_not_in() { ! grep -qF -- "$2" "$1" || fail "$3: \"$2\" is in $(basename "$1")"; }

cd "$work"
western=en_US.UTF-8 greek=el_GR.UTF-8 japanese=ja_JP.UTF-8

# Typed text reaches the project, the output and the errors unchanged.
cli "$western" new "$(win "$work/Logbook")" --name "Logbook – Pro"
expect_status 0 "new, Western code page"
project="$work/Logbook/Settings.xml"
cli "$western" set "$(win "$project")" "CompanyName=Harbour Soft™" "AppTitle=Logbook – Pro"
expect_status 0 "set, Western code page"
expect_in "$project" "Harbour Soft™" "set, Western code page"
expect_in "$project" "Logbook – Pro" "set, Western code page"
cli "$western" show "$(win "$project")"
expect_in "$work/out" "CompanyName: Harbour Soft™" "show into a pipe, Western code page"
cli "$greek" set "$(win "$project")" "AppTitle=Ημερολόγιο"
expect_status 0 "set, Greek code page"
expect_in "$project" "Ημερολόγιο" "set, Greek code page"
cli "$japanese" set "$(win "$project")" "AppTitle=航海日誌"
expect_status 0 "set, Japanese code page"
expect_in "$project" "航海日誌" "set, Japanese code page"
cli "$japanese" show "$(win "$work/不在/Settings.xml")"
expect_status 1 "show of a missing project, Japanese code page"
expect_in "$work/err" "不在" "the error names the file, Japanese code page"

# A name outside the code page is never swapped for a "best fit" one.
mkdir -p "$work/libs"
printf 'omega' >"$work/libs/Omega.dll"
printf 'Ωmega' >"$work/libs/Ωmega.dll"
cli "$greek" add-files "$(win "$project")" --dest "<ApplicationDir>" --yes "$(win "$work/libs/Ωmega.dll")"
expect_status 0 "add-files, Greek code page"
expect_in "$project" 'Name="Ωmega.dll"' "add-files, Greek code page"
expect_not_in "$project" 'Name="Omega.dll"' "add-files, Greek code page"
cli "$western" new "$(win "$work/Ωmega")" --name Omega
expect_status 0 "new, a folder outside the Western code page"
[ -f "$work/Ωmega/Settings.xml" ] && [ ! -e "$work/Omega" ] || fail "new made Omega instead of Ωmega"

# A console shows the text itself, whatever its code page.
LC_ALL="$greek" LANG="$greek" script -qec "timeout 120 wine '$cli' show '$(win "$project")'" /dev/null \
  </dev/null >"$work/out" 2>"$work/err"
expect_in "$work/out" "AppTitle: 航海日誌" "show on a console, Greek code page"

# Network paths stay network paths, even when the same folders exist on the
# current drive.
network
unc="$WINEPREFIX/dosdevices/unc/fileserver/share"
decoy="$WINEPREFIX/drive_c/fileserver/share"
mkdir -p "$unc/Proj" "$decoy/Proj"
cp "$project" "$unc/Proj/Settings.xml"
cp "$project" "$decoy/Proj/Settings.xml"
cd "$WINEPREFIX/drive_c"
cli "$western" set '\\fileserver\share\Proj\Settings.xml' "AppTitle=On the server"
expect_status 0 "set on a network path"
expect_in "$unc/Proj/Settings.xml" "On the server" "set on a network path"
expect_not_in "$decoy/Proj/Settings.xml" "On the server" "set on a network path left the local copy"
cli "$western" new '\\fileserver\share\Second' --name Second
expect_status 0 "new on a network path"
[ -f "$unc/Second/Settings.xml" ] && [ ! -e "$decoy/Second" ] || fail "new on a network path"
cli "$western" show '\\fileserver\share\Proj\Settings.xml'
expect_in "$work/out" 'Project file: \\fileserver\share\Proj\Settings.xml' "show on a network path"
cli "$western" show '\\nowhere\share\Settings.xml'
expect_status 1 "show on a missing server"
cd "$work"

# Device paths, and drive paths written with forward slashes.
cli "$western" set "\\\\?\\$(win "$project")" "AppTitle=Device path"
expect_status 0 "set on a \\\\?\\ path"
expect_in "$project" "Device path" "set on a \\\\?\\ path"
cli "$western" set "Z:$work/Logbook/Settings.xml" "AppTitle=Forward slashes"
expect_status 0 "set on Z:/..."
expect_in "$project" "Forward slashes" "set on Z:/..."

# A path starting with a slash is a path, not an option.
cli "$western" show "$work/Logbook/Settings.xml"
expect_status 0 "show /path"
expect_in "$work/out" "AppTitle: Forward slashes" "show /path"

# Paths beyond 260 characters: the project, its client and its server file.
deep="$work"
for part in 1 2 3 4; do deep="$deep/$(printf 'folder%02d-%060d' "$part" 0)"; done
mkdir -p "$deep"
cli "$western" new "$(win "$deep/Lang projekt")" --name Long
expect_status 0 "new beyond 260 characters"
long="$(win "$deep/Lang projekt/Settings.xml")"
[ "${#long}" -gt 300 ] || fail "the long path has only ${#long} characters"
cli "$western" set "$long" "AppTitle=Deep" "CompanyName=Harbour Soft" AppVersion=1.0 UpdateVersion=1.1
expect_status 0 "set beyond 260 characters"
cli "$western" build "$long" --client
expect_status 0 "build --client beyond 260 characters"
[ -s "$deep/Lang projekt/Tidewatcher.exe" ] || fail "no client beyond 260 characters"
cli "$western" build "$long" --xml
expect_status 0 "build --xml beyond 260 characters"
[ -s "$deep/Lang projekt/UpdateConfig.xml" ] || fail "no server file beyond 260 characters"

# A client name Windows forbids is refused and nothing is stored.
cp "$project" "$work/before.xml"
cli "$western" set "$(win "$project")" "ClientExe=bad:name"
expect_status 2 "ClientExe=bad:name"
expect_in "$work/err" "The client name must be a Windows file name" "ClientExe=bad:name"
cmp -s "$project" "$work/before.xml" || fail "ClientExe=bad:name changed the project"

if [ "$failures" -ne 0 ]; then
  echo "$failures case(s) failed"
  exit 1
fi
echo "all command-line cases passed"
