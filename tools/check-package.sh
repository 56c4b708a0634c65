#!/usr/bin/env bash
# Checks the Debian package as a cooperative's PC meets it: makes it (Release,
# in its own build folder), installs it with apt, validates its menu entry and
# its AppStream metainfo, runs the book-moving tool for its usage, starts the installed program from the menu entry's
# Exec under Xvfb with a fresh home folder and waits for its main window. Then,
# whatever happened, it ends the program and removes the package with every
# package apt brought along, so the machine is left as it was found.
#
#   tools/check-package.sh [BUILD_DIR]      (default: build-package)
#
# Runs as root or through sudo. Needs what ./setup.sh installs: the build's
# packages, dpkg-dev, desktop-file-utils, appstream, xvfb and xdotool.
# Exits non-zero on any failure.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${1:-$root/build-package}"
package=simpanpinjam

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    env DEBIAN_FRONTEND=noninteractive "$@"
  else
    sudo env DEBIAN_FRONTEND=noninteractive "$@"
  fi
}

passed=0
failed=0
# Runs one check; the first that fails ends the script.
check() {
  local what="$1"
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "check-package: ok: $what"
  else
    failed=$((failed + 1))
    echo "check-package: FAILED: $what" >&2
    exit 1
  fi
}

for tool in cmake cpack dpkg-shlibdeps desktop-file-validate appstreamcli Xvfb xdotool apt; do
  command -v "$tool" >/dev/null || { echo "check-package: $tool is missing (./setup.sh installs it)" >&2; exit 1; }
done
if dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null | grep -q '^.[^n]'; then
  echo "check-package: $package is installed on this machine already; remove it first" >&2
  exit 1
fi

work="$(mktemp -d)"
program_pid=
xvfb_pid=
installing=

packages_in_state() {
  dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk -v state="$1" '$1 == state { print $2 }' | sort
}

# Purges ours and every package apt brought along; one that had only left its
# configuration behind is merely removed, back to that state.
remove_package() {
  local brought=() reinstalled=()
  packages_in_state ii | comm -13 "$work/before" - | grep -vx "$package" >"$work/new" || true
  mapfile -t reinstalled < <(comm -12 "$work/new" "$work/configs-before")
  mapfile -t brought < <(comm -23 "$work/new" "$work/configs-before")
  [ ! -s "$work/new" ] || echo "check-package: apt had also installed $(paste -sd ' ' "$work/new")"
  as_root apt-get purge -y -q "$package" "${brought[@]}" >"$work/remove.log" 2>&1 || return 1
  if [ "${#reinstalled[@]}" -gt 0 ]; then
    as_root apt-get remove -y -q "${reinstalled[@]}" >>"$work/remove.log" 2>&1 || return 1
  fi
  packages_in_state ii | cmp -s "$work/before" -
}

cleanup() {
  local status=$?
  if [ -n "$program_pid" ]; then
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  if [ -n "$installing" ]; then
    if remove_package; then
      passed=$((passed + 1))
      echo "check-package: ok: apt removed the package and what it brought along"
    else
      cat "$work/remove.log" >&2
      echo "check-package: FAILED: removing the package left the installed packages changed" >&2
      failed=$((failed + 1))
      status=1
    fi
  fi
  rm -rf "$work"
  echo "check-package: $passed passed, $failed failed"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

deb=
make_package() {
  deb="$("$root/tools/make-package.sh" "$build")"
}
check "cpack makes the Debian package" make_package
echo "check-package: made $deb"

packages_in_state ii >"$work/before"
packages_in_state rc >"$work/configs-before"
install() {
  as_root apt install -y -q "$deb" >"$work/install.log" 2>&1 && return 0
  # The package lists may be missing or old on a new machine.
  as_root apt-get update -q >>"$work/install.log" 2>&1 &&
    as_root apt install -y -q "$deb" >>"$work/install.log" 2>&1 && return 0
  cat "$work/install.log" >&2
  return 1
}
installing=yes
check "apt installs $(basename "$deb")" install

files="$(dpkg-query -L "$package")"
desktop="$(grep -m1 '^/usr/share/applications/.*\.desktop$' <<<"$files")" || true
metainfo="$(grep -m1 '^/usr/share/metainfo/.*\.metainfo\.xml$' <<<"$files")" || true
check "the package holds a menu entry" test -f "$desktop"
check "the package holds AppStream metainfo" test -f "$metainfo"
check "desktop-file-validate $desktop" desktop-file-validate "$desktop"
check "appstreamcli validate $metainfo" appstreamcli validate --no-net "$metainfo"

icon="$(sed -n 's/^Icon=//p' "$desktop")"
icons_installed() {
  local size
  for size in 16 22 24 32 48 64 128 256; do
    [ -f "/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] ||
      { echo "check-package: no ${size}x${size} icon $icon" >&2; return 1; }
  done
}
check "icon $icon in the hicolor theme at every size" icons_installed

# The tool that moves a book between a folder and a server comes along.
tool_usage() {
  grep -qx /usr/bin/simpanpinjam-pindah <<<"$files" || return 1
  env -i HOME="$work" PATH=/usr/bin:/bin LANG=C.UTF-8 /usr/bin/simpanpinjam-pindah --help >"$work/pindah.txt" 2>&1 ||
    { cat "$work/pindah.txt" >&2; return 1; }
  grep -q 'simpanpinjam-pindah ASAL TUJUAN' "$work/pindah.txt"
}
check "the package installs simpanpinjam-pindah, which prints its usage" tool_usage

# The first word of Exec, as a menu starts it (this entry has no field codes).
exec_path="$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")"
check "Exec $exec_path is the package's program" grep -qx "$exec_path" <<<"$files"

# A desktop session of its own: a new display, a new home folder (so a new,
# empty book), nothing of this shell's environment but the PATH.
home="$work/home"
runtime="$work/runtime"
mkdir -p "$home" "$runtime"
chmod 700 "$runtime"
display=
# Xvfb picks a free display number itself and tells it once it is ready.
start_xvfb() {
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$work/display" ] && { display=":$(cat "$work/display")"; return 0; }
    sleep 0.1
  done
  cat "$work/xvfb.log" >&2
  return 1
}
check "Xvfb starts" start_xvfb

env -i HOME="$home" XDG_RUNTIME_DIR="$runtime" DISPLAY="$display" PATH=/usr/bin:/bin LANG=C.UTF-8 \
  "$exec_path" >"$work/program.log" 2>&1 &
program_pid=$!

main_window() {
  local id
  id="$(DISPLAY="$display" timeout 30 xdotool search --sync --onlyvisible --name '^Menu Utama$' | head -n 1)"
  if [ -z "$id" ] || ! kill -0 "$program_pid" 2>/dev/null; then
    cat "$work/program.log" >&2
    return 1
  fi
}
check "the installed program shows its main window \"Menu Utama\" on $display" main_window
book="$home/.local/share/SimpanPinjam/simpanpinjam/DBsimpanpinjam"
new_book() {
  local file
  for file in Tanggota1.DB Torangtua.db Tsimpanan1.db Tpinjaman1.DB; do
    [ -s "$book/$file" ] || { echo "check-package: no $book/$file" >&2; return 1; }
  done
}
check "it made a new empty book in the fresh home folder" new_book
