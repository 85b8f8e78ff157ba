"""Tabulates the whole frame (physics and drawing) from one or more runs of
brivolt_whole_frame, side by side, and plots it stacked against the ball count."""

import csv
import sys


def read(path):
    with open(path) as f:
        return {int(row["balls"]): {k: float(v) for k, v in row.items()} for row in csv.DictReader(f)}


DRAWING = ["clear", "discs", "walls", "texts", "pointer", "copy"]


def drawing(row):
    return sum(row[step] for step in DRAWING)


def machine():
    with open("/proc/cpuinfo") as cpuinfo:
        names = [line.split(":", 1)[1].strip() for line in cpuinfo if line.startswith("model name")]
    return f"{names[0] if names else 'unknown processor'}, {len(names)} cores, Xvfb"


def table(runs):
    figures = {
        "physics ms": lambda r: f"{r['physics']:.2f}",
        "drawing ms": lambda r: f"{drawing(r):.2f}",
        "frames a second": lambda r: f"{1000 / (r['physics'] + drawing(r)):.0f}",
        "drawing / plain drawing": lambda r: f"{drawing(r) / r['plain drawing']:.2f}",
        "µs a disc": lambda r: f"{1000 * r['discs'] / r['on screen']:.3f}",
        "copy ms": lambda r: f"{r['copy']:.2f}",
    }
    print(machine())
    print(" | ".join(["balls"] + list(figures)))
    for balls in sorted(runs[0]):
        cells = [", ".join(f(run[balls]) for run in runs) for f in figures.values()]
        print(" | ".join([f"{balls:,}"] + cells))


def plot(runs, output):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    run = runs[0]
    counts = sorted(run)
    places = range(len(counts))
    layers = [("physics", [run[b]["physics"] for b in counts])]
    layers.append(("discs", [run[b]["discs"] for b in counts]))
    layers.append(("copy to the window", [run[b]["copy"] for b in counts]))
    others = ["clear", "walls", "texts", "pointer"]
    layers.append(("clear, walls, texts, pointer", [sum(run[b][k] for k in others) for b in counts]))
    figure, axis = plt.subplots(figsize=(8, 4.5))
    bottom = [0.0] * len(counts)
    for label, values in layers:
        axis.bar(places, values, 0.35, bottom=bottom, label=label)
        bottom = [a + b for a, b in zip(bottom, values)]
    plain = [run[b]["physics"] + run[b]["plain drawing"] for b in counts]
    axis.bar([p + 0.38 for p in places], plain, 0.35, color="lightgrey", label="physics + plain drawing")
    axis.set_xticks([p + 0.19 for p in places], [f"{b:,}" for b in counts])
    axis.set(xlabel="balls (the long game)", ylabel="ms a frame")
    axis.legend(fontsize=8)
    axis.set_title(machine(), fontsize=9)
    figure.tight_layout()
    figure.savefig(output, dpi=100)


if __name__ == "__main__":
    output, paths = sys.argv[1], sys.argv[2:]
    runs = [read(path) for path in paths]
    table(runs)
    plot(runs, output)
