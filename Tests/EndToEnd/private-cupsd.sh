# private-cupsd.sh: a CUPS scheduler of a test's own, sourced by the tests that
# print through one (cups-road, package-test). Everything it writes is under
# the test's work directory, it listens only on a local socket there, and it
# never shares, browses or serves the web interface.
#
#   cupsd_start WORK [SERVERBIN]  starts it (ServerBin: SERVERBIN, default
#                                 the system's), exports CUPS_SERVER; on
#                                 failure says why on stderr, returns 1
#   cupsd_stop                    stops it (TERM, then KILL after 10 s)
#   wait_job ID [SECONDS]         waits until job ID is in a state the
#                                 scheduler leaves it in (stopped or later,
#                                 never on the queue to empty: a job whose
#                                 filter failed stays in it, stopped) and
#                                 prints that state
# The scheduler's logs are WORK/log/error_log and WORK/log/cupsd.out.

CUPSD_PID=

cupsd_start() {
    local work=$1 serverbin=${2:-} cupsd
    cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
    # User lp runs the filters and reads the spooled job files: the work
    # directory must be searchable by it; the socket's directory is root's.
    chmod 0755 "$work"
    mkdir -p "$work"/{etc,spool/tmp,cache,state,log,run}
    chmod 0700 "$work/run"
    cat >"$work/etc/cups-files.conf" <<EOF
ServerRoot $work/etc
${serverbin:+ServerBin $serverbin}
DataDir /usr/share/cups
RequestRoot $work/spool
TempDir $work/spool/tmp
CacheDir $work/cache
StateDir $work/state
ErrorLog $work/log/error_log
AccessLog $work/log/access_log
PageLog $work/log/page_log
Printcap $work/state/printcap
LogFilePerm 0644
FileDevice Yes
User lp
Group lp
SystemGroup root
EOF
    cat >"$work/etc/cupsd.conf" <<EOF
LogLevel debug
MaxLogSize 0
Listen $work/run/cupsd.sock
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
        cp "$cupsd" "$work/cupsd" && cupsd=$work/cupsd
    fi
    # Absolute paths for -c and -s: cupsd resolves relative ones against
    # its own server root.
    local conf=(-c "$work/etc/cupsd.conf" -s "$work/etc/cups-files.conf")
    if ! "$cupsd" -t "${conf[@]}" >"$work/log/cupsd.out" 2>&1; then
        cat "$work/log/cupsd.out" >&2
        echo "cupsd rejects the private configuration" >&2
        return 1
    fi
    "$cupsd" -f "${conf[@]}" >"$work/log/cupsd.out" 2>&1 &
    CUPSD_PID=$!
    export CUPS_SERVER=$work/run/cupsd.sock
    unset CUPS_ENCRYPTION CUPS_USER CUPS_GSSSERVICENAME
    for _ in $(seq 1 100); do
        lpstat -r 2>/dev/null | grep -q 'is running' && return 0
        kill -0 "$CUPSD_PID" 2>/dev/null || break
        sleep 0.2
    done
    cat "$work/log/cupsd.out" >&2
    echo "the private cupsd did not come up on $CUPS_SERVER" >&2
    return 1
}

cupsd_stop() {
    [ -n "$CUPSD_PID" ] || return 0
    kill -TERM "$CUPSD_PID" 2>/dev/null
    for _ in $(seq 1 50); do
        kill -0 "$CUPSD_PID" 2>/dev/null || break
        sleep 0.2
    done
    kill -KILL "$CUPSD_PID" 2>/dev/null
    wait "$CUPSD_PID" 2>/dev/null
    CUPSD_PID=
}

wait_job() {
    local state= deadline=$((SECONDS + ${2:-60})) test
    test=$(mktemp) || return 1
    cat >"$test" <<'EOF'
{
    OPERATION Get-Job-Attributes
    GROUP operation-attributes-tag
    ATTR charset attributes-charset utf-8
    ATTR naturalLanguage attributes-natural-language en
    ATTR uri job-uri $uri
    ATTR keyword requested-attributes job-state
    DISPLAY job-state
}
EOF
    while [ $SECONDS -lt $deadline ]; do
        state=$(ipptool -c "ipp://${CUPS_SERVER//\//%2F}/jobs/$1" "$test" 2>/dev/null | tail -n 1)
        case $state in processing-stopped | canceled | aborted | completed) break ;; esac
        sleep 0.2
    done
    rm -f "$test"
    echo "${state:-unknown}"
}
