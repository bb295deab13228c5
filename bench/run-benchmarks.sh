#!/usr/bin/env bash
# Runs every benchmark program of a build; each prints its ratio to its floor.
set -u
build=${1:-build}
for b in "$build"/bench/Bench*; do
    [ -f "$b" ] && [ -x "$b" ] || continue
    echo "== $(basename "$b")"
    "$b"
done
