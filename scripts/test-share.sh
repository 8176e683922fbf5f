#!/usr/bin/env bash
# Prints how much of the code is tests: non-blank lines of tests/ against the product code
# (everything else but fuzz/ and bench/), counting C, C++, Python, shell and RPC interface files.
# Fails above the limit, so that the suite cannot quietly outgrow the code it checks.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=${TEST_SHARE_LIMIT:-35}

count() {
    # Tracked files plus new ones not ignored, so that a working tree is measured as it stands.
    git ls-files -z --cached --others --exclude-standard -- "$@" |
        grep -zE '\.(c|cpp|h|py|sh|x)$' |
        xargs -0 -r cat -- 2>/dev/null | grep -cv '^[[:space:]]*$' || true
}

tests=$(count tests)
product=$(count . ':!tests' ':!fuzz' ':!bench')
share=$(awk -v t="$tests" -v p="$product" 'BEGIN { printf "%.1f", 100 * t / (t + p) }')
echo "test share: ${tests} test lines, ${product} product lines, ${share}% (limit ${limit}%)"
awk -v s="$share" -v l="$limit" 'BEGIN { exit !(s <= l) }' || {
    echo "test share above ${limit}%" >&2
    exit 1
}
