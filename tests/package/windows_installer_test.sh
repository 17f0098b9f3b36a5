#!/usr/bin/env bash
# The Windows installer under wine, as a publisher's deployment runs it:
# installed silently into a given folder, its Start-menu shortcuts, its
# "Open with" registration and its entry under Apps and Features in place;
# the installed tidewell-cli.exe builds the example project; uninstalled
# silently, it leaves nothing of itself behind.
#   windows_installer_test.sh SOURCE_DIR SETUP.exe EXAMPLE_PRODUCT_DIR
# Uses $WINEPREFIX when set.
set -euo pipefail
source_dir="$1"
setup="$2"
product="$3"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
work="$(mktemp -d "${TMPDIR:-/tmp}/tidewell-installer-test.XXXXXX")"
own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix="$work/prefix"
  export WINEPREFIX="$own_prefix"
fi
folder='C:\TidewellInstallerTest\Tidewell'
unix_folder="$WINEPREFIX/drive_c/TidewellInstallerTest"
cleanup() {
  rm -rf "$unix_folder"
  if [ -n "$own_prefix" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
w() { timeout 300 wine "$@" 2>/dev/null | tr -d '\r'; }
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell'
application_key='HKCU\Software\Classes\Applications\tidewell.exe'
open_with_key='HKCU\Software\Classes\.xml\OpenWithList\tidewell.exe'
start_menu="$(w cmd /c echo %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs\\Tidewell"
unix_start_menu="$(w winepath -u "$start_menu")"
version="$(sed -n 's/^#define TIDEWELL_VERSION_TEXT "\(.*\)"$/\1/p' \
  "$(dirname "$product")/generated/TidewellVersion.h")"

w "$(w winepath -w "$setup")" /S "/D=$folder" >/dev/null || true
for name in tidewell.exe tidewell-cli.exe Tidewatch.exe uninstall.exe Qt6Widgets.dll \
  platforms/qwindows.dll "Graphics/Top Picture/Tide.bmp"; do
  [ -f "$unix_folder/Tidewell/$name" ] || fail "the installer put no $name into $folder"
done
for name in Tidewell.lnk "Uninstall Tidewell.lnk"; do
  [ -f "$unix_start_menu/$name" ] || fail "no Start-menu shortcut $name"
done
entry="$(w reg query "$uninstall_key")"
echo "$entry"
grep -q "DisplayVersion *REG_SZ *$version\$" <<<"$entry" || fail "Apps and Features shows no version $version"
grep -qF "QuietUninstallString    REG_SZ    \"$folder\\uninstall.exe\" /CurrentUser /S" <<<"$entry" ||
  fail "no quiet uninstall command for $folder"
w reg query "$application_key\\shell\\open\\command" | grep -qF "\"$folder\\tidewell.exe\" \"%1\"" ||
  fail "no \"Open with\" command"
w reg query "$application_key\\SupportedTypes" | grep -q '\.xml' || fail "no .xml among the supported types"
w reg query "$open_with_key" >/dev/null || fail "tidewell.exe is not in the Open with list of .xml"

# Both programs carry the build's version in their version resources.
for program in tidewell.exe tidewell-cli.exe; do
  stamped="$(/usr/bin/python3 - "$unix_folder/Tidewell/$program" <<'PY'
import sys, pefile
pe = pefile.PE(sys.argv[1])
info = pe.VS_FIXEDFILEINFO[0]
print("%d.%d.%d" % (info.FileVersionMS >> 16, info.FileVersionMS & 0xFFFF, info.FileVersionLS >> 16))
PY
)"
  [ "$stamped" = "$version" ] || fail "$program carries version $stamped, not $version"
done

# The installed command-line tool builds the example.
cli="$folder\\tidewell-cli.exe"
[ "$(w "$cli" --version)" = "tidewell-cli $version" ] || fail "--version of the installed tool"
p() { printf 'Z:%s' "${1//\//\\}"; }
project='C:\TidewellInstallerTest\Projects\Logbook'
settings="$project\\Settings.xml"
export TIDEWELL_SIGNING_KEY="$(p "$source_dir/tests/fixtures/signing/Test.key")"
step() { timeout 300 wine "$cli" "$@" >"$work/step.log" 2>&1 || { cat "$work/step.log"; fail "tidewell-cli $*"; }; }
mkdir -p "$unix_folder/Projects"
step new "$project" --name Logbook
step set "$settings" CompanyName="Harbour Soft" AppTitle=Logbook Executable=App.exe \
  HTTPLocationFiles=http://updates.example.com/logbook \
  "HTTPLocationXML=http://updates.example.com/logbook/UpdateConfig.xml" \
  AppVersion=1.1 UpdateVersion=1.2 ClientExe=LogbookUpdate
step add-files "$settings" --dest '<ApplicationDir>' --yes \
  "$(p "$product/App.exe")" "$(p "$product/Helper.dll")" "$(p "$product/readme.txt")"
step set-file "$settings" '<ApplicationDir>\App.exe' --condition ver
step set-picture "$settings" --top "$folder\\Graphics\\Top Picture\\Tide.bmp"
step build "$settings" --xml
step build "$settings" --client
[ -s "$unix_folder/Projects/Logbook/UpdateConfig.xml" ] || fail "no server update file"
dump="$(cd "$unix_folder/Projects/Logbook" && w LogbookUpdate.exe --dump)"
grep -qF 'string 4: "Logbook"' <<<"$dump" || { echo "$dump"; fail "the client does not carry its settings"; }
echo "the installed tidewell-cli.exe built the example: $(stat -c %s "$unix_folder/Projects/Logbook/LogbookUpdate.exe") bytes"

# The uninstaller runs from a copy of itself and returns at once: wait for
# the folder to go.
w "$folder\\uninstall.exe" /S >/dev/null || true
for _ in $(seq 1 60); do
  [ -e "$unix_folder/Tidewell" ] || break
  sleep 1
done
left="$(find "$unix_folder/Tidewell" "$unix_start_menu" 2>/dev/null || true)"
[ -z "$left" ] || fail "uninstalling left: $left"
for key in "$uninstall_key" "$application_key" "$open_with_key"; do
  if w reg query "$key" >/dev/null 2>&1; then fail "uninstalling left $key"; fi
done
echo "installed silently, built the example, uninstalled silently leaving nothing: PASS"
