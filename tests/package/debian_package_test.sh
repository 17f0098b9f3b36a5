#!/usr/bin/env bash
# The Debian package as a publisher installs it: made by scripts/package-debian
# from this build (lintian finds no error), its dependencies met by this
# machine, installed with dpkg into a scratch root, where its tidewell-cli
# builds the example project with the stub and pictures it brought; removed
# again, it leaves nothing.
#   debian_package_test.sh SOURCE_DIR BUILD_DIR
# Exits 77 (skipped) without dpkg-deb or dpkg-shlibdeps.
set -euo pipefail
source_dir="$1"
build="$2"
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done
scratch="$(mktemp -d "${TMPDIR:-/tmp}/tidewell-deb-test.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

package="$("$source_dir/scripts/package-debian" --no-build "$build" "$scratch/out")"
version="$("$build/bin/tidewell-cli" --version | awk '{print $2}')"
[ "$(basename "$package")" = "tidewell_${version}_$(dpkg --print-architecture).deb" ] ||
  fail "the package is named $(basename "$package")"
echo "== $(basename "$package")"
dpkg-deb --info "$package" | sed -n '/Package:/,/Description:/p'
listing="$(dpkg-deb --contents "$package" | awk '{print $6, $7, $8}')"
echo "$listing"
for path in ./usr/bin/tidewell ./usr/bin/tidewell-cli ./usr/lib/tidewell/tidewell \
  ./usr/lib/tidewell/tidewell-cli ./usr/lib/tidewell/Tidewatch.exe \
  "./usr/lib/tidewell/Graphics/Top Picture/" "./usr/lib/tidewell/Graphics/Main Picture/" \
  ./usr/share/applications/tidewell.desktop ./usr/share/icons/hicolor/scalable/apps/tidewell.svg \
  ./usr/share/man/man1/tidewell-cli.1.gz ./usr/share/doc/tidewell/copyright; do
  grep -qF -- "$path" <<<"$listing" || fail "the package holds no $path"
done
grep -qF -- "./usr/bin/tidewell-cli -> ../lib/tidewell/tidewell-cli" <<<"$listing" ||
  fail "/usr/bin/tidewell-cli is not a relative link to the tool folder"
depends="$(dpkg-deb --field "$package" Depends)"
for library in libc6 libstdc++6 libqt6widgets6 libsodium23 libcurl4; do
  grep -q "$library" <<<"$depends" || fail "Depends names no $library: $depends"
done
# The manual page is the CLI's help, its subcommands among it.
man_page="$(dpkg-deb --fsys-tarfile "$package" | tar -xOf - ./usr/share/man/man1/tidewell-cli.1.gz | gzip -dc)"
for text in '.SH COMMANDS' '.SS build' 'sign\-command' 'TIDEWELL_SIGN_COMMAND' "$version"; do
  grep -qF -- "$text" <<<"$man_page" || fail "the manual page does not hold $text"
done

# This machine, where the programs were built and run, has every package
# named as a dependency.
for name in $(tr ',' '\n' <<<"$depends" | awk '{print $1}'); do
  dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed' ||
    fail "the package depends on $name, which is not installed here"
done

# Installed into a scratch root with its own (empty) package database.
root="$scratch/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg_root=(dpkg --root="$root" --log=/dev/null --force-not-root --force-depends --force-script-chrootless)
# The scratch root's database knows no other package: dpkg's complaints about
# the dependencies (met by this machine, checked above) are kept out of sight.
"${dpkg_root[@]}" --install "$package" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log"; fail "dpkg --install"; }
[ "$("$root/usr/bin/tidewell-cli" --version)" = "tidewell-cli $version" ] || fail "--version"

# The installed CLI builds the example: the client from the stub beside it.
XDG_CONFIG_HOME="$scratch/config" TIDEWELL_CLI="$root/usr/bin/tidewell-cli" TIDEWELL_EXAMPLE_NO_WINE=1 \
  "$source_dir/example/run-example" "$build" "$scratch/example" >"$scratch/example.log" 2>&1 ||
  { cat "$scratch/example.log"; fail "the example did not build with the installed tidewell-cli"; }
client="$scratch/example/Logbook/LogbookUpdate.exe"
[ -s "$client" ] && [ -s "$scratch/example/Logbook/UpdateConfig.xml" ] ||
  fail "the example's client or server update file is missing"
tail -n 3 "$scratch/example.log"

"${dpkg_root[@]}" --remove tidewell >/dev/null
left="$(find "$root/usr" -mindepth 1 ! -type d 2>/dev/null || true)"
[ -z "$left" ] || fail "removing the package left: $left"
echo "installed, built the example and removed: PASS"
