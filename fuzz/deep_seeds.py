#!/usr/bin/env python3
"""Writes seed scripts that nest every construct of the script language just past its depth limit and
chain operators far past where one call per operand would have run out of stack, as text (.bs) for
the text target and with the mode byte in front for the parser target. Usage: deep_seeds.py TARGET DIR"""
import os, sys

LEVELS = 2100   # past the limit of 2000 levels
OPERANDS = 30000

SEEDS = {
    'groups': 'p ' + '(' * LEVELS + '1' + ')' * LEVELS + ';',
    'prefix': 'p ' + '- ' * LEVELS + '1;',
    'arrays': 'p ' + '[' * LEVELS + '1' + ']' * LEVELS + ';',
    'hashes': 'p ' + '{.a ' * LEVELS + '1' + '}' * LEVELS + ';',
    'boxes': 'p ' + '@(' * LEVELS + '1' + ')' * LEVELS + ';',
    'calls': 'p ' + 'Sqrt(' * LEVELS + '1.0' + ')' * LEVELS + ';',
    'blocks': 'if True { ' * LEVELS + 'p 1;' + ' };' * LEVELS,
    'skipped': 'if False { ' + '{' * LEVELS + '}' * LEVELS + ' };',
    'members': 'class N . { .Next Nil; }; N:a.Next N:a; p N:a' + '.Next?' * LEVELS + ';',
    'chain': 'pl ' + '+'.join(['1'] * OPERANDS) + ';',
    'mixed': 'pl 0' + ' + 2 * 3 - 5' * (OPERANDS // 4) + ' < 9 == True;',
}


def main():
    target, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    for name, text in SEEDS.items():
        data = text.encode()
        if target == 'script_parser':
            data = b'0' + data  # an even first byte picks text
        elif target != 'script_text':
            return
        with open(os.path.join(out, 'deep_' + name), 'wb') as f:
            f.write(data)


main()
