#!/usr/bin/env bash
# Runs an archive export as a Slurm job array on a one-node cluster started on this machine, then checks
# the outputs against a single run of the same files. Needs root (slurmd), Debian's slurm-wlm and munge.
# Everything lives in a temporary folder; the daemons listen on 127.0.0.1 only and are stopped at the end.
# Not part of `make test`. Usage: scripts/slurm-local.sh [BUILD_DIR] [TASKS]
set -euo pipefail

build_dir="$(cd "${1:-build}" && pwd)"
tasks="${2:-3}"
program="$build_dir/src/app/ondrix"
here="$(cd "$(dirname "$0")" && pwd)"
[ -x "$program" ] || { echo "slurm-local.sh: $program is not built" >&2; exit 1; }
for tool in slurmctld slurmd sbatch squeue munged sox; do
  command -v "$tool" >/dev/null || { echo "slurm-local.sh: $tool is missing (apt-get install slurm-wlm munge sox)" >&2; exit 1; }
done
[ "$(id -u)" -eq 0 ] || { echo "slurm-local.sh: slurmd needs root" >&2; exit 1; }

work="$(mktemp -d /tmp/ondrix-slurm.XXXXXX)"
node="$(hostname -s)"
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap stop EXIT

# munge with its own key and socket.
mkdir -p "$work/munge" "$work/state" "$work/spool" "$work/log"
chmod 700 "$work/munge"
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 status=none
chmod 400 "$work/munge/munge.key"
munged --foreground --force --key-file="$work/munge/munge.key" --socket="$work/munge/socket" \
  --pid-file="$work/munge/pid" --seed-file="$work/munge/seed" --log-file="$work/log/munged.log" 2>/dev/null &
pids+=($!)

cpus="$(nproc)"
cat >"$work/slurm.conf" <<EOF
ClusterName=ondrix-local
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=16817
SlurmdPort=16818
SlurmUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
ProctrackType=proctrack/pgid
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
NodeName=$node NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=local Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF="$work/slurm.conf"
for i in $(seq 50); do [ -S "$work/munge/socket" ] && break; sleep 0.1; done
slurmctld -D -i -f "$SLURM_CONF" 2>>"$work/log/slurmctld.err" &
pids+=($!)
slurmd -D -f "$SLURM_CONF" 2>>"$work/log/slurmd.err" &
pids+=($!)
for i in $(seq 100); do
  sinfo -h -o %t 2>/dev/null | grep -q idle && break
  sleep 0.2
done
sinfo -h -o "%P %D %t %c" | sed 's/^/slurm-local.sh: partition /'

# A small archive: twelve files of different lengths and tones.
mkdir -p "$work/archive"
for i in $(seq 12); do
  sox -n -r 48000 -b 16 -c 1 "$work/archive/site$i.wav" synth "$((2 + i % 4))" sine "$((500 * i))" \
    vol 0.5 2>/dev/null
done
find "$work/archive" -name '*.wav' | sort >"$work/files.txt"

# The job array of docs/BATCH.md: each task takes every TASKS-th line of the list.
cp "$here/../docs/slurm-export.sbatch" "$work/export.sbatch"
export ONDRIX="$program" LIST="$work/files.txt" OUT="$work/out" ONDRIX_HOME="$work/home" SHARDS="$tasks"
mkdir -p "$work/home"
job="$(sbatch --parsable --array=0-$((tasks - 1)) --chdir="$work" --output="$work/log/task-%a.out" \
  --export=ALL "$work/export.sbatch")"
echo "slurm-local.sh: submitted job array $job with $tasks tasks"
for i in $(seq 600); do
  [ -z "$(squeue -h -j "$job" 2>/dev/null)" ] && break
  sleep 0.5
done
cat "$work"/log/task-*.out
cat "$work"/summary-*.jsonl >"$work/summary.jsonl"
echo "slurm-local.sh: $(grep -c '"done"' "$work/summary.jsonl") files done by the array, $(grep -c '"failed"' "$work/summary.jsonl" || true) failed"

# One run on the same files, then the two output folders compared file by file.
"$program" --export "$work/single" --home "$work/home" --jobs 1 --files-from "$work/files.txt" 2>/dev/null
if diff -r "$work/single" "$work/out" >/dev/null; then
  echo "slurm-local.sh: $(find "$work/out" -type f | wc -l) outputs of the array equal the single run's"
else
  echo "slurm-local.sh: the array's outputs differ from the single run's" >&2
  diff -rq "$work/single" "$work/out" >&2 || true
  exit 1
fi
