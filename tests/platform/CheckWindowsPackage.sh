#!/usr/bin/env bash
# The Windows package holds the tool, the stub, the Graphics folders and the
# README, and the import check refuses a program that needs MinGW's DLLs.
#   CheckWindowsPackage.sh SOURCE_DIR WINDOWS_BUILD_DIR
set -euo pipefail
source_dir="$1"
build="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/tidewell-package-test.XXXXXX")"
trap 'rm -rf "$work"' EXIT

"$source_dir/scripts/package-windows" "$build" "$work" >"$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
listing="$(unzip -Z1 "$work/tidewell-windows-x64.zip")"
for entry in tidewell-cli.exe Tidewatch.exe README.txt "Graphics/Main Picture/Tide.bmp" \
             "Graphics/Top Picture/Tide.bmp"; do
  grep -qxF "tidewell-windows-x64/$entry" <<<"$listing" || { echo "missing from the package: $entry"; exit 1; }
done
unzip -q "$work/tidewell-windows-x64.zip" -d "$work/unpacked"
"$source_dir/scripts/check-system-imports" "$work/unpacked/tidewell-windows-x64/tidewell-cli.exe" \
  "$work/unpacked/tidewell-windows-x64/Tidewatch.exe"

# A program linked against MinGW's shared runtime must be refused.
printf '#include <string>\nint main(){ return static_cast<int>(std::string("x").size()); }\n' >"$work/Dynamic.cpp"
x86_64-w64-mingw32-g++-posix -shared-libgcc "$work/Dynamic.cpp" -o "$work/Dynamic.exe"
if "$source_dir/scripts/check-system-imports" "$work/Dynamic.exe" >"$work/refused.log" 2>&1; then
  echo "a program importing MinGW's runtime DLLs was accepted"; cat "$work/refused.log"; exit 1
fi
grep -q "libstdc++-6.dll, which is not a system DLL" "$work/refused.log" || { cat "$work/refused.log"; exit 1; }
echo "package checked: $(wc -l <<<"$listing") entries"
