#!/usr/bin/env python3
"""Times whole launcher starts under Wine against their yardsticks, pair by pair in each round:
a start with every file right against native `rsync -a -c --delete` of the same files, a start
into an empty folder against native `tar --zstd -xf` of them, and both against the floor (a
program with the launcher's imports that only starts the same child). Prints table rows: each
figure as median, minimum and maximum of the rounds, each ratio taken within a round. Fails when
a start does not end with exit code 0, leaves the folder unlike the payload, or a start with every
file right changes a modification time."""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time


def run(command, cwd=None):
    """Runs command; returns (milliseconds, peak resident KiB, exit status)."""
    start = time.perf_counter()
    process = subprocess.Popen(command, cwd=cwd, stdin=subprocess.DEVNULL)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = (time.perf_counter() - start) * 1000
    process.returncode = os.waitstatus_to_exitcode(status)
    return elapsed, usage.ru_maxrss, process.returncode


def wait_for_children(marker=b"Nimbrel.exe", limit=5.0):
    """Waits until no process of this Wine prefix names the child on its command line, so that
    a child still starting does not load the next timed run. Other prefixes' programs (other
    users of the machine) are not waited for."""
    prefix = b"WINEPREFIX=" + os.environ.get("WINEPREFIX", "").encode()
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        busy = False
        for pid in os.listdir("/proc"):
            if not pid.isdigit() or int(pid) == os.getpid():
                continue
            try:
                with open(f"/proc/{pid}/cmdline", "rb") as f:
                    if marker not in f.read():
                        continue
                with open(f"/proc/{pid}/environ", "rb") as f:
                    busy = prefix in f.read().split(b"\0")
            except OSError:
                continue
            if busy:
                break
        if not busy:
            return
        time.sleep(0.005)


def checked(what, result):
    wait_for_children()
    if result[2] != 0:
        sys.exit(f"whole process: {what} ended with {result[2]}")
    return result


def snapshot(folder):
    """Relative path -> (size, modification time in ns) of every file below folder."""
    files = {}
    for base, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(base, name)
            info = os.stat(path)
            files[os.path.relpath(path, folder)] = (info.st_size, info.st_mtime_ns)
    return files


def row(what, values, unit, goal=""):
    digits = 2 if unit == "ratio" else 1
    print(f"| {what} | {statistics.median(values):.{digits}f} | {min(values):.{digits}f} | "
          f"{max(values):.{digits}f} | {unit} | {goal} |")


def ratio_row(what, values, goal):
    met = "met" if statistics.median(values) <= goal else "not met"
    row(what, values, "ratio", f"<= {goal:.2f}: {met}")


