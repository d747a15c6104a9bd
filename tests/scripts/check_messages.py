#!/usr/bin/env python3
"""Checks that every message of messages.txt appears in at least one .log expectation of the corpus."""
import os, re, sys

root = sys.argv[1]
patterns = [l.rstrip('\n') for l in open(os.path.join(root, 'messages.txt'), encoding='utf-8')
            if l.strip() and not l.startswith('#')]
lines = []
for folder, _, files in os.walk(root):
    for f in files:
        if f.endswith('.log'):
            lines += [l for l in open(os.path.join(folder, f), encoding='latin-1').read().split('\n') if l]
missing = []
for p in patterns:
    rx = re.compile('.*'.join(re.escape(part) for part in p.split('*')))
    if not any(rx.search(l) for l in lines):
        missing.append(p)
print('%d messages, %d expectation lines' % (len(patterns), len(lines)))
for p in missing:
    print('not covered:', p)
sys.exit(1 if missing else 0)
