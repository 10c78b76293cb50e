#!/usr/bin/env bash
# Builds the Debian package from a finished build folder (cpack only),
# unpacks it into a temporary root with dpkg -x and checks what a
# technician's machine would get: every program answers --version and
# --help and has a man page that lists its options, the desktop entry and
# the AppStream metainfo pass their validators, the icon the entry names is
# installed, the licence is stated, and plenx-logger reads its INI file from
# the XDG folders. Exits 77 (skipped) with a line naming what is missing
# when the machine lacks the Debian tools.
#
# usage: installed_package_test.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)

missing=()
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli groff; do
  command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "SKIPPED: the package test needs ${missing[*]} (Debian: dpkg-dev, desktop-file-utils," \
    "appstream, groff-base; scripts/install-deps.sh installs them)"
  exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/plenx-package-test-XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not build the package"
  exit 1
fi
debs=("$work"/cpack/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made no single .deb: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

# The dependencies come from the libraries the programs link.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libc6 libstdc++6 libqt6widgets6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

root=$work/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
share=$root/usr/share

programs=(plenx-logger plenx-board-sim plenx-decode plenx-zip)
[ -e "$build/bin/plenx-export" ] && programs+=(plenx-export)
[ -e "$build/bin/plenx-collect" ] && programs+=(plenx-collect)
installed=$(cd "$bin" && ls)
[ "$installed" = "$(printf '%s\n' "${programs[@]}" | sort)" ] ||
  fail "usr/bin holds $(echo $installed), not ${programs[*]}"

version=$("$build/bin/plenx-zip" --version | cut -d' ' -f2)
export QT_QPA_PLATFORM=offscreen
for program in "${programs[@]}"; do
  out=$("$bin/$program" --version 2>&1) || fail "$program --version failed: $out"
  [ "$out" = "$program $version" ] || fail "$program --version printed '$out'"
  help=$("$bin/$program" --help 2>&1) || fail "$program --help failed: $help"

  page=$share/man/man1/$program.1.gz
  if [ ! -f "$page" ]; then
    fail "no man page $page"
    continue
  fi
  warnings=$(gzip -dc "$page" | groff -man -ww -z 2>&1) || true
  [ -z "$warnings" ] || fail "man page of $program: $warnings"
  # Every option --help lists has a paragraph of its own under OPTIONS: as
  # formatted, a line that starts with it at the tag's indent (a missing
  # .TP runs an option into the paragraph before it).
  options=$(gzip -dc "$page" | groff -man -Tascii -P-cbu 2>/dev/null | sed -n '/^OPTIONS/,/^[A-Z]/p')
  for option in $(grep -oE -- '--[a-z][a-z-]*' <<<"$help" | sort -u); do
    grep -qE -- "^ {7}(-[a-zA-Z], )?$option( |,|\$)" <<<"$options" ||
      fail "man page of $program has no paragraph of its own for $option under OPTIONS"
  done
done

desktop=("$share"/applications/*.desktop)
metainfo=("$share"/metainfo/*.metainfo.xml)
if [ ${#desktop[@]} -ne 1 ] || [ ! -f "${desktop[0]}" ]; then
  fail "not one desktop entry: ${desktop[*]}"
else
  desktop-file-validate "${desktop[0]}" || fail "desktop-file-validate: ${desktop[0]}"
  id=$(basename "${desktop[0]}" .desktop)
  grep -qx "Exec=plenx-logger" "${desktop[0]}" || fail "the desktop entry does not start plenx-logger"
  grep -qx "Terminal=false" "${desktop[0]}" || fail "the desktop entry opens a terminal"
  grep -qx "Icon=$id" "${desktop[0]}" || fail "the desktop entry's icon is not $id"
  for size in 16 24 32 48 64 96 128 256 512; do
    [ -f "$share/icons/hicolor/${size}x${size}/apps/$id.png" ] || fail "no ${size}x${size} icon $id.png"
  done
  [ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon $id.svg"
  if [ ${#metainfo[@]} -ne 1 ] || [ "${metainfo[0]}" != "$share/metainfo/$id.metainfo.xml" ]; then
    fail "the metainfo is not $id.metainfo.xml: ${metainfo[*]}"
  else
    appstreamcli validate --no-net "${metainfo[0]}" || fail "appstreamcli validate: ${metainfo[0]}"
    grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "${metainfo[0]}" ||
      fail "the metainfo does not launch $id.desktop"
  fi
fi

for unit in plenx-logger@.service plenx-collect@.service; do
  [ "$unit" = plenx-collect@.service ] && [ ! -e "$build/bin/plenx-collect" ] && continue
  [ -f "$root/usr/lib/systemd/user/$unit" ] || fail "the systemd user unit $unit is not installed"
done

copyright=$share/doc/plenx-logger/copyright
grep -q "^License: GPL-3+$" "$copyright" && grep -qF "/usr/share/common-licenses/GPL-3" "$copyright" ||
  fail "$copyright does not state GPL-3.0-or-later"

# plenx-logger reads the first configuration file found: the per-user one
# before the system folders. A value it cannot use makes its start-up
# warning, which names the file read; headless, the warning goes to stderr.
home=$work/home
mkdir -p "$home/config/plenx-logger" "$work/site/plenx-logger" "$work/etc/plenx-logger"
for ini in "$home/config/plenx-logger/plenx-logger.ini" "$work/site/plenx-logger/plenx-logger.ini" \
  "$work/etc/plenx-logger/plenx-logger.ini"; do
  printf '[CONFIG]\nNUMDEVICES=%s\n' "$(basename "$(dirname "$(dirname "$ini")")")" >"$ini"
done
logger_warning() {
  HOME=$home XDG_CONFIG_HOME=$home/config XDG_CONFIG_DIRS=$work/site:$work/etc \
    timeout 60 "$bin/plenx-logger" --headless --screenshot "$work/window.png" 2>&1 | grep NUMDEVICES || true
}
expect_read() {
  local ini=$1 seen
  seen=$(logger_warning)
  [[ $seen == *"$ini: [CONFIG] NUMDEVICES="* ]] || fail "plenx-logger did not read $ini; it said: '$seen'"
}
expect_read "$home/config/plenx-logger/plenx-logger.ini"
rm "$home/config/plenx-logger/plenx-logger.ini"
expect_read "$work/site/plenx-logger/plenx-logger.ini"

[ "$failures" -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "the installed package passed every check"
