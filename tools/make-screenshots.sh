#!/usr/bin/env bash
# Makes the README's screenshots from the built program, as a clerk sees it:
# under Xvfb with the openbox window manager, at 1024x768, on a small sample
# book in a temporary alias folder. Builds nothing; run it after a build
# whenever the windows change.
#
#   tools/make-screenshots.sh [BUILD_DIR] [OUT_DIR]      (defaults: build, docs)
#
# Needs the Debian packages xvfb, openbox, xdotool, imagemagick, x11-utils and
# sqlite3. SCREENSHOT_DISPLAY picks the X display (default :91).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
mkdir -p "${2:-$root/docs}"
out="$(cd "${2:-$root/docs}" && pwd)"
program="$build/simpanpinjam"
display="${SCREENSHOT_DISPLAY:-:91}"

for tool in Xvfb openbox xdotool import xdpyinfo sqlite3; do
  command -v "$tool" >/dev/null || { echo "make-screenshots: $tool is missing" >&2; exit 1; }
done
[ -x "$program" ] || { echo "make-screenshots: no program at $program (build first)" >&2; exit 1; }

work="$(mktemp -d)"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The program's user setting points the alias at the temporary folder; the
# user's own settings and data stay untouched.
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/share" XDG_CACHE_HOME="$work/cache"
export XDG_RUNTIME_DIR="$work/runtime" DISPLAY="$display" LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME/SimpanPinjam" "$XDG_RUNTIME_DIR" "$work/book"
chmod 700 "$XDG_RUNTIME_DIR"
printf '[Aliases]\nDBsimpanpinjam=%s\n' "$work/book" >"$XDG_CONFIG_HOME/SimpanPinjam/simpanpinjam.conf"

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 1

# Waits (at most 20 s) for a visible window with exactly this title; prints its id.
window() {
  timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  echo "make-screenshots: window '$1' stayed open" >&2
  return 1
}

# Keys go to the window that has the focus, as a clerk's keyboard would.
keys() {
  local id="$1"
  shift
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool key --delay 80 "$@"
}

type_into() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
  sleep 0.3
  xdotool type --delay 60 "$2"
}

start() {
  "$program" >>"$work/program.log" 2>&1 &
  program_pid=$!
  pids+=("$program_pid")
}

login() {
  keys "$(window LOGIN)" Return
  local dialog
  dialog="$(window 'Input Password')"
  type_into "$dialog" rembul
  keys "$dialog" Return
  gone 'Input Password'
}

# First run: the program creates the four table files; "&BaTaL" ends it.
start
keys "$(window LOGIN)" alt+b
wait "$program_pid" || true

# A small book: three members, their deposits and a loan. Amounts in
# ten-thousandths of a rupiah, transaction dates as the clerk's day/month/year.
book="$work/book"
sqlite3 "$book/Tanggota1.DB" <<'SQL'
insert into Tanggota1 (No_Anggota, Tgl_Daftar, Nama, NPM, NBK, Tempat_Lahir, Tgl_Lahir, JK, Gol_Darah, Agama, Alamat, Kodepos, No_Telp) values
 ('2105001', '2024-08-12', 'Ani Rahmawati', 'D1021001', '001', 'Bandung', '2003-04-17', 'W', 'O', 'Islam ', 'Jl. Dipatiukur 35', '40132', '022-2501234'),
 ('2202014', '2024-08-14', 'Budi Santoso', 'B1022014', '014', 'Garut', '2002-11-02', 'P', 'A', 'Islam ', 'Jl. Sekeloa 12', '40134', '0812-2200140'),
 ('2001033', '2024-09-02', 'Citra Lestari', 'A1020033', '033', 'Cimahi', '2003-01-25', 'W', 'B', 'Katholik', 'Jl. Tubagus Ismail 7', '40134', '0813-2001033');
SQL
sqlite3 "$book/Tsimpanan1.db" <<'SQL'
insert into Tsimpanan1 (Tgl_Simpan, No_Anggota, S_Wajib, S_Sukarela, S_Wisuda) values
 ('02/09/2024', '2105001', 100000000, 50000000, 20000000),
 ('01/10/2024', '2105001', 100000000, 75000000, 20000000),
 ('03/10/2024', '2202014', 100000000, 0, 20000000);
SQL
sqlite3 "$book/Tpinjaman1.DB" <<'SQL'
insert into Tpinjaman1 (Tgl_Pinjam, No_Anggota, Besar_Pinjam, Jaminan) values
 ('07/10/2024', '2202014', 5000000000, 'KTM');
SQL

start
login
menu="$(window 'Menu Utama')"
sleep 2   # the clock, the date and the banner have ticked
import -window root "$out/main-window.png"

# The savings slip: the savings window, "CA&RI" for Ani, then "&SLIP".
keys "$menu" ctrl+s
savings="$(window 'Data Simpanan Anggota')"
keys "$savings" alt+r
search="$(window 'Cari Simpanan')"
type_into "$search" 2105001
keys "$search" Return
gone 'Cari Simpanan'
keys "$savings" alt+s
preview="$(window 'SLIP SIMPANAN')"
sleep 1.5
import -frame -window "$preview" "$out/savings-slip.png"

# Done: "E&xit" and its confirmation end the program.
keys "$preview" alt+F4
gone 'SLIP SIMPANAN'
keys "$savings" alt+c
keys "$menu" alt+x
keys "$(window Warning)" Return
wait "$program_pid" || true
echo "make-screenshots: wrote $out/main-window.png and $out/savings-slip.png"
