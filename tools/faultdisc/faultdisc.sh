# tools/faultdisc/faultdisc.sh: the bench's failing disc (faultdisc.py),
# sourced by the bench. Call these in the bench's own shell, not in a
# subshell or a pipe: they record what they start in its variables.
#
# faultdisc_mount SOURCE MOUNT CONTROL
#     serves the disc folder SOURCE read-only at MOUNT, steered by the file
#     CONTROL (outside the mount; made empty when missing), and waits until
#     the mount answers (at most 10 s). Where it cannot, says why in one
#     line on stderr and returns 1, leaving nothing behind. The file
#     system's own messages go to CONTROL.stderr.
# faultdisc_control CONTROL [RULE...]
#     replaces the control file by these rules, one a line, in one rename.
# faultdisc_stop_all
#     unmounts (lazily) every mount faultdisc_mount made, then ends their
#     processes; goes on past a step that fails. Run it after wineserver -k.
# FAULTDISC_PACKAGES
#     the Debian packages it needs.

FAULTDISC_PACKAGES=(python3-fusepy libfuse2)
# Debian's own interpreter: the one on PATH may lack Debian's modules.
FAULTDISC_PYTHON=/usr/bin/python3
FAULTDISC_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
FAULTDISC_MOUNTS=()
FAULTDISC_PIDS=()

faultdisc_log() { printf '[faultdisc] %s\n' "$*" >&2; }

# Without touching the file system, which a stale mount can hang.
faultdisc_absolute() {
  case $1 in
    /*) printf '%s\n' "$1" ;;
    *) printf '%s\n' "$PWD/$1" ;;
  esac
}

# Reads the mount table, not the folder: a stale mount hangs a stat.
faultdisc_is_mounted() {
  findmnt -rn --mountpoint "$1" >/dev/null 2>&1
}

faultdisc_mount() {
  local source mount control pid i why=
  source=$(faultdisc_absolute "$1") mount=$(faultdisc_absolute "$2") control=$(faultdisc_absolute "$3")
  if [ ! -c /dev/fuse ]; then
    faultdisc_log "cannot mount $mount: no /dev/fuse"
    return 1
  fi
  if ! "$FAULTDISC_PYTHON" -c 'import fusepy' >/dev/null 2>&1; then
    faultdisc_log "cannot mount $mount: $FAULTDISC_PYTHON cannot load fusepy (packages: ${FAULTDISC_PACKAGES[*]})"
    return 1
  fi
  if [ ! -d "$source" ]; then
    faultdisc_log "cannot mount $mount: no disc folder $source"
    return 1
  fi
  # A mount left by an earlier run that ended badly.
  faultdisc_unmount "$mount"
  mkdir -p "$mount" "$(dirname "$control")"
  [ -e "$control" ] || : >"$control"
  "$FAULTDISC_PYTHON" "$FAULTDISC_DIR/faultdisc.py" "$source" "$mount" "$control" </dev/null >"$control.stderr" 2>&1 &
  pid=$!
  # Recorded at once, so that an interrupted bench ends it too.
  FAULTDISC_PIDS+=("$pid")
  FAULTDISC_MOUNTS+=("$mount")
  for i in $(seq 1 100); do
    # It answers: with the root's attributes, or that its disc is out.
    if faultdisc_is_mounted "$mount" && why=$(LC_ALL=C timeout 5 stat "$mount" 2>&1 >/dev/null); then
      return 0
    fi
    case $why in *'No medium found'*) return 0 ;; esac
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  # libfuse's own words name the cause best.
  why=$( (grep '^fuse:' "$control.stderr" || grep -v '^\s*$' "$control.stderr") 2>/dev/null | head -3 | paste -sd ';' || :)
  # As root libfuse tries mount(2) first and falls back to fusermount.
  case $why in *fusermount*) why="the kernel refused the mount ($why)" ;; esac
  faultdisc_log "cannot mount $mount: ${why:-the mount did not answer within 10 s}"
  faultdisc_unmount "$mount"
  kill "$pid" 2>/dev/null || :
  faultdisc_reap "$pid"
  unset 'FAULTDISC_PIDS[-1]' 'FAULTDISC_MOUNTS[-1]'
  return 1
}

faultdisc_control() {
  local control=$1
  shift
  {
    printf '%s\n' "$@"
    # Makes every write a change, which re-arms an eject-at.
    printf '# %s\n' "$(date +%s%N)"
  } >"$control.tmp" && mv -f "$control.tmp" "$control"
}

# Every step below may fail without stopping the next, also under set -e.
faultdisc_unmount() {
  if faultdisc_is_mounted "$1"; then
    umount -l "$1" 2>/dev/null || faultdisc_log "cannot unmount $1"
  fi
  return 0
}

# Waits (at most 5 s) for a process sent SIGTERM to end, then kills it.
faultdisc_reap() {
  local i
  for i in $(seq 1 50); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$1" 2>/dev/null || :
  wait "$1" 2>/dev/null || :
  return 0
}

faultdisc_stop_all() {
  local m p
  for m in "${FAULTDISC_MOUNTS[@]}"; do
    faultdisc_unmount "$m"
  done
  for p in "${FAULTDISC_PIDS[@]}"; do
    kill "$p" 2>/dev/null || :
  done
  for p in "${FAULTDISC_PIDS[@]}"; do
    faultdisc_reap "$p"
  done
  FAULTDISC_MOUNTS=()
  FAULTDISC_PIDS=()
  return 0
}
