#!/usr/bin/env bash
# Mutation testing: applies small faults to the program's own sources in core/,
# files/, drill/ and app/ one at a time, and reports which of them the tests
# fail to notice. A tool for judging the tests, not a CI step: it exits 0
# whatever it finds, and fails only when it cannot measure (the unmutated
# copy does not build, say).
#
#   scripts/mutate.sh [-n COUNT] [-s SEED] [-j JOBS] [-l]
#     -n  mutants to try (default 40)     -s  seed choosing them (default 1)
#     -j  build jobs (default 1)          -l  only list the chosen mutants
#   MUTATE_DIR=dir scripts/mutate.sh      scratch folder (default build-mutate)
#
# The checkout is never touched. Its files (tracked, and untracked ones git
# does not ignore) are copied to $MUTATE_DIR/src, each mutant is applied and
# undone there, and $MUTATE_DIR/build is a RelWithDebInfo build of that copy
# with tests and without -Werror, so a mutant that only warns still counts.
# The first run builds it all; later runs rebuild only what changed.
#
# Kinds of mutant: a comparison flipped or loosened, an integer constant off by
# one, an if's condition negated, && and || swapped, a returned value replaced
# (true/false swapped, anything else by {}), a call statement removed. The
# candidates are listed in file and line order and the seed picks among them,
# so two runs on the same sources try the same mutants.
#
# Per mutant: a mutated .cpp is compiled first (a failure is "stillborn",
# left out of the rate, as is "return {}" into a reference, which the build
# makes an error); then, one by one, each test whose program holds the mutated
# code is built and run, the mutated folder's tests first, with a 60-second
# limit. The first failure or timeout kills the mutant; if all pass it
# survived. A mutated header, found in dozens of objects, is compiled only as
# far as the tests that run need it, and everywhere if it survives. The
# packaging tests are not run: they check the install and the package, which
# no source mutant can change, and take ten seconds.
# Logs of each mutant go to $MUTATE_DIR/logs, the summary to $MUTATE_DIR/report.txt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

count=40 seed=1 jobs=1 list=()
while getopts "n:s:j:lh" opt; do
    case $opt in
    n) count=$OPTARG ;;
    s) seed=$OPTARG ;;
    j) jobs=$OPTARG ;;
    l) list=(--list) ;;
    *) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 2 ;;
    esac
done

"$root/scripts/setup.sh"
# The build needs no Python, so setup.sh does not install it.
if ! command -v python3 >/dev/null; then
    sudo=()
    [[ $(id -u) == 0 ]] || sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -q
    "${sudo[@]}" apt-get install -y -q --no-install-recommends python3
fi
work=${MUTATE_DIR:-"$root/build-mutate"}
python3 "$root/scripts/mutate.py" --root "$root" --work "$work" \
    -n "$count" -s "$seed" -j "$jobs" "${list[@]}"
