"""Prints the frame cost of each scene against its floor and the exhaustive
search from Google Benchmark's JSON output, and plots cost against ball count."""

import json
import sys
from collections import defaultdict


def machine(path):
    """The processor and its count, as the benchmark saw them."""
    with open(path) as f:
        context = json.load(f)["context"]
    model = "unknown processor"
    with open("/proc/cpuinfo") as cpuinfo:
        names = [line.split(":", 1)[1].strip() for line in cpuinfo if line.startswith("model name")]
        model = names[0] if names else model
    return f"{model}, {context['num_cpus']} cores at {context['mhz_per_cpu']} MHz"


def medians(path):
    """{(scene, balls): {kind: median microseconds for the timed frames}}, and
    the touching pairs of the timed frames' first sub-steps."""
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    wrong = sorted({"/".join(run["run_name"].split("/")[1:3]) for run in runs if run.get("error_occurred")})
    if wrong:
        sys.exit(f"report.py: the searches disagree on {', '.join(wrong)}: nothing timed there holds")
    times = defaultdict(dict)
    for run in runs:
        if run.get("aggregate_name", "median") != "median":
            continue
        kind, scene, balls = run["run_name"].split("/")[:3]
        times[(scene, int(balls))][kind] = run["real_time"]
        times[(scene, int(balls))]["pairs"] = run.get("pairs", 0)
    return times


def pushes(times):
    """Nanoseconds a pair of the floor's push and the program's, in a flat loop."""
    for (scene, balls), kinds in times.items():
        if "push floor" in kinds and "push program" in kinds and kinds["pairs"]:
            floor, program = (kinds[k] * 1000 / kinds["pairs"] for k in ("push floor", "push program"))
            print(
                f"pushes, {scene} {balls}: floor {floor:.2f} ns a pair, program {program:.2f} ns "
                f"a pair, program/floor {program / floor:.2f}"
            )


# The most a frame may cost against its floor, by scene.
TARGETS = {
    "long game": 2.0,
    "settled": 1.5,
    "fallen below": 2.0,
    "fallen beside": 2.0,
    "mixed settled": 2.0,
    "falling": 3.0,
    "mixed falling": 4.0,
}


def table(times, frames):
    print(
        f"{'scene':<15}{'balls':>6}{'frame µs':>11}{'floor µs':>11}{'exhaustive µs':>15}"
        f"{'frame/floor':>13}{'target':>8}{'exhaustive/frame':>18}"
    )
    order = ["start", "long game", "settled", "fallen below", "fallen beside", "mixed settled",
             "falling", "mixed falling"]
    for (scene, balls), kinds in sorted(times.items(), key=lambda s: (order.index(s[0][0]), s[0][1])):
        if "frame" not in kinds:
            continue
        frame, floor, exhaustive = (
            kinds.get(k, float("nan")) / frames for k in ("frame", "floor", "exhaustive")
        )
        target = f"{TARGETS[scene]:.1f}" if scene in TARGETS else "-"
        print(
            f"{scene:<15}{balls:>6}{frame:>11.1f}{floor:>11.1f}{exhaustive:>15.1f}"
            f"{frame / floor:>13.2f}{target:>8}{exhaustive / frame:>18.1f}"
        )


def plot(times, frames, output, machine_name):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    figure, axes = plt.subplots(1, 3, figsize=(14, 4), sharey=True)
    for axis, scene in zip(axes, ("long game", "falling", "settled")):
        counts = sorted(b for s, b in times if s == scene)
        for kind, style in (("exhaustive", "s-"), ("frame", "o-"), ("floor", "^--")):
            axis.plot(counts, [times[(scene, b)][kind] / frames for b in counts], style, label=kind)
        axis.set(xscale="log", yscale="log", xlabel="balls", title=scene)
        axis.grid(True, which="both", alpha=0.3)
    axes[0].set_ylabel("µs per frame")
    axes[0].legend()
    figure.suptitle(machine_name, fontsize=9)
    figure.tight_layout()
    figure.savefig(output, dpi=100)


if __name__ == "__main__":
    results, frames = sys.argv[1], int(sys.argv[2])
    times = medians(results)
    print(machine(results))
    table(times, frames)
    pushes(times)
    if len(sys.argv) > 3:
        plot(times, frames, sys.argv[3], machine(results))
