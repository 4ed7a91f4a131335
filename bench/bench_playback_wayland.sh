#!/usr/bin/env bash
# Playback CPU in a Wayland session (headless weston, software rendering): the player against the
# mpv command-line player (--vo=gpu --gpu-context=wayland), the same 10 s 1280x720 30 fps clip the
# X11 benchmark makes. Each runs the clip's length and is then stopped; CPU-seconds per second of
# the player process and of the compositor are printed, medians over the runs.
#   bash bench/bench_playback_wayland.sh [runs]      (BUILD_DIR defaults to build)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
runs="${1:-3}"
clip=/tmp/vistrel-bench-720p30-10s.mp4
command -v mpv >/dev/null || { sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo; DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends mpv; }
[ -f "$clip" ] || ffmpeg -y -loglevel error -f lavfi -i testsrc2=size=1280x720:rate=30:duration=10 -c:v libx264 -pix_fmt yuv420p "$clip"
exec "$root/tests/support/run_under_weston.sh" python3 - "$build/vistrel" "$clip" "$runs" <<'PY'
import os, signal, statistics, subprocess, sys, tempfile, time
player, clip, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
tick = os.sysconf('SC_CLK_TCK')
def cpu(pid):
    with open(f'/proc/{pid}/stat') as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / tick
def weston():
    pid = os.environ.get('WESTON_PID')
    return int(pid) if pid else None
def run(argv, env):
    w = weston(); w0 = cpu(w) if w else 0
    log = tempfile.TemporaryFile()
    p = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=log)
    time.sleep(10.0)
    used = cpu(p.pid); compositor = (cpu(w) - w0) if w else 0
    p.send_signal(signal.SIGTERM); p.wait(timeout=20)
    log.seek(0)
    report = dict(l.split('=', 1) for l in log.read().decode(errors='replace').split() if l.startswith('vistrel-bench-'))
    return used / 10.0, compositor / 10.0, report.get('vistrel-bench-frames', '-'), report.get('vistrel-bench-dropped', '-')
results = {'mpv': [], 'vistrel': []}
for i in range(runs):
    results['mpv'].append(run(['mpv', '--no-config', '--vo=gpu', '--gpu-context=wayland', '--ao=null',
                               '--hwdec=no', clip], dict(os.environ)))
    with tempfile.TemporaryDirectory() as config:
        env = dict(os.environ, VISTREL_AO='null', XDG_CONFIG_HOME=config, VISTREL_BENCH_REPORT='1')
        results['vistrel'].append(run([player, clip], env))
    print(f"run {i + 1}: mpv {results['mpv'][-1][0]:.3f} (weston {results['mpv'][-1][1]:.3f}), "
          f"vistrel {results['vistrel'][-1][0]:.3f} (weston {results['vistrel'][-1][1]:.3f}, frames drawn {results['vistrel'][-1][2]}, dropped {results['vistrel'][-1][3]})", flush=True)
m = statistics.median(r[0] for r in results['mpv']); v = statistics.median(r[0] for r in results['vistrel'])
print(f"median CPU-seconds per second under Wayland: mpv {m:.3f}, vistrel {v:.3f}, ratio {v / m:.2f}")
PY