def best_row(what, starts, floors, yardsticks, goal):
    """The ratio from the fastest run of each: other jobs on the machine only ever add time, so
    the minimum is the figure they disturb least."""
    value = (min(starts) - min(floors)) / min(yardsticks)
    met = "met" if value <= goal else "not met"
    print(f"| {what} | {value:.2f} | | | ratio | <= {goal:.2f}: {met} |")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--wine", required=True, help="Wine loader")
    parser.add_argument("--launcher", required=True)
    parser.add_argument("--floor", required=True)
    parser.add_argument("--payload", required=True, help="the folder the launcher carries")
    parser.add_argument("--workdir", required=True, help="the launcher's working folder")
    parser.add_argument("--child", required=True, help="Windows path of Nimbrel.exe in it")
    parser.add_argument("--scratch", required=True, help="folder for the yardsticks' copies")
    parser.add_argument("--rounds", type=int, default=11)
    parser.add_argument("--label", default="", help="put before every figure's name")
    args = parser.parse_args()

    label = args.label
    rsync_copy = os.path.join(args.scratch, "rsync")
    tar_copy = os.path.join(args.scratch, "tar")
    archive = os.path.join(args.scratch, "payload.tar.zst")
    os.makedirs(args.scratch, exist_ok=True)
    subprocess.run(["tar", "--zstd", "-cf", archive, "-C", args.payload, "."], check=True)
    payload_bytes = sum(size for size, _ in snapshot(args.payload).values())
    image_bytes = os.path.getsize(args.launcher)
    rsync = ["rsync", "-a", "-c", "--delete", args.payload + "/", rsync_copy + "/"]
    launcher = [args.wine, args.launcher]
    floor = [args.wine, args.floor, args.child]

    # One untimed start of each, so that every timed start finds the folder and caches warm.
    shutil.rmtree(args.workdir, ignore_errors=True)
    checked("the launcher", run(launcher))
    checked("rsync", run(rsync))
    checked("the floor", run(floor))
    expected = {path: size for path, (size, _) in snapshot(args.payload).items()}
    found = {path: size for path, (size, _) in snapshot(args.workdir).items()}
    if found != expected:
        sys.exit("whole process: the working folder differs from the payload after a start")

    figures = {name: [] for name in (
        "warm", "warm floor", "rsync", "first", "first floor", "tar", "warm ratio",
        "first ratio", "first peak", "warm peak", "floor peak", "warm own", "first own")}
    for round_index in range(args.rounds):
        before = snapshot(args.workdir)
        # The three of a pair run back to back, in an order that turns each round.
        warm_runs = [("warm", launcher, None), ("warm floor", floor, None), ("rsync", rsync, None)]
        shift = round_index % 3
        results = {}
        for name, command, _ in warm_runs[shift:] + warm_runs[:shift]:
            results[name] = checked(name, run(command))
        if snapshot(args.workdir) != before:
            sys.exit("whole process: a start with every file right changed the folder")

        first_runs = ["first", "first floor", "tar"]
        for name in first_runs[shift:] + first_runs[:shift]:
            if name == "first":
                shutil.rmtree(args.workdir)
                results[name] = checked(name, run(launcher))
            elif name == "tar":
                shutil.rmtree(tar_copy, ignore_errors=True)
                os.makedirs(tar_copy)
                results[name] = checked(name, run(["tar", "--zstd", "-xf", archive, "-C",
                                                   tar_copy]))
            else:
                results[name] = checked(name, run(floor))
        for name in ("warm", "warm floor", "rsync", "first", "first floor", "tar"):
            figures[name].append(results[name][0])
        figures["warm own"].append(results["warm"][0] - results["warm floor"][0])
        figures["first own"].append(results["first"][0] - results["first floor"][0])
        figures["warm ratio"].append(figures["warm own"][-1] / results["rsync"][0])
        figures["first ratio"].append(figures["first own"][-1] / results["tar"][0])
        figures["first peak"].append(results["first"][1] / 1024)
        figures["warm peak"].append(results["warm"][1] / 1024)
        figures["floor peak"].append(results["first floor"][1] / 1024)

    row(f"{label}start, every file right", figures["warm"], "ms")
    row(f"{label}floor (same imports, starts the same child)", figures["warm floor"], "ms")
    row(f"{label}launcher's own work, warm (start minus floor)", figures["warm own"], "ms")
    row(f"{label}native `rsync -a -c --delete`, same files, warm", figures["rsync"], "ms")
    ratio_row(f"{label}warm: (start - floor) / rsync", figures["warm ratio"], 0.3)
    best_row(f"{label}warm, fastest runs: (start - floor) / rsync", figures["warm"],
             figures["warm floor"], figures["rsync"], 0.3)
    row(f"{label}start, empty folder", figures["first"], "ms")
    row(f"{label}floor, in the same pairs", figures["first floor"], "ms")
    row(f"{label}launcher's own work, first (start minus floor)", figures["first own"], "ms")
    row(f"{label}native `tar --zstd -xf`, same files, first", figures["tar"], "ms")
    ratio_row(f"{label}first: (start - floor) / tar", figures["first ratio"], 0.6)
    best_row(f"{label}first, fastest runs: (start - floor) / tar", figures["first"],
             figures["first floor"], figures["tar"], 0.6)
    row(f"{label}peak memory, first start", figures["first peak"], "MiB")
    row(f"{label}peak memory, warm start", figures["warm peak"], "MiB")
    row(f"{label}peak memory, floor", figures["floor peak"], "MiB")
    bound = (payload_bytes + image_bytes) / 2**20 + 4
    extra = [a - b for a, b in zip(figures["first peak"], figures["floor peak"])]
    met = "met" if statistics.median(extra) <= bound else "not met"
    row(f"{label}peak memory, first start minus floor", extra, "MiB",
        f"<= {bound:.1f} (payload + image + 4 MiB): {met}")
    sys.stdout.flush()


if __name__ == "__main__":
    main()
