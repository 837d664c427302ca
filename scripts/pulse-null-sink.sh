#!/usr/bin/env bash
# A private PulseAudio server with a null sink, for capture tests through ALSA's "pulse" device.
#
#   pulse-null-sink.sh start DIR        start the server (socket DIR/sock, sink "ondrix_null"),
#                                       wait until it answers; the PID goes to DIR/pulse.pid
#   pulse-null-sink.sh tone DIR FREQ    play a sine of FREQ Hz into the sink with sox (at most 60 s),
#                                       wait until it plays; the PID goes to DIR/tone.pid
#   pulse-null-sink.sh stop DIR         stop the tone and the server by their PIDs
#
# Clients reach the server with PULSE_SERVER=unix:DIR/sock and record the sink through the source
# "ondrix_null.monitor". Everything the server writes stays in DIR.
set -euo pipefail

command=${1:?usage: $0 start|tone|stop DIR [FREQ]}
dir=${2:?usage: $0 start|tone|stop DIR [FREQ]}
dir=$(cd "$dir" && pwd)
export PULSE_SERVER="unix:$dir/sock"

# Polls a command up to 10 s.
wait_for() {
    for _ in $(seq 100); do
        if "$@" >/dev/null 2>&1; then
            return 0
        fi
        sleep 0.1
    done
    return 1
}

# True while the process runs (a finished one that nobody has reaped yet counts as gone).
running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [[ $state != Z* ]]
}

# Stops the process whose PID the file holds: the signal, up to 5 s of waiting, then SIGKILL.
stop_pid() {
    local file=$1 signal=$2
    if [[ -f $file ]]; then
        local pid
        pid=$(cat "$file")
        kill "-$signal" "$pid" 2>/dev/null || true
        for _ in $(seq 50); do
            running "$pid" || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        rm -f "$file"
    fi
}

tone_playing() {
    [[ -n $(pactl list short sink-inputs) ]]
}

case $command in
start)
    mkdir -p "$dir/home" "$dir/runtime"
    chmod 700 "$dir/runtime"
    HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
        pulseaudio --daemonize=no --system=false --exit-idle-time=-1 -n \
        --use-pid-file=no --disallow-exit --log-target=stderr \
        --load="module-native-protocol-unix socket=$dir/sock auth-anonymous=1" \
        --load="module-null-sink sink_name=ondrix_null" \
        >"$dir/pulse.log" 2>&1 &
    echo $! >"$dir/pulse.pid"
    if ! wait_for pactl info; then
        echo "PulseAudio did not answer; its log:" >&2
        cat "$dir/pulse.log" >&2
        stop_pid "$dir/pulse.pid" TERM
        exit 1
    fi
    ;;
tone)
    freq=${3:?usage: $0 tone DIR FREQ}
    sox -q -n -t pulseaudio ondrix_null synth 60 sine "$freq" vol 0.5 >"$dir/tone.log" 2>&1 &
    echo $! >"$dir/tone.pid"
    if ! wait_for tone_playing; then
        echo "sox did not start playing; its log:" >&2
        cat "$dir/tone.log" >&2
        stop_pid "$dir/tone.pid" KILL
        exit 1
    fi
    ;;
stop)
    # sox would first drain what it has sent, in real time.
    stop_pid "$dir/tone.pid" KILL
    stop_pid "$dir/pulse.pid" TERM
    ;;
*)
    echo "unknown command: $command" >&2
    exit 2
    ;;
esac
