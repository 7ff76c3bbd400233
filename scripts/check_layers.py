#!/usr/bin/env python3
# The folders' include graph: each source folder's includes of other folders
# must follow its CMake target's link dependencies, and the graph has no cycle.
import os, re, subprocess, sys

root = subprocess.check_output(['git', 'rev-parse', '--show-toplevel']).decode().strip()
os.chdir(root)
files = subprocess.check_output(['git', 'ls-files', '*.cpp', '*.h']).decode().split()
folders = sorted({f.split('/')[0] for f in files if '/' in f} - {'tests', 'bench', 'fuzz', 'docs'})
graph = {d: set() for d in folders}
for f in files:
    top = f.split('/')[0]
    if top not in graph:
        continue
    for inc in re.findall(r'#include "([a-z_]+)/', open(f, encoding='utf-8').read()):
        if inc != top and inc in graph:
            graph[top].add(inc)

def links(folder):
    text = open(os.path.join(folder, 'CMakeLists.txt'), encoding='utf-8').read()
    return {d for d in folders if re.search(r'\bzorvane_%s\b' % d, text) and d != folder}

reach = {d: links(d) for d in folders}
changed = True
while changed:
    changed = False
    for d in folders:
        more = set().union(*[reach[x] for x in reach[d]]) - reach[d] - {d}
        if more:
            reach[d] |= more
            changed = True
bad = [(d, x) for d in folders for x in sorted(graph[d]) if x not in reach[d]]
for d, x in bad:
    print('%s/ includes %s/ without linking it' % (d, x))
state = {}
def visit(d, path):
    state[d] = 1
    for x in graph[d]:
        if state.get(x) == 1:
            print('include cycle: ' + ' -> '.join(path[path.index(x):] + [x]))
            return True
        if x not in state and visit(x, path + [x]):
            return True
    state[d] = 2
    return False
cycle = any(visit(d, [d]) for d in folders if d not in state)
for d in folders:
    print('%-9s -> %s' % (d, ' '.join(sorted(graph[d])) or '-'))
sys.exit(1 if bad or cycle else 0)
