#!/usr/bin/env bash
# Builds Simpan Pinjam and either starts it or runs its tests.
#   ./setup.sh run    install what is missing, build, start the program
#   ./setup.sh test   install what is missing, build, run the tests; then the
#                     same tests built with the sanitizers (./build-sanitize)
#   ./setup.sh package  install what is missing, make the Debian package
#                     (./build-package) and install it with apt
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="$root/build"
# The same tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize_build="$root/build-sanitize"

# Debian packages the build, the tests and the reports need.
packages=(
  qt6-base-dev qt6-base-dev-tools libgl-dev libvulkan-dev
  cmake g++ make
  libsqlite3-dev sqlite3
  # server mode: the client library, and a throwaway server for the tests
  libpq-dev postgresql
  libjpeg62-turbo-dev
  fonts-liberation2 fonts-dejavu-core
  poppler-utils xvfb xauth
  # the Debian package and its check (tools/check-package.sh)
  dpkg-dev desktop-file-utils appstream xdotool
)

usage() {
  echo "usage: $0 run|test|package" >&2
  exit 2
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "setup.sh: need root (or sudo) to run: $*" >&2
    exit 1
  fi
}

install_dependencies() {
  local missing=()
  local pkg
  for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "setup.sh: installing ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

build_project() {
  cmake -S "$root" -B "$build"
  cmake --build "$build" -j"$(nproc)"
}

run_program() {
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "setup.sh: no display is set; on a machine without one try: xvfb-run -a ./setup.sh run" >&2
  fi
  exec "$build/simpanpinjam"
}

# A throwaway PostgreSQL server for the server-mode tests: a cluster in a
# temporary folder, run by the postgres user (the server refuses root), on a
# Unix socket only. The tests find it through SP_TEST_SERVER.
test_server_dir=""

stop_test_server() {
  if [ -n "$test_server_dir" ]; then
    as_server "$pg_bin/pg_ctl" -D "$test_server_dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$test_server_dir"
    test_server_dir=""
  fi
}

as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

start_test_server() {
  pg_bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
  test_server_dir="$(mktemp -d /tmp/sp-server.XXXXXX)"
  trap stop_test_server EXIT
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$test_server_dir"
  fi
  as_server "$pg_bin/initdb" -D "$test_server_dir/data" -U postgres -A trust -E UTF8 --no-sync >/dev/null
  as_server "$pg_bin/pg_ctl" -D "$test_server_dir/data" -l "$test_server_dir/server.log" -w \
    -o "-c listen_addresses='' -k $test_server_dir -c fsync=off -c max_connections=60" start >/dev/null
  export SP_TEST_SERVER="$test_server_dir" SP_TEST_SERVER_BIN="$pg_bin"
  echo "setup.sh: test server on $test_server_dir"
}

run_tests() {
  local status=0
  start_test_server
  ctest --test-dir "$build" --output-on-failure || status=1
  echo "setup.sh: the tests once more with the sanitizers"
  cmake -S "$root" -B "$sanitize_build" -DCMAKE_BUILD_TYPE=Debug -DSP_SANITIZE=ON
  cmake --build "$sanitize_build" -j"$(nproc)"
  ctest --test-dir "$sanitize_build" --output-on-failure || status=1
  return "$status"
}

[ "$#" -eq 1 ] || usage
case "$1" in
  run)
    install_dependencies
    build_project
    run_program
    ;;
  test)
    install_dependencies
    build_project
    run_tests
    ;;
  package)
    install_dependencies
    as_root env DEBIAN_FRONTEND=noninteractive apt install -y --reinstall "$("$root/tools/make-package.sh")"
    ;;
  *)
    usage
    ;;
esac
