#!/usr/bin/env bash
# Installs what is missing, builds the program, starts the local letter service on a free
# loopback port and runs the program against it. The service stops when the program ends.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
run.sh: there is no display to show the program's windows on (neither DISPLAY nor WAYLAND_DISPLAY is set).
Run it on a virtual X display instead:

    xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/run.sh

(xvfb-run comes with the xvfb package, which scripts/install-deps.sh installs.)
MSG
  exit 1
fi

bash scripts/install-deps.sh
bash scripts/build.sh release
dir=build

program=$dir/src/app/xingfan
service=$(find "$dir/tools" -type f -name letter-service -perm -u+x 2>/dev/null | head -n 1)
mailbox=${XINGFAN_MAILBOX:-tools/letter-service/sample-mailbox.txt}
if [ ! -x "$program" ] || [ -z "$service" ] || [ ! -f "$mailbox" ]; then
  echo "run.sh: the build did not produce the program ($program) and the letter service, or the sample mailbox is missing" >&2
  exit 1
fi

if [ "$(id -u)" -eq 0 ]; then
  # The web engine refuses to start as root with its sandbox on.
  export QTWEBENGINE_DISABLE_SANDBOX=1
  echo "run.sh: running as root, so Qt WebEngine's sandbox is switched off (QTWEBENGINE_DISABLE_SANDBOX=1)"
fi

log=$(mktemp)
"$service" 0 "$mailbox" >"$log" 2>&1 &
service_pid=$!
stop_service() {
  kill "$service_pid" 2>/dev/null || true
  wait "$service_pid" 2>/dev/null || true
  rm -f "$log"
}
trap stop_service EXIT
trap 'exit 130' INT TERM

# Its first line names the port it bound: "listening on 127.0.0.1:PORT".
line=""
for _ in $(seq 100); do
  line=$(head -n 1 "$log")
  case "$line" in "listening on "*) break ;; esac
  if ! kill -0 "$service_pid" 2>/dev/null; then break; fi
  sleep 0.1
done
case "$line" in
  "listening on 127.0.0.1:"*) port=${line##*:} ;;
  *) echo "run.sh: the letter service did not start: $(cat "$log")" >&2; exit 1 ;;
esac

echo "run.sh: letter service at http://127.0.0.1:$port/ with $mailbox"
XINGFAN_LETTER_SERVICE="http://127.0.0.1:$port/" "$program"
