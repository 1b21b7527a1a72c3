#!/usr/bin/env bash
# Builds the programs and runs the Manager against a demo installation in ./demo.
#
#   tools/demo.sh                      open the Manager (needs a desktop session)
#   tools/demo.sh --screenshot FILE    headless: wait for results, save a PNG of the main
#                                      window to FILE and quit
#
# The first run creates ./demo: an Engine root with its own machine and user hives (the
# real /etc and home directory are never touched), a few folders and a dozen checks
# against this computer.  Every run starts two small local services for the checks to
# look at (a TCP listener and a web server, both python3 on 127.0.0.1), starts the engine
# when it has been built, and stops whatever it started when the Manager closes.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$(pwd)

screenshot=""
while (($#)); do
  case "$1" in
    --screenshot) screenshot=${2:?"--screenshot needs a file name"}; shift 2 ;;
    -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
    *) echo "demo: unknown argument '$1'" >&2; exit 2 ;;
  esac
done
if [[ -n "$screenshot" && "$screenshot" != /* ]]; then
  screenshot="$top/$screenshot"
fi

tools/bootstrap.sh
cmake -S . -B build -G Ninja -DSENTRELLE_BENCH=OFF >/dev/null
targets=(sentrelle sentrelle-manager)
if ninja -C build -t targets all 2>/dev/null | grep -q '^sentrelle-engine:'; then
  targets+=(sentrelle-engine)
fi
cmake --build build --parallel "$(nproc)" --target "${targets[@]}"

demo="$top/demo"
mkdir -p "$demo/www"
export SENTRELLE_MACHINE_HIVE="$demo/machine.reg"
export SENTRELLE_USER_HIVE="$demo/user.reg"
bin="$top/build/bin"

# Ports are chosen once: the checks keep them in the configuration.
if [[ ! -f "$demo/ports" ]]; then
  python3 - >"$demo/ports" <<'EOF'
import socket
ports = []
for _ in range(2):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    ports.append(s.getsockname()[1])
    s.close()
print(f"tcp_port={ports[0]}\nhttp_port={ports[1]}")
EOF
fi
# shellcheck source=/dev/null
source "$demo/ports"

if [[ ! -f "$demo/root/Configuration/Config.mdb" ]]; then
  "$bin/sentrelle" init "$demo/root"
fi
"$bin/sentrelle" demo-seed --tcp-port "$tcp_port" --http-port "$http_port"

cat >"$demo/www/index.html" <<'EOF'
<!doctype html>
<html><head><title>Sentrelle demo</title></head>
<body><h1>Sentrelle demo web server</h1><p>The "Demo web server" check asks for this page.</p></body></html>
EOF

started=()
cleanup() {
  for pid in "${started[@]}"; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${started[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
}
trap cleanup EXIT

python3 -u - "$tcp_port" >"$demo/tcp-listener.log" 2>&1 <<'EOF' &
import socket, sys
server = socket.socket()
server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
server.bind(("127.0.0.1", int(sys.argv[1])))
server.listen(16)
while True:
    conn, _ = server.accept()
    try:
        conn.sendall(b"Sentrelle demo listener\r\n")
    finally:
        conn.close()
EOF
started+=($!)
python3 -m http.server "$http_port" --bind 127.0.0.1 --directory "$demo/www" >"$demo/web-server.log" 2>&1 &
started+=($!)

engine_running=0
if [[ -x "$bin/sentrelle-engine" ]]; then
  pidfile="$demo/root/Sys/Run/QvsSnSvc.pid"
  if [[ -f "$pidfile" ]] && kill -0 "$(cat "$pidfile" 2>/dev/null)" 2>/dev/null; then
    engine_running=1
  else
    "$bin/sentrelle-engine" --root "$demo/root" --foreground >"$demo/engine.log" 2>&1 &
    started+=($!)
    engine_running=1
  fi
else
  echo "demo: build/bin/sentrelle-engine is not built yet; the checks will show that the engine is not running"
fi

if [[ -n "$screenshot" ]]; then
  wait_secs=60
  ((engine_running)) || wait_secs=3
  QT_QPA_PLATFORM=offscreen "$bin/sentrelle-manager" --screenshot "$screenshot" --wait "$wait_secs"
  echo "demo: saved $screenshot"
else
  if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "demo: no desktop session here; try: tools/demo.sh --screenshot demo.png" >&2
    exit 1
  fi
  "$bin/sentrelle-manager"
fi
