# The sandbox for scripts: source this file, with $build set to the build directory that holds
# sandbox/qvsandbox.
#
#   start_sandbox DIR [SWITCH...]   starts qvsandbox on a free port of 127.0.0.1 with the given
#                                   switches, its report log in DIR/reports.jsonl and its output
#                                   in DIR/sandbox.out and DIR/sandbox.err; sets sandbox_pid and
#                                   port, or ends the script when it does not start
#   stop_sandbox                    stops the running sandbox and waits for it

sandbox_pid=""
port=""

start_sandbox() {
  local dir=$1
  shift
  "$build/sandbox/qvsandbox" --port 0 --report-log "$dir/reports.jsonl" "$@" \
    >"$dir/sandbox.out" 2>"$dir/sandbox.err" &
  sandbox_pid=$!
  port=""
  # It prints its port once it serves; a few seconds at the most on a loaded machine.
  for _ in $(seq 100); do
    port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$dir/sandbox.out")
    [[ -n $port ]] && return 0
    kill -0 "$sandbox_pid" 2>/dev/null || break
    sleep 0.1
  done
  echo "The sandbox did not start: $(cat "$dir/sandbox.err")" >&2
  stop_sandbox
  exit 1
}

stop_sandbox() {
  if [[ -n $sandbox_pid ]]; then
    kill -TERM "$sandbox_pid" 2>/dev/null || true
    wait "$sandbox_pid" 2>/dev/null || true
    sandbox_pid=""
  fi
}
