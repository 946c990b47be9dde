# Shared by the tests that run the real program on a private X server: a temporary folder,
# the report helpers, an Xvfb at 1280x1024x16 on a free display number, and a clean-up that
# kills the program and the server whatever happens. Source it after setting `program`.
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
# Failed captures are worth a look, so they outlive the temporary folder.
keep_captures() {
    local kept=()
    for png in "$work"/capture-*.png; do
        [ -e "$png" ] || continue
        cp "$png" "./e2e-$(basename "$png")" && kept+=("$PWD/e2e-$(basename "$png")")
    done
    [ ${#kept[@]} -gt 0 ] && echo "  captures kept: ${kept[*]}"
}

for tool in Xvfb xdpyinfo xdotool ${extra_tools:-}; do
    command -v "$tool" >/dev/null || give_up "$tool is not installed (scripts/install-deps installs it)"
done
[ -x "$program" ] || give_up "no program at $program"

# ---- a private X server on a display number nobody uses ----
start_x_server() {
    step "starting Xvfb 1280x1024, 16-bit"
    display=""
    first=$((100 + $$ % 400))
    for n in $(seq "$first" $((first + 40))); do
        if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue; fi
        # Another test may take the same number between the look and the start: then Xvfb ends at
        # once and the next free number is tried.
        # -noreset: a server that resets when its last client leaves refuses connections for a
        # moment, and the probe below is such a client.
        Xvfb ":$n" -screen 0 1280x1024x16 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
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
    [ "$depth" = 16 ] || give_up "the X server on $display has depth ${depth:-unknown}, not 16"
    pass "X server on $display, depth 16"
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
