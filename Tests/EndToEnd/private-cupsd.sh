# private-cupsd.sh: the frame of the tests that print through a CUPS
# scheduler of their own (cups-road, package-test), which source it. It
# skips the test (exit 77) without root, user lp, cupsd, lp or ipptool. The
# scheduler writes only under the test's work directory WORK, listens only
# on a local socket there, and never shares, browses or serves the web
# interface.
#
#   check NAME COMMAND...    runs a check: "ok", or "FAIL" and its output
#   passed                   ends the test: status 1 after a failed check
#   cupsd_start [SERVERBIN]  starts the scheduler (ServerBin SERVERBIN,
#                            default the system's), exports CUPS_SERVER; on
#                            failure says why on stderr, returns 1
#   wait_job ID [SECONDS]    waits until job ID is in a state the scheduler
#                            leaves it in (stopped or later: a job whose
#                            filter failed stays on the queue, stopped) and
#                            prints that state
# At exit the test's own `cleanup` (if any) runs, the scheduler stops (TERM,
# then KILL after 10 s), the end of WORK/log/error_log is shown after a
# failure and WORK is removed (QUARN_KEEP_CUPS_DIR=1 keeps it).

if [ "$(id -u)" -ne 0 ] || ! id lp >/dev/null 2>&1 || [ ! -x "$(command -v cupsd || echo /usr/sbin/cupsd)" ] ||
    ! command -v lp >/dev/null || ! command -v ipptool >/dev/null; then
    echo "SKIP: a private cupsd needs root, user lp, cupsd, lp and ipptool"
    exit 77
fi
umask 022
WORK=$(mktemp -d /tmp/quarn-cups.XXXXXX) || exit 1
FAILURES=0
CUPSD_PID=

cupsd_start() {
    local serverbin=${1:-} cupsd
    cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
    # User lp runs the filters and reads the spooled job files: the work
    # directory must be searchable by it; the socket's directory is root's.
    chmod 0755 "$WORK"
    mkdir -p "$WORK"/{etc,spool/tmp,cache,state,log,run}
    chmod 0700 "$WORK/run"
    cat >"$WORK/etc/cups-files.conf" <<EOF
ServerRoot $WORK/etc
${serverbin:+ServerBin $serverbin}
DataDir /usr/share/cups
RequestRoot $WORK/spool
TempDir $WORK/spool/tmp
CacheDir $WORK/cache
StateDir $WORK/state
ErrorLog $WORK/log/error_log
AccessLog $WORK/log/access_log
PageLog $WORK/log/page_log
Printcap $WORK/state/printcap
LogFilePerm 0644
FileDevice Yes
User lp
Group lp
SystemGroup root
EOF
    cat >"$WORK/etc/cupsd.conf" <<EOF
LogLevel debug
MaxLogSize 0
Listen $WORK/run/cupsd.sock
Browsing No
BrowseLocalProtocols none
DefaultShared No
WebInterface No
PreserveJobHistory Yes
PreserveJobFiles No
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
    # Where AppArmor confines the installed cupsd to its usual directories,
    # run an unconfined copy of it (the profile is attached by path).
    if grep -qs '^/usr/sbin/cupsd (enforce)' /sys/kernel/security/apparmor/profiles; then
        cp "$cupsd" "$WORK/cupsd" && cupsd=$WORK/cupsd
    fi
    # Absolute paths for -c and -s: cupsd resolves relative ones against
    # its own server root.
    local conf=(-c "$WORK/etc/cupsd.conf" -s "$WORK/etc/cups-files.conf")
    if ! "$cupsd" -t "${conf[@]}" >"$WORK/log/cupsd.out" 2>&1; then
        cat "$WORK/log/cupsd.out" >&2
        echo "cupsd rejects the private configuration" >&2
        return 1
    fi
    "$cupsd" -f "${conf[@]}" >"$WORK/log/cupsd.out" 2>&1 &
    CUPSD_PID=$!
    export CUPS_SERVER=$WORK/run/cupsd.sock
    unset CUPS_ENCRYPTION CUPS_USER CUPS_GSSSERVICENAME
    for _ in $(seq 1 100); do
        lpstat -r 2>/dev/null | grep -q 'is running' && return 0
        kill -0 "$CUPSD_PID" 2>/dev/null || break
        sleep 0.2
    done
    cat "$WORK/log/cupsd.out" >&2
    echo "the private cupsd did not come up on $CUPS_SERVER" >&2
    return 1
}

finish() {
    local status=$?
    ! declare -F cleanup >/dev/null || cleanup
    if [ -n "$CUPSD_PID" ]; then
        kill -TERM "$CUPSD_PID" 2>/dev/null
        timeout 10 tail --pid="$CUPSD_PID" -f /dev/null
        kill -KILL "$CUPSD_PID" 2>/dev/null
        wait "$CUPSD_PID" 2>/dev/null
    fi
    if [ "$FAILURES" -ne 0 ] || [ "$status" -ne 0 ]; then tail -n 60 "$WORK/log/error_log" 2>/dev/null; fi
    if [ "${QUARN_KEEP_CUPS_DIR:-0}" = 1 ]; then echo "kept $WORK"; else rm -rf "$WORK"; fi
}
trap finish EXIT
trap 'exit 1' INT TERM HUP

check() {
    "${@:2}" >"$WORK/last" 2>&1 && echo "ok   $1" && return
    echo "FAIL $1" && sed 's/^/  | /' "$WORK/last" && FAILURES=$((FAILURES + 1))
    return 1
}

passed() {
    [ "$FAILURES" -eq 0 ] || { echo "$FAILURES check(s) failed"; exit 1; }
    echo "all checks passed"
}

wait_job() {
    local state= deadline=$((SECONDS + ${2:-60})) test='{
    OPERATION Get-Job-Attributes
    GROUP operation-attributes-tag
    ATTR charset attributes-charset utf-8
    ATTR naturalLanguage attributes-natural-language en
    ATTR uri job-uri $uri
    ATTR keyword requested-attributes job-state
    DISPLAY job-state
}'
    while [ $SECONDS -lt $deadline ]; do
        state=$(ipptool -c "ipp://${CUPS_SERVER//\//%2F}/jobs/$1" /dev/stdin <<<"$test" 2>/dev/null | tail -n 1)
        case $state in processing-stopped | canceled | aborted | completed) break ;; esac
        sleep 0.2
    done
    echo "${state:-unknown}"
}
