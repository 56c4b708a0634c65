#!/usr/bin/env bash
# The benchmarks in server mode: starts a throwaway PostgreSQL server (a
# cluster in a temporary folder, run by the postgres user, on a Unix socket
# only, as ./setup.sh test does), makes an empty database, runs bench_db,
# bench_reports and bench_desks on it (the first fills it with the full-size
# book), and stops the server whatever happens. Needs the project built in
# ./build.
#   bench/server.sh [BENCHMARK...]    default: bench_db bench_reports bench_desks
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
benches=("$@")
[ "${#benches[@]}" -gt 0 ] || benches=(bench_db bench_reports bench_desks)
for b in "${benches[@]}"; do
  [ -x "$root/build/bench/$b" ] || { echo "server.sh: build first (cmake --build build --target $b)" >&2; exit 1; }
done

pg_bin="$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -n 1)"
as_server() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
dir="$(mktemp -d /tmp/sp-bench-server.XXXXXX)"
stop() {
  as_server "$pg_bin/pg_ctl" -D "$dir/data" -m fast stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}
trap stop EXIT
[ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
as_server "$pg_bin/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --no-sync >/dev/null
# fsync stays on: the figures are those of a server that keeps what it commits.
as_server "$pg_bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
  -o "-c listen_addresses='' -k $dir -c max_connections=20" start >/dev/null
as_server "$pg_bin/createdb" -h "$dir" -U postgres simpanpinjam
uri="postgresql://postgres@/simpanpinjam?host=$dir"
echo "server.sh: PostgreSQL $("$pg_bin/postgres" --version | awk '{print $3}') on $dir"
status=0
for b in "${benches[@]}"; do
  echo "== $b"
  "$root/build/bench/$b" "$uri" || status=$?
done
exit "$status"
