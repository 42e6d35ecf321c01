# Sourced by the command-line scripts: a scratch folder to work in (removed at the end, whatever
# rights a test left on it), and check, which counts what differs from what was expected.
work=$(mktemp -d)
trap 'chmod -R u+rwx "$work"; rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0
check() {   # check WHAT EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    fi
}
