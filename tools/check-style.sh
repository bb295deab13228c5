#!/usr/bin/env bash
# The project's own rules that no compiler checks. Run from the top of the tree.
set -u
status=0
fail() { echo "check-style: $*"; status=1; }

files=$(git ls-files '*.cpp' '*.h' 2>/dev/null ||
    find . \( -path './build*' -o -path './fuzz-build' \) -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)

for h in $(echo "$files" | grep '\.h$'); do
    grep -q '^#pragma once' "$h" || fail "$h: no #pragma once"
done

hits=$(echo "$files" | xargs grep -n -E 'void on_[A-Za-z0-9]+_[A-Za-z0-9]+\(' 2>/dev/null)
[ -n "$hits" ] && fail "auto-connect slot names:"$'\n'"$hits"

core=$(echo "$files" | grep -E '^(common|system|viewer|slideshow|desktop|browser)/' | grep -v '/ui/')
hits=$(echo "$core" | xargs -r grep -n -E '#include <Q(Widget|Dialog|MainWindow|PushButton|Label|Menu|WebEngineView|Application)>' 2>/dev/null)
[ -n "$hits" ] && fail "widget includes in logic code:"$'\n'"$hits"

# Product code: everything but the tests, benchmarks and fuzz targets. Comment lines are skipped.
product=$(echo "$files" | grep -v -E '^(tests|bench|fuzz)/')
code_hits() { echo "$1" | xargs -r grep -n -E "$2" 2>/dev/null | grep -v -E '^[^:]+:[0-9]+:\s*//'; }

# Long work runs as steps from the event loop: no nested event loops pumped by hand, no sleeps.
hits=$(code_hits "$product" '\b(processEvents|msleep|usleep|sleep|sleep_for|sleep_until)\s*\(')
[ -n "$hits" ] && fail "processEvents or a sleep in product code:"$'\n'"$hits"

# The desktop (programs, the clipboard, the default handlers) is reached only through common/platform/.
hits=$(code_hits "$(echo "$product" | grep -v -E '^common/platform/')" '\bQ(Process|Clipboard|DesktopServices)\b|::clipboard\(')
[ -n "$hits" ] && fail "QProcess, QClipboard or QDesktopServices outside common/platform/:"$'\n'"$hits"

if command -v clang-format >/dev/null; then
    out=$(echo "$files" | xargs clang-format --dry-run 2>&1 | grep -E 'warning:' | head -20)
    [ -n "$out" ] && fail "not formatted (run make format):"$'\n'"$out"
fi
exit $status
