#!/usr/bin/env python3
"""Keeps the examples of docs/script-language.md and tests/scripts/examples/ the same, the script
blocks of docs/guide.md (each after a "File: PATH" line) the same as those files, and the guide's C++
blocks (after such a line too) word for word parts of theirs.

Each fenced "bs" block of the page, with the "out" block after it, is examples/example<N>.bs and .out
(an example that reports errors keeps its .log expectations beside them, written by hand).
  check_docs.py REPO          fails when they differ
  check_docs.py REPO --write  writes the example files from the page
"""
import os, re, sys

repo = sys.argv[1]
page = open(os.path.join(repo, 'docs', 'script-language.md'), encoding='utf-8').read()
pairs = re.findall(r'```bs\n(.*?)```\n```out\n(.*?)```', page, re.S)
folder = os.path.join(repo, 'tests', 'scripts', 'examples')
wanted = {}
for i, (script, out) in enumerate(pairs, 1):
    wanted['example%d.bs' % i] = script
    wanted['example%d.out' % i] = out
if '--write' in sys.argv:
    os.makedirs(folder, exist_ok=True)
    for name, text in wanted.items():
        open(os.path.join(folder, name), 'w', encoding='utf-8').write(text)
    sys.exit(0)
bad = []
have = {f for f in os.listdir(folder) if f.endswith(('.bs', '.out'))} if os.path.isdir(folder) else set()
for name, text in wanted.items():
    path = os.path.join(folder, name)
    if not os.path.exists(path) or open(path, encoding='utf-8').read() != text:
        bad.append(name + ' differs from the page')
bad += [name + ' is not on the page' for name in sorted(have - set(wanted))]
guide = open(os.path.join(repo, 'docs', 'guide.md'), encoding='utf-8').read()
files = re.findall(r'File: (\S+)\n```bs\n(.*?)```', guide, re.S)
for path, text in files:
    full = os.path.join(repo, path)
    if not os.path.exists(full) or open(full, encoding='utf-8').read() != text:
        bad.append('docs/guide.md: the block of ' + path + ' differs from the file')
excerpts = re.findall(r'File: (\S+)\n```cpp\n(.*?)```', guide, re.S)
for path, text in excerpts:
    full = os.path.join(repo, path)
    if not os.path.exists(full) or text not in open(full, encoding='utf-8').read():
        bad.append('docs/guide.md: a C++ block is not part of ' + path)
print('%d examples, %d guide files, %d C++ excerpts' % (len(pairs), len(files), len(excerpts)))
for b in bad:
    print(b)
sys.exit(1 if bad else 0)
