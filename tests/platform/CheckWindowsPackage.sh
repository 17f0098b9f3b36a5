#!/usr/bin/env bash
# The Windows package holds the desktop tool with every DLL and plug-in it
# loads, the command-line tool, the stub, the Graphics folders and a README
# with CR LF line endings; the import check refuses a stand-alone program
# that needs MinGW's DLLs. The README's first steps, run as typed by cmd
# under wine, make a project and a client, and the packaged desktop tool
# (Qt's Windows platform plug-in, on a virtual X display) opens that project.
# The installer is then installed, used and uninstalled
# (tests/package/windows_installer_test.sh).
#   CheckWindowsPackage.sh SOURCE_DIR WINDOWS_BUILD_DIR
set -euo pipefail
source_dir="$1"
build="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/tidewell-package-test.XXXXXX")"
own_prefix=""
if [ -z "${WINEPREFIX:-}" ]; then
  own_prefix="$work/prefix"
  export WINEPREFIX="$own_prefix"
fi
cleanup() {
  if [ -n "$own_prefix" ]; then wineserver -k >/dev/null 2>&1 || true; fi
  rm -rf "$work" "$WINEPREFIX/drive_c/Projects"
}
trap cleanup EXIT
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

"$source_dir/scripts/package-windows" "$build" "$work" >"$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
listing="$(unzip -Z1 "$work/tidewell-windows-x64.zip")"
for entry in tidewell.exe tidewell-cli.exe Tidewatch.exe README.txt Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
             platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll libstdc++-6.dll \
             "Graphics/Main Picture/Tide.bmp" "Graphics/Top Picture/Tide.bmp"; do
  grep -qxF "tidewell-windows-x64/$entry" <<<"$listing" || { echo "missing from the package: $entry"; exit 1; }
done
unzip -q "$work/tidewell-windows-x64.zip" -d "$work/unpacked"
package="$work/unpacked/tidewell-windows-x64"
"$source_dir/scripts/check-system-imports" "$package/tidewell-cli.exe" "$package/Tidewatch.exe"
"$source_dir/scripts/check-system-imports" --package "$package" >/dev/null
if grep -qv $'\r$' "$package/README.txt"; then echo "README.txt has a line without CR LF"; exit 1; fi

# A program linked against MinGW's shared runtime must be refused alone, and
# in a package without the runtime's DLLs.
printf '#include <string>\nint main(){ return static_cast<int>(std::string("x").size()); }\n' >"$work/Dynamic.cpp"
x86_64-w64-mingw32-g++-posix -shared-libgcc "$work/Dynamic.cpp" -o "$work/Dynamic.exe"
if "$source_dir/scripts/check-system-imports" "$work/Dynamic.exe" >"$work/refused.log" 2>&1; then
  echo "a program importing MinGW's runtime DLLs was accepted"; cat "$work/refused.log"; exit 1
fi
grep -q "libstdc++-6.dll, which is not a system DLL" "$work/refused.log" || { cat "$work/refused.log"; exit 1; }
mkdir "$work/incomplete"
cp "$work/Dynamic.exe" "$work/incomplete/"
if "$source_dir/scripts/check-system-imports" --package "$work/incomplete" >"$work/refused.log" 2>&1; then
  echo "a package without the DLLs its program imports was accepted"; cat "$work/refused.log"; exit 1
fi

# The README's first steps as a batch file, each line stopping it on failure.
rm -rf "$WINEPREFIX/drive_c/Projects"
sed -n '/^First steps/,/^Then open/p' "$package/README.txt" | tr -d '\r' | sed -n 's/^  \(.*\)$/\1/p' |
  while IFS= read -r line; do printf '%s\r\nif errorlevel 1 exit /b 1\r\n' "$line"; done >"$package/first-steps.cmd"
grep -q "tidewell-cli.exe new" "$package/first-steps.cmd" || { echo "the README shows no first steps"; exit 1; }
(cd "$package" && timeout 300 wine cmd /c first-steps.cmd >"$work/steps.out" 2>"$work/steps.err") ||
  { echo "the README's first steps failed:"; cat "$work/steps.out" "$work/steps.err"; exit 1; }
for expected in 'string 4: "Logbook"' 'string 5: "Harbour Soft"' "icon 1: 32 x 32"; do
  grep -qF "$expected" "$work/steps.out" || { echo "no '$expected' in the client's report:"; cat "$work/steps.out"; exit 1; }
done

# The packaged desktop tool opens that project: it enters it in the recent
# list in the registry.
(cd "$package" && exec setsid timeout 60 xvfb-run -a wine tidewell.exe 'C:\Projects\Logbook\Settings.xml') \
  >"$work/tool.out" 2>&1 &
tool=$!
opened=""
for _ in $(seq 1 50); do
  if wine reg query 'HKCU\SoftWare\Tidewell\Recent Document List' 2>/dev/null | tr -d '\r' |
      grep -qF 'Logbook|C:\Projects\Logbook\Settings.xml'; then
    opened=yes
    break
  fi
  sleep 1
done
kill -- "-$tool" 2>/dev/null || true
wait "$tool" 2>/dev/null || true
[ -n "$opened" ] || { echo "the packaged desktop tool did not open the project:"; cat "$work/tool.out"; exit 1; }
wine reg delete 'HKCU\SoftWare\Tidewell' /f >/dev/null 2>&1 || true

# The installer made beside the zip, with the same files.
"$source_dir/tests/package/windows_installer_test.sh" "$source_dir" "$work/tidewell-setup-x64.exe" \
  "$build/example-product"
echo "package checked: $(wc -l <<<"$listing") entries; first steps and the desktop tool ran"
