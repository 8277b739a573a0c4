#!/usr/bin/env python3
"""Fails when a file includes a header of a layer it may not use.

Each layer folder has a DEPS file naming the folders its files may include besides their own.
In framework/, rules/, engine/ and ui/, files outside a `win/` folder are portable: they include no Win32 header and nothing from a
`win/` folder, except inside an `#ifdef _WIN32` branch.

  check-layers.py [ROOT]           check the tree at ROOT (default: the repository)
  check-layers.py --planted [ROOT] check a copy with an upward include planted; succeeds only
                                   when the check catches it
"""
import os
import re
import shutil
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
WIN32_HEADERS = {
    'windows.h', 'winuser.h', 'winbase.h', 'winreg.h', 'commctrl.h', 'commdlg.h', 'shellapi.h',
    'shlobj.h', 'shobjidl.h', 'shlwapi.h', 'oleauto.h', 'ole2.h', 'objbase.h', 'tchar.h',
    'windowsx.h', 'uxtheme.h', 'dwmapi.h', 'psapi.h', 'tlhelp32.h', 'exdisp.h', 'shldisp.h',
}
SOURCES = ('.h', '.cpp')
PORTABLE_LAYERS = {'framework', 'rules', 'engine', 'ui'}


def layers(root):
    found = {}
    for name in sorted(os.listdir(root)):
        deps = os.path.join(root, name, 'DEPS')
        if os.path.isfile(deps):
            with open(deps) as f:
                found[name] = {w for line in f for w in line.split('#')[0].split()}
    return found


def win32_branch_lines(lines):
    """The numbers of the lines inside an `#ifdef _WIN32` branch (not its #else)."""
    inside, stack = set(), []
    for n, line in enumerate(lines):
        directive = line.strip()
        if re.match(r'#\s*if', directive):
            stack.append(bool(re.match(r'#\s*(ifdef\s+_WIN32|if\s+defined\(?_WIN32)', directive)))
        elif re.match(r'#\s*(else|elif)', directive) and stack:
            stack[-1] = False
        elif re.match(r'#\s*endif', directive) and stack:
            stack.pop()
        elif any(stack):
            inside.add(n)
    return inside


def check(root):
    allowed = layers(root)
    faults = []
    for layer, deps in allowed.items():
        for folder, _, files in os.walk(os.path.join(root, layer)):
            for name in sorted(files):
                if not name.endswith(SOURCES):
                    continue
                path = os.path.join(folder, name)
                rel = os.path.relpath(path, root)
                portable = layer in PORTABLE_LAYERS and 'win' not in rel.split(os.sep)[:-1]
                with open(path, encoding='utf-8') as f:
                    lines = f.read().splitlines()
                guarded = win32_branch_lines(lines)
                for n, line in enumerate(lines):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, target = m.groups()
                    where = f'{rel}:{n + 1}: '
                    top = target.split('/')[0]
                    if kind == '"' and '/' in target and top != layer and top not in deps:
                        faults.append(where + f'{layer}/ may not include {target} (DEPS: '
                                      + (' '.join(sorted(deps)) or 'nothing') + ')')
                    if portable and n not in guarded:
                        if kind == '"' and '/win/' in '/' + target:
                            faults.append(where + f'portable file includes Win32 header {target}')
                        if kind == '<' and target.lower() in WIN32_HEADERS:
                            faults.append(where + f'portable file includes <{target}>')
    return faults


def main(argv):
    planted = '--planted' in argv
    args = [a for a in argv if a != '--planted']
    root = os.path.abspath(args[0] if args else os.path.join(os.path.dirname(__file__), '..'))
    if not planted:
        faults = check(root)
        for fault in faults:
            print(fault)
        print(f'layers: {len(faults)} fault(s)')
        return 1 if faults else 0
    with tempfile.TemporaryDirectory() as copy:
        for layer in layers(root):
            shutil.copytree(os.path.join(root, layer), os.path.join(copy, layer))
        if check(copy):
            print('layers: the tree has faults before anything is planted')
            return 1
        with open(os.path.join(copy, 'engine', 'Match.h'), 'a') as f:
            f.write('#include "ui/win/QuellixDlg.h"\n')
        faults = check(copy)
        caught = any(fault.startswith(os.path.join('engine', 'Match.h')) and 'ui/win' in fault
                     for fault in faults)
        print('layers: the planted upward include was ' + ('caught' if caught else 'MISSED'))
        return 0 if caught else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
