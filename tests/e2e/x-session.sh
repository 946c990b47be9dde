# Shared by the tests that run the real program on a private X server: a temporary folder,
# the report helpers, an Xvfb (1280x1024x16 unless asked otherwise) on a free display number,
# and a clean-up that kills the program and the server whatever happens. Source it after
# setting `program`.
work=$(mktemp -d "${TMPDIR:-/tmp}/battle-e2e.XXXXXX")
xvfb_pid=""
program_pid=""
failed=0
started=$SECONDS

cleanup() {
    if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
        { kill -KILL "$program_pid" && wait "$program_pid"; } 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill -TERM "$xvfb_pid" 2>/dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$xvfb_pid" 2>/dev/null || break; sleep 0.1; done
        kill -KILL "$xvfb_pid" 2>/dev/null
    fi
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
trap 'echo "run-e2e: interrupted"; exit 130' INT TERM HUP

step() { echo "== $*"; }
pass() { echo "  ok     $*"; }
fail() {
    echo "  FAILED $*"
    failed=1
}
# Stops at once: what follows makes no sense without this step.
give_up() {
    fail "$*"
    if [ -s "$work/program.err" ]; then
        echo "  the program's stderr:"
        sed 's/^/    /' "$work/program.err"
    fi
    keep_captures
    echo "end-to-end test FAILED after $((SECONDS - started)) s"
    exit 1
}
# Failed captures are worth a look, so they outlive the temporary folder (as PNG pictures).
keep_captures() {
    local kept=() name
    for picture in "$work"/capture-*.png "$work"/capture-*.xwd; do
        [ -e "$picture" ] || continue
        name="e2e-$(basename "${picture%.*}").png"
        convert "$picture" "./$name" && kept+=("$PWD/$name")
    done
    [ ${#kept[@]} -gt 0 ] && echo "  captures kept: ${kept[*]}"
}

for tool in Xvfb xdpyinfo xdotool ${extra_tools:-}; do
    command -v "$tool" >/dev/null || give_up "$tool is not installed (scripts/install-deps installs it)"
done
[ -x "$program" ] || give_up "no program at $program"

# ---- a private X server on a display number nobody uses ----
# start_x_server [WIDTHxHEIGHTxDEPTH]: 1280x1024x16 unless given.
start_x_server() {
    local geometry=${1:-1280x1024x16}
    local want_depth=${geometry##*x}
    step "starting Xvfb ${geometry%x*}, $want_depth-bit"
    display=""
    first=$((100 + $$ % 400))
    for n in $(seq "$first" $((first + 40))); do
        if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue; fi
        # Another test may take the same number between the look and the start: then Xvfb ends at
        # once and the next free number is tried.
        # -noreset: a server that resets when its last client leaves refuses connections for a
        # moment, and the probe below is such a client.
        Xvfb ":$n" -screen 0 "$geometry" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 50); do
            kill -0 "$xvfb_pid" 2>/dev/null || break
            if xdpyinfo -display ":$n" >/dev/null 2>&1; then
                display=":$n"
                break
            fi
            sleep 0.1
        done
        [ -n "$display" ] && break
        kill -KILL "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
        xvfb_pid=""
    done
    [ -n "$display" ] || give_up "no X server could be started (see Xvfb's messages: $(tail -n 3 "$work/xvfb.log"))"
    export DISPLAY=$display
    depth=$(xdpyinfo | awk '/depth of root window/ {print $5}')
    [ "$depth" = "$want_depth" ] || give_up "the X server on $display has depth ${depth:-unknown}, not $want_depth"
    pass "X server on $display, depth $depth"
}

# stop_x_server [SIGNAL]: ends the server (TERM unless given) and waits for it. A server killed
# outright leaves its lock and socket behind; they are ours, so they go too.
stop_x_server() {
    local signal=${1:-TERM}
    [ -n "$xvfb_pid" ] || return 0
    kill "-$signal" "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    rm -f "/tmp/.X${display#:}-lock" "/tmp/.X11-unix/X${display#:}"
}

# Starts the program in the background with its output in the work folder.
start_program() {
    "$program" "$@" >"$work/program.out" 2>"$work/program.err" &
    program_pid=$!
}

# Waits (up to 15 s, for a loaded machine) until a window of the program is on the screen; its
# id is left in $window, the window that carries the program's class.
wait_for_window() {
    window=""
    for _ in $(seq 150); do
        alive "before its window was on the screen"
        window=$(xdotool search --class Allegro 2>/dev/null | head -n 1)
        if [ -n "$window" ]; then
            # Full-screen or not, the picture is in a top-level window that is mapped.
            for id in $(xwininfo -root -children | awk '/^ +0x/ {print $1}'); do
                xwininfo -id "$id" | grep -q "Map State: IsViewable" && return 0
            done
        fi
        sleep 0.1
    done
    give_up "no window of the program was on the screen within 15 s"
}

# Fails the test at once if the program has already ended.
alive() {
    kill -0 "$program_pid" 2>/dev/null && return
    wait "$program_pid"
    local status=$?
    program_pid=""
    give_up "the program ended by itself $1 (status $status)"
}

# Presses Esc as a person would and expects the program to end within 5 s with status 0.
press_escape_and_expect_exit() {
    step "pressing Esc"
    alive "before Esc was pressed"
    # No window manager: keys go to the window under the pointer. The program reads the key states
    # once a frame, so the key is held long enough to be seen.
    xdotool mousemove 640 512 keydown Escape
    sleep 0.3
    xdotool keyup Escape
    expect_exit_within_5s "Esc was let go (held for 0.3 s)"
}

# Expects the program to end within 5 s with status 0; $1 says after what.
expect_exit_within_5s() {
    waited=""
    for tenths in $(seq 0 50); do
        if ! kill -0 "$program_pid" 2>/dev/null; then
            waited="$((tenths / 10)).$((tenths % 10)) s"
            break
        fi
        sleep 0.1
    done
    if [ -z "$waited" ]; then
        fail "the program was still running 5 s after $1"
    else
        wait "$program_pid"
        status=$?
        program_pid=""
        if [ "$status" = 0 ]; then
            pass "the program ended $waited after $1, with status 0"
        else
            fail "the program ended with status $status after $1"
            sed 's/^/    /' "$work/program.err"
        fi
    fi
}

# expect_exit_with STATUS SECONDS AFTER-WHAT: the program must end within SECONDS (whole) with
# STATUS. Leaves the time it took, in seconds, in $took. Returns 1 when it did not.
expect_exit_with() {
    local want=$1 limit=$2 what=$3 status
    local since=$EPOCHREALTIME
    took=""
    while kill -0 "$program_pid" 2>/dev/null; do
        if [ "$(elapsed_since "$since")" -ge $((limit * 1000)) ]; then
            fail "the program was still running $limit s after $what"
            { kill -KILL "$program_pid" && wait "$program_pid"; } 2>/dev/null
            program_pid=""
            return 1
        fi
        sleep 0.02
    done
    took=$(elapsed_since "$since")
    wait "$program_pid"
    status=$?
    program_pid=""
    took=$(printf '%d.%03d' $((took / 1000)) $((took % 1000)))
    if [ "$status" != "$want" ]; then
        fail "the program ended with status $status after $what, expected $want$([ "$status" -gt 128 ] && echo " (killed by signal $((status - 128)))")"
        sed 's/^/    /' "$work/program.err"
        return 1
    fi
    pass "the program ended $took s after $what, with status $status"
}

# capture NAME: the whole screen as NAME.xwd (kept as a picture when the test fails) and NAME.rgb
# (to measure). Quick, for the tests that look again and again until the screen shows something.
capture() {
    xwd -root -silent >"$work/$1.xwd" && convert "xwd:$work/$1.xwd" -depth 8 "rgb:$work/$1.rgb"
}

# finish NAME: the test's last line, and its status.
finish() {
    if [ "$failed" != 0 ]; then
        keep_captures
        echo "$1 test FAILED after $((SECONDS - started)) s"
        exit 1
    fi
    echo "$1 test passed in $((SECONDS - started)) s"
}

# Milliseconds since a value of $EPOCHREALTIME.
elapsed_since() {
    local now=$EPOCHREALTIME
    echo $(((${now/./} - ${1/./}) / 1000))
}
