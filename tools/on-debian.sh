#!/usr/bin/env bash
# tools/on-debian.sh [--new-root] [--share DIR]... 12|13 [COMMAND...]
#
# Runs COMMAND (for instance ./test.sh) in a fresh clone of the committed
# HEAD, as CI sees it, at a deep path inside a root of that Debian release,
# as root. Without a COMMAND it only makes sure the root exists. Each
# folder shared is there for COMMAND at the same path, read-only.
#
# The root is made once with debootstrap (minbase) from the Debian archive
# this machine's apt uses, and kept in $ON_DEBIAN_ROOTS/debian-N
# (/var/lib/hoshikage-roots by default); --new-root makes it anew. A lock
# keeps two runs from sharing a root, and a root is used only once its
# "complete" stamp is written. Packages, the i386 architecture and the
# Japanese locale are the project's own scripts' business, as on a fresh
# machine: the first run installs them into the root, later runs need no
# network.
#
# COMMAND runs in a mount and process namespace of its own, with /proc,
# /sys, /dev, /dev/pts, /dev/shm (and with /dev, /dev/fuse) mounted in the
# root. However this script ends, every process in that namespace ends
# and every mount under the root goes with it; what is left over after all
# (a process whose root is the root, a mount under it) is ended and named.
set -euo pipefail
# One block, read whole before it runs: an edit of this file while a run
# goes on (a checkout, say) cannot change that run.
{

ON_DEBIAN_ROOTS=${ON_DEBIAN_ROOTS:-/var/lib/hoshikage-roots}
# Deep, as a player's folders are; the clone replaces the last run's.
ON_DEBIAN_CLONE=/root/Documents/projects/games/a-folder-deep-enough/for-the-setup-program/hoshikage

say() { printf '[on-debian] %s\n' "$*" >&2; }
die() { printf '[on-debian] FAILED at step "%s": %s\n' "$1" "$2" >&2; exit 1; }

# The inside of the namespace: pid 1 there, mounts private to it.
if [ "${1:-}" = --inside ]; then
  shift
  root=$1 dir=$2
  shift 2
  # kill -1 below must reach this namespace's processes only.
  [ $$ = 1 ] || die "namespace" "no process namespace of its own (pid $$)"
  child=
  inside_stop() {
    trap - EXIT INT TERM
    set +e
    if [ -n "$child" ] && kill -0 "$child" 2>/dev/null; then
      # As Ctrl-C reaches every process of a terminal's command: the
      # command's own traps end what it started.
      kill -TERM -1 2>/dev/null
      for _ in $(seq 1 300); do
        kill -0 "$child" 2>/dev/null || break
        sleep 0.1
      done
    fi
    # As pid 1: every other process of the namespace.
    kill -KILL -1 2>/dev/null
    findmnt -rn -o TARGET | grep -E "^$root(/|\$)" | sort -r | while read -r m; do
      umount -l "$m" 2>/dev/null
    done
  }
  trap inside_stop EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
  mounted() { # WHAT MOUNT-ARGUMENTS...: one line naming the mount that fails
    local what=$1 why
    shift
    why=$(mount "$@" 2>&1) || die "mount $what" "${why:-mount $* failed}"
  }
  mounted "private mounts" --make-rprivate /
  mounted "$root/proc" -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys" 2>/dev/null || mounted "$root/sys" --rbind /sys "$root/sys"
  mounted "$root/dev" --bind /dev "$root/dev"
  mount -t devpts -o newinstance,ptmxmode=0666 devpts "$root/dev/pts" 2>/dev/null \
    || mounted "$root/dev/pts" --bind /dev/pts "$root/dev/pts"
  mounted "$root/dev/shm" -t tmpfs -o mode=1777 shm "$root/dev/shm"
  while IFS= read -r share; do
    [ -n "$share" ] || continue
    mkdir -p "$root$share"
    mounted "$root$share" --bind "$share" "$root$share"
    mounted "$root$share read-only" -o remount,bind,ro "$root$share"
  done <<<"${ON_DEBIAN_SHARES:-}"
  [ -c "$root/dev/fuse" ] || say "no /dev/fuse on this machine: the bench serves its discs without FUSE"
  # A command started in the background of a script ignores Ctrl-C, and so
  # would all it starts: the command gets its default back, as in a
  # terminal (the bench's own test interrupts an inner bench).
  env --default-signal=INT,QUIT chroot "$root" /usr/bin/env -i HOME=/root USER=root LOGNAME=root SHELL=/bin/bash \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    TERM="${TERM:-dumb}" ${CI:+CI="$CI"} ${DISC_SIZE:+DISC_SIZE="$DISC_SIZE"} \
    ${BENCH_NO_32BIT:+BENCH_NO_32BIT="$BENCH_NO_32BIT"} \
    /bin/bash -c 'cd "$1" && shift && exec "$@"' on-debian "$dir" "$@" &
  child=$!
  rc=0
  # A trapped signal interrupts wait: wait again until the command is gone.
  while kill -0 "$child" 2>/dev/null; do
    wait "$child" && rc=0 || rc=$?
  done
  exit "$rc"
fi

new_root=
shares=()
while :; do
  case ${1:-} in
    --new-root) new_root=1 && shift ;;
    --share)
      [ -d "${2:-}" ] || die "share" "no folder ${2:-}"
      shares+=("$(cd "$2" && pwd -P)")
      shift 2
      ;;
    *) break ;;
  esac
done
case ${1:-} in
  12) suite=bookworm ;;
  13) suite=trixie ;;
  *)
    echo "usage: tools/on-debian.sh [--new-root] [--share DIR]... 12|13 [COMMAND...]" >&2
    exit 2
    ;;
