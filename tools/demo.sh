#!/usr/bin/env bash
# Builds the programs and runs the Manager against a demo installation in ./demo.
#
#   tools/demo.sh                      open the Manager (needs a desktop session)
#   tools/demo.sh --screenshot FILE    headless: wait for results, save a PNG of the main
#                                      window to FILE and quit
#
# The first run creates ./demo: an Engine root with its own machine and user hives (the
# real /etc and home directory are never touched), a few folders and a dozen checks
# against this computer.  Every run starts small local services (a TCP listener, a web
# server and an SNMP agent (snmpd) for the checks to look at, and a mail server that takes
# the engine's alert e-mails; all on 127.0.0.1), an SSH server on 127.0.0.1 with
# throw-away keys in ./demo/ssh when sshd is installed (the "Demo SSH server" check runs
# uptime there), and the engine, and stops all of them when the Manager closes or the
# script ends.
#
# Many checks at once: New Monitoring Check, ICMP Ping, "..." beside the host: the IP Range
# page starts on 127.0.0.1 to 127.0.0.20 (the demo only ever scans loopback addresses);
# Start, "<< Copy", OK, and the sheet creates one check per answering address, named after
# it through the "<HOSTS>" placeholder.
#
# Alerts: the "Demo TCP listener" check mails operator@demo.test when it fails and when it
# recovers; each mail lands as a file in ./demo/mail/.  To see it, stop the listener with
# `touch demo/tcp-listener.off` (its port closes; the check fails at its next run) and
# start it again with `rm demo/tcp-listener.off`.
set -euo pipefail
cd "$(dirname "$0")/.."
# Cache hits across checkouts: paths are hashed relative to the checkout.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
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
if [[ -z "$screenshot" && -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "demo: no desktop session here; try: tools/demo.sh --screenshot demo.png" >&2
  exit 1
fi

tools/bootstrap.sh
cmake -S . -B build -G Ninja -DSENTRELLE_BENCH=OFF >/dev/null
cmake --build build --parallel "$(nproc)" --target sentrelle sentrelle-manager sentrelle-engine sentrelle_history sentrelle-graph

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
for _ in range(3):
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    ports.append(s.getsockname()[1])
    s.close()
print(f"tcp_port={ports[0]}\nhttp_port={ports[1]}\nsmtp_port={ports[2]}")
EOF
fi
# Demos made before the mail server had no port for it.
if ! grep -q '^smtp_port=' "$demo/ports"; then
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(f"smtp_port={s.getsockname()[1]}")' >>"$demo/ports"
fi
# Demos made before the SNMP agent had no UDP port for it.
if ! grep -q '^snmp_port=' "$demo/ports"; then
  python3 -c 'import socket; s = socket.socket(type=socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(f"snmp_port={s.getsockname()[1]}")' >>"$demo/ports"
fi
if ! grep -q '^ssh_port=' "$demo/ports"; then
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(f"ssh_port={s.getsockname()[1]}")' >>"$demo/ports"
fi
# shellcheck source=/dev/null
source "$demo/ports"

# The SSH server's host key and the key the engine logs on with, made once; the engine
# keeps its known_hosts in demo/ssh/engine, never in a home directory.
sshd=/usr/sbin/sshd
ssh_args=()
if [[ -x "$sshd" ]] && command -v ssh-keygen >/dev/null; then
  mkdir -p "$demo/ssh/engine"
  [[ -f "$demo/ssh/host_key" ]] || ssh-keygen -q -t ed25519 -N '' -f "$demo/ssh/host_key"
  [[ -f "$demo/ssh/engine/id_ed25519" ]] || ssh-keygen -q -t ed25519 -N '' -f "$demo/ssh/engine/id_ed25519"
  cp "$demo/ssh/engine/id_ed25519.pub" "$demo/ssh/authorized_keys"
  cat >"$demo/ssh/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $ssh_port
HostKey $demo/ssh/host_key
PidFile none
AuthorizedKeysFile $demo/ssh/authorized_keys
PasswordAuthentication no
KbdInteractiveAuthentication no
StrictModes no
UsePAM no
PermitRootLogin prohibit-password
Subsystem sftp internal-sftp
EOF
  # sshd started by root needs its privilege separation directory.
  if ((EUID == 0)); then mkdir -p /run/sshd; fi
  ssh_args=(--ssh-port "$ssh_port" --ssh-key "$demo/ssh/engine/id_ed25519")
else
  echo "demo: sshd (package openssh-server) is not installed; no SSH check" >&2
fi


# Init is safe to repeat: it keeps the configuration and adds what is missing, such as
# the stock scripts of a newer build.
"$bin/sentrelle" init "$demo/root" >/dev/null
"$bin/sentrelle" demo-seed --tcp-port "$tcp_port" --http-port "$http_port" --smtp-port "$smtp_port" \
  --snmp-port "$snmp_port" "${ssh_args[@]}"
mkdir -p "$demo/mail"
rm -f "$demo/tcp-listener.off"

cat >"$demo/www/index.html" <<'EOF'
<!doctype html>
<html><head><title>Sentrelle demo</title></head>
<body><h1>Sentrelle demo web server</h1><p>The "Demo web server" check asks for this page.</p></body></html>
EOF

# Everything the script starts is recorded in $demo/run, so that a run that was killed
# before it could clean up leaves nothing behind for long: the next run stops it first.
run="$demo/run"
mkdir -p "$run"
stop_pid() { # stop_pid PID: TERM, up to 5 s of grace, then KILL
  local pid=$1 i
  kill "$pid" 2>/dev/null || return 0
  for ((i = 0; i < 50; i++)); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL "$pid" 2>/dev/null || true
}
# A pid counts as the demo's only while its command line names the demo directory: a
# recycled pid is left alone.
works_on_demo() {
  [[ "$1" =~ ^[0-9]+$ ]] && tr '\0' ' ' <"/proc/$1/cmdline" 2>/dev/null | grep -qF -- "$demo"
}
for file in "$run"/*.pid; do
  [[ -f "$file" ]] || continue
  pid=$(cat "$file" 2>/dev/null || true)
  if works_on_demo "$pid"; then
    echo "demo: stopping the $(basename "$file" .pid) (pid $pid) left over from an earlier run"
    stop_pid "$pid"
  fi
  rm -f "$file"
done

started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do
    stop_pid "$pid"
    wait "$pid" 2>/dev/null || true
  done
  rm -f "$run"/*.pid
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
remember() { # remember NAME PID
  started+=("$2")
  echo "$2" >"$run/$1.pid"
}

# The listener closes its port while $demo/tcp-listener.off exists.
python3 -u - "$tcp_port" "$demo" >"$demo/tcp-listener.log" 2>&1 <<'EOF' &
import os, select, socket, sys, time
port, off = int(sys.argv[1]), os.path.join(sys.argv[2], "tcp-listener.off")
server = None
while True:
    if os.path.exists(off) and server:
        server.close()
        server = None
        print("listener stopped", flush=True)
    elif not os.path.exists(off) and not server:
        server = socket.socket()
        server.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        server.bind(("127.0.0.1", port))
        server.listen(16)
        print("listener started", flush=True)
    if not server:
        time.sleep(0.5)
        continue
    if not select.select([server], [], [], 0.5)[0]:
        continue
    conn, _ = server.accept()
    try:
        conn.sendall(b"Sentrelle demo listener\r\n")
    except OSError:
        pass
    finally:
        conn.close()
EOF
remember tcp-listener $!
python3 -m http.server "$http_port" --bind 127.0.0.1 --directory "$demo/www" >"$demo/web-server.log" 2>&1 &
remember web-server $!
# The mail server: takes every message and writes it, as received, to $demo/mail/.
python3 -u - "$smtp_port" "$demo" >"$demo/mail-server.log" 2>&1 <<'EOF' &
import os, socketserver, sys, time
port, box = int(sys.argv[1]), os.path.join(sys.argv[2], "mail")
class Session(socketserver.StreamRequestHandler):
    def reply(self, text):
        self.wfile.write((text + "\r\n").encode())
    def handle(self):
        self.reply("220 demo mail server")
        recipients, data = [], None
        for raw in self.rfile:
            line = raw.decode("utf-8", "replace").rstrip("\r\n")
            if data is not None:
                if line != ".":
                    data.append(line[1:] if line.startswith("..") else line)
                    continue
                name = os.path.join(box, time.strftime("%Y%m%d-%H%M%S-") + f"{time.monotonic_ns() % 10**9:09d}.eml")
                with open(name, "w") as mail:
                    mail.write("\n".join(data) + "\n")
                print(f"mail to {','.join(recipients)}: {name}", flush=True)
                recipients, data = [], None
                self.reply("250 stored")
                continue
            verb = line[:4].upper()
            if verb in ("EHLO", "HELO"):
                self.reply("250 demo")
            elif verb == "RCPT":
                recipients.append(line.split(":", 1)[-1].strip(" <>"))
                self.reply("250 ok")
            elif verb == "DATA":
                data = []
                self.reply("354 go ahead")
            elif verb == "QUIT":
                self.reply("221 bye")
                return
            else:
                self.reply("250 ok")
socketserver.ThreadingTCPServer.allow_reuse_address = True
socketserver.ThreadingTCPServer(("127.0.0.1", port), Session).serve_forever()
EOF
remember mail-server $!

# The SNMP agent: snmpd with a throw-away configuration in $demo/snmpd, answering the
# community "demo" on 127.0.0.1 only; the "Demo SNMP agent" check asks it for its uptime.
snmpd=$(command -v snmpd || echo /usr/sbin/snmpd)
if [[ -x "$snmpd" ]]; then
  mkdir -p "$demo/snmpd"
  printf 'rocommunity demo 127.0.0.1\nsysDescr Sentrelle demo agent\nsysContact operator@demo.test\n' \
    >"$demo/snmpd/snmpd.conf"
  SNMP_PERSISTENT_DIR="$demo/snmpd" MIBS="" "$snmpd" -f -Lo -C -c "$demo/snmpd/snmpd.conf" \
    -p "$demo/snmpd/snmpd.pid" "udp:127.0.0.1:$snmp_port" >"$demo/snmpd.log" 2>&1 &
  remember snmp-agent $!
else
  echo "demo: snmpd is not installed (package snmpd): the Demo SNMP agent check will fail" >&2
fi

# The engine runs every check once as soon as it starts: the services must answer by then.
wait_for_port() { # wait_for_port PORT: up to 10 s
  local i
  for ((i = 0; i < 100; i++)); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "demo: nothing answers on port $1 yet; the checks on it will fail for a while" >&2
}
wait_for_port "$tcp_port"
wait_for_port "$http_port"
wait_for_port "$smtp_port"
if ((${#ssh_args[@]})); then
  "$sshd" -D -e -f "$demo/ssh/sshd_config" >"$demo/ssh/sshd.log" 2>&1 &
  remember sshd $!
  wait_for_port "$ssh_port"
fi

# An engine that still runs on the demo root (started by hand, say) is stopped, so that
# this run owns the one it starts and stops it again at the end.
pid=$(cat "$demo/root/Sys/Run/QvsSnSvc.pid" 2>/dev/null || true)
if works_on_demo "$pid"; then
  echo "demo: stopping the engine that already runs on the demo (pid $pid)"
  stop_pid "$pid"
fi
"$bin/sentrelle-engine" --root "$demo/root" --ssh-dir "$demo/ssh/engine" --foreground >"$demo/engine.log" 2>&1 &
remember engine $!
sleep 0.5
if ! kill -0 "${started[-1]}" 2>/dev/null; then
  echo "demo: the engine did not start; see $demo/engine.log" >&2
  tail -n 5 "$demo/engine.log" >&2 || true
  exit 1
fi

# The Manager runs in the background so that a signal to this script is handled at once
# (the shell delays traps while a foreground command runs); it is the first to be stopped.
if [[ -n "$screenshot" ]]; then
  QT_QPA_PLATFORM=offscreen "$bin/sentrelle-manager" --screenshot "$screenshot" --wait 60 &
else
  "$bin/sentrelle-manager" &
fi
manager=$!
started=("$manager" "${started[@]}")
status=0
wait "$manager" || status=$?
if [[ -n "$screenshot" ]] && ((status == 0)); then
  echo "demo: saved $screenshot"
fi
exit "$status"
