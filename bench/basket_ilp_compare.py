#!/usr/bin/python3
"""Times zorvane-cli basket against an integer-programming solver (CBC through
PuLP) on the very same goods, as whole processes run side by side, and checks
that both find the same cheapest total. Then times zorvane-cli alone on the
large instance and reports its peak memory.

    bench/basket_ilp_compare.py BUILD_DIR [RUNS]

Needs the Debian packages coinor-cbc and python3-pulp (not part of CI). Run
it with /usr/bin/python3, whose packages hold pulp.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time
from decimal import Decimal


def cents(text):
    return int(Decimal(text) * 100)


def solve_ilp(path, threshold):
    """Cheapest total >= threshold (cents) over the goods of a tsv file."""
    import pulp

    prices = {}
    with open(path, encoding="utf-8") as goods:
        for line in goods:
            fields = line.rstrip("\n").split("\t")
            prices[fields[0]] = cents(fields[2])  # the last sighting counts
    items = [(goods_id, price) for goods_id, price in prices.items() if price > 0]
    model = pulp.LpProblem("basket", pulp.LpMinimize)
    take = [pulp.LpVariable("x%d" % i, cat="Binary") for i in range(len(items))]
    total = pulp.lpSum(price * x for (_, price), x in zip(items, take))
    model += total
    model += total >= threshold
    model.solve(pulp.COIN_CMD(msg=False))
    return round(pulp.value(model.objective))


def run_timed(args):
    """Wall seconds, peak resident KiB and standard output of a child process."""
    start = time.perf_counter()
    child = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    out = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    seconds = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit("failed (%d): %s" % (child.returncode, " ".join(args)))
    return seconds, usage.ru_maxrss, out.decode()


def goods_file(build, count, folder):
    path = os.path.join(folder, "goods-%d.tsv" % count)
    with open(path, "wb") as out:
        subprocess.run([os.path.join(build, "bench", "basket_goods_tsv"), str(count)], stdout=out, check=True)
    return path


def main():
    if "--ilp" in sys.argv:
        print(solve_ilp(sys.argv[2], int(sys.argv[3])))
        return
    build = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    cli = os.path.join(build, "cli", "zorvane-cli")
    with tempfile.TemporaryDirectory() as folder:
        small = goods_file(build, 6000, folder)
        ours_args = [cli, "basket", "--threshold", "299", "--discount", "50", "--top", "5", small]
        ilp_args = [sys.executable, os.path.abspath(__file__), "--ilp", small, "29900"]
        ours, ilp = [], []
        for _ in range(runs):
            seconds, _, out = run_timed(ours_args)
            ours.append(seconds)
            ours_best = cents(out.split("\t")[1])
            seconds, _, out = run_timed(ilp_args)
            ilp.append(seconds)
            ilp_best = int(out)
        print("6,000 goods, 满299减50: zorvane-cli basket (K=5) median %.1f ms, CBC via PuLP (K=1) median %.1f ms,"
              " ratio %.0fx" % (statistics.median(ours) * 1e3, statistics.median(ilp) * 1e3,
                                statistics.median(ilp) / statistics.median(ours)))
        print("cheapest total: zorvane-cli %.2f, CBC %.2f -> %s" % (
            ours_best / 100, ilp_best / 100, "same" if ours_best == ilp_best else "DIFFERENT"))
        large = goods_file(build, 50000, folder)
        timings = [run_timed([cli, "basket", "--threshold", "2000", "--discount", "200", large])
                   for _ in range(runs)]
        print("50,000 goods, 满2000减200: zorvane-cli basket (K=5) median %.1f ms, peak memory %.1f MiB" % (
            statistics.median(t[0] for t in timings) * 1e3, max(t[1] for t in timings) / 1024))
        if ours_best != ilp_best:
            sys.exit(1)


if __name__ == "__main__":
    main()