esac
release=$1
shift
[ "$(id -u)" = 0 ] || die "root" "this script mounts and chroots: run it as root"
project=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)
root=$ON_DEBIAN_ROOTS/debian-$release
stamp=$root.complete
lock=$ON_DEBIAN_ROOTS/debian-$release.lock
mkdir -p "$ON_DEBIAN_ROOTS"

# The mirror this machine's apt uses for Debian's own archive.
mirror() {
  local uri
  uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null \
    | grep -oE '(https?|ftp)://[^ ]*/debian/?( |$)' | grep -v security | head -n 1 | tr -d ' ' || :)
  printf '%s\n' "${uri:-http://deb.debian.org/debian}"
}

make_root() {
  local url log=$ON_DEBIAN_ROOTS/debian-$release.debootstrap.log start=$SECONDS
  url=$(mirror)
  if ! command -v debootstrap >/dev/null; then
    say "installing debootstrap"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >"$log" 2>&1 \
      || { apt-get update -qq >>"$log" 2>&1 && DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends debootstrap >>"$log" 2>&1; } \
      || die "root: install debootstrap" "apt-get failed: $(grep -v '^\s*$' "$log" | tail -n 1) (see $log)"
  fi
  say "making the Debian $release ($suite) root from $url in $root (once)"
  rm -f "$stamp"
  # Never through a mount into the machine's own /dev or /proc.
  if findmnt -rn -o TARGET | grep -qE "^$root(/|\$)"; then
    die "root: make anew" "$root still has mounts: $(findmnt -rn -o TARGET | grep -E "^$root(/|\$)" | paste -sd ' ')"
  fi
  rm -rf "$root"
  debootstrap --variant=minbase --arch=amd64 "$suite" "$root" "$url" >"$log" 2>&1 \
    || die "root: debootstrap $suite" "$(grep -v '^\s*$' "$log" | tail -n 1) (see $log)"
  # As a fresh machine's apt has them: the release, its updates, security.
  cat >"$root/etc/apt/sources.list" <<EOF
deb $url $suite main
deb $url $suite-updates main
deb ${url%/debian*}/debian-security $suite-security main
EOF
  date -u +%FT%TZ >"$stamp"
  say "root made in $((SECONDS - start)) s"
}

# An exclusive lock for the whole run: a root being made, or used by
# another run's apt, is nobody else's.
exec 9>"$lock"
if ! flock -n 9; then
  say "another run holds $root: waiting for it"
  flock 9
fi
if [ -n "$new_root" ] || [ ! -f "$stamp" ] || [ ! -x "$root/bin/bash" ]; then
  make_root
fi
(($#)) || exit 0

for f in resolv.conf hosts; do
  cp -L "/etc/$f" "$root/etc/$f" 2>/dev/null || :
done

head=$(git -C "$project" rev-parse HEAD) || die "clone" "$project is not a git work tree"
[ -z "$(git -C "$project" status --porcelain --untracked-files=no)" ] \
  || say "uncommitted changes in $project are not in the clone: it holds the committed HEAD"
say "cloning $(git -C "$project" log -1 --format='%h %s' | cut -c1-70) into $root$ON_DEBIAN_CLONE"
rm -rf "$root$ON_DEBIAN_CLONE"
mkdir -p "$(dirname "$root$ON_DEBIAN_CLONE")"
git clone -q --no-checkout "$project" "$root$ON_DEBIAN_CLONE" \
  && git -C "$root$ON_DEBIAN_CLONE" checkout -q --detach "$head" \
  || die "clone" "git could not clone $project at $head"

ns=
stop() {
  trap - EXIT INT TERM
  set +e
  local pid1 p left=()
  if [ -n "$ns" ] && kill -0 "$ns" 2>/dev/null; then
    pid1=$(cat "/proc/$ns/task/$ns/children" 2>/dev/null | awk '{print $1}')
    [ -n "$pid1" ] && kill -TERM "$pid1" 2>/dev/null
    for _ in $(seq 1 400); do
      kill -0 "$ns" 2>/dev/null || break
      sleep 0.1
    done
    # Its pid 1 gone, the kernel ends the whole namespace.
    kill -KILL "$ns" 2>/dev/null
    wait "$ns" 2>/dev/null
  fi
  # Nothing should be left; whatever is, is ended and named.
  for p in /proc/[0-9]*; do
    case $(readlink "$p/root" 2>/dev/null) in
      "$root" | "$root"/*) left+=("${p#/proc/}") ;;
    esac
  done
  if ((${#left[@]})); then
    say "ending processes left in the root: ${left[*]}"
    kill -KILL "${left[@]}" 2>/dev/null
  fi
  findmnt -rn -o TARGET | grep -E "^$root(/|\$)" | sort -r | while read -r m; do
    say "unmounting $m, left mounted"
    umount -l "$m"
  done
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
say "running in Debian $release ($(cat "$root/etc/debian_version")): $*"
start=$SECONDS
# Should this script be killed outright, its namespace goes with it.
ON_DEBIAN_SHARES=$(printf '%s\n' "${shares[@]}") setpriv --pdeathsig KILL -- unshare --mount --pid --fork --kill-child -- \
  "$project/tools/on-debian.sh" --inside "$root" "$ON_DEBIAN_CLONE" "$@" &
ns=$!
rc=0
while kill -0 "$ns" 2>/dev/null; do
  wait "$ns" && rc=0 || rc=$?
done
say "$1 ended with status $rc after $((SECONDS - start)) s"
exit "$rc"
}
