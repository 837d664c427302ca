#!/usr/bin/env bash
# A private PulseAudio server with a null sink, for capture tests through ALSA's "pulse" device.
#
#   pulse-null-sink.sh start DIR [RATE CHANNELS]
#                                       start the server (socket DIR/sock, sink "ondrix_null", of 16-bit
#                                       samples at RATE with CHANNELS when given), wait until it answers;
#                                       the PID goes to DIR/pulse.pid
#   pulse-null-sink.sh tone DIR FREQ [RIGHT]
#                                       play a sine of FREQ Hz into the sink with sox (at most 60 s), with
#                                       RIGHT: FREQ on the left channel only and RIGHT Hz on the right only;
#                                       wait until it plays; the PID goes to DIR/tone.pid
#   pulse-null-sink.sh record DIR RATE CHANNELS FILE
#                                       record the sink's monitor as raw 16-bit samples into FILE, wait
#                                       until it records; the PID goes to DIR/record.pid
#   pulse-null-sink.sh stop-record DIR  stop the recording
#   pulse-null-sink.sh stop DIR         stop the tone, the recording and the server by their PIDs
#
# Clients reach the server with PULSE_SERVER=unix:DIR/sock and record the sink through the source
# "ondrix_null.monitor". Everything the server writes stays in DIR.
set -euo pipefail

command=${1:?usage: $0 start|tone|stop DIR [FREQ]}
dir=$(cd "${2:?usage: $0 start|tone|stop DIR [FREQ]}" && pwd)
export PULSE_SERVER="unix:$dir/sock"

# Runs a command every 0.1 s, at most N times, until it succeeds; whether it did.
poll() {
    local tries=$1
    shift
    for _ in $(seq "$tries"); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

# True once the process has ended (a finished one that nobody has reaped yet counts as ended).
ended() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 0
    [[ $state == Z* ]]
}

# Stops the process whose PID DIR/NAME.pid holds: the signal, up to 5 s of waiting, then SIGKILL.
stop() {
    local file="$dir/$1.pid" pid
    [[ -f $file ]] || return 0
    pid=$(cat "$file")
    kill "-$2" "$pid" 2>/dev/null || true
    poll 50 ended "$pid" || kill -KILL "$pid" 2>/dev/null || true
    rm -f "$file"
}

# Starts a command in the background (output to DIR/NAME.log, PID to DIR/NAME.pid) and waits up to 10 s
# until CHECK succeeds; if it does not, shows the log, stops the command with SIGNAL and fails.
launch() {
    local name=$1 check=$2 signal=$3
    shift 3
    "$@" >"$dir/$name.log" 2>&1 &
    echo $! >"$dir/$name.pid"
    if ! poll 100 "$check"; then
        echo "$name did not start; its log:" >&2
        cat "$dir/$name.log" >&2
        stop "$name" "$signal"
        exit 1
    fi
}

server_answers() { pactl info; }
tone_playing() { [[ -n $(pactl list short sink-inputs) ]]; }
recording() { [[ -n $(pactl list short source-outputs) ]]; }

case $command in
start)
    sink="module-null-sink sink_name=ondrix_null"
    if [[ -n ${3:-} ]]; then
        sink+=" rate=$3 channels=${4:-1} format=s16le"
    fi
    mkdir -p "$dir/home" "$dir/runtime"
    chmod 700 "$dir/runtime"
    launch pulse server_answers TERM env HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" \
        pulseaudio --daemonize=no --system=false --exit-idle-time=-1 -n --use-pid-file=no --disallow-exit \
        --log-target=stderr --load="module-native-protocol-unix socket=$dir/sock auth-anonymous=1" \
        --load="$sink"
    ;;
tone)
    if [[ -n ${4:-} ]]; then
        launch tone tone_playing KILL \
            sox -q -n -c 2 -t pulseaudio ondrix_null synth 60 sine "$3" sine "$4" vol 0.5
    else
        launch tone tone_playing KILL \
            sox -q -n -t pulseaudio ondrix_null synth 60 sine "${3:?usage: $0 tone DIR FREQ}" vol 0.5
    fi
    ;;
record)
    launch record recording TERM parec -d ondrix_null.monitor --raw --format=s16le --rate="${3:?RATE}" \
        --channels="${4:?CHANNELS}" --latency-msec=20 "${5:?FILE}"
    ;;
stop-record)
    stop record TERM
    ;;
stop)
    # sox would first drain what it has sent, in real time.
    stop tone KILL
    stop record TERM
    stop pulse TERM
    ;;
*)
    echo "unknown command: $command" >&2
    exit 2
    ;;
esac
