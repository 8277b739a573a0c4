#!/usr/bin/env python3
"""Checks the policy templates: check-policy.py FOLDER (Quellix.admx and en-US/Quellix.adml).

Both files are well-formed XML; every string and presentation the ADMX names exists in the
ADML; every text box of a presentation is an element of its policy; and the policies are the
key and value names that Quellix reads (ui/Policies.h).
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def program_names():
    """The key and the value names of ui/Policies.h."""
    with open(os.path.join(ROOT, "ui", "Policies.h")) as f:
        text = f.read()
    values = dict(re.findall(r'WCHAR16\* (k\w+) = _T\("([^"]*)"\)', text))
    key = values.pop("kKey").replace("\\\\", "\\")
    values.pop("kChangeArea", None)
    return key, set(values.values())


def check(folder):
    problems = []
    try:
        admx = ET.parse(os.path.join(folder, "Quellix.admx")).getroot()
        adml = ET.parse(os.path.join(folder, "en-US", "Quellix.adml")).getroot()
    except (OSError, ET.ParseError) as e:
        return [f"not well-formed: {e}"]
    strings = {s.get("id") for s in adml.iter(NS + "string")}
    presentations = {p.get("id"): p for p in adml.iter(NS + "presentation")}
    for element in admx.iter():
        for name, value in element.attrib.items():
            for kind, ident in re.findall(r"\$\((string|presentation)\.([^)]*)\)", value):
                if kind == "string" and ident not in strings:
                    problems.append(f"{name}: string {ident} is not in the ADML")
                if kind == "presentation" and ident not in presentations:
                    problems.append(f"{name}: presentation {ident} is not in the ADML")
    key, names = program_names()
    seen = set()
    for policy in admx.iter(NS + "policy"):
        if policy.get("key") != key:
            problems.append(f"policy {policy.get('name')}: key {policy.get('key')} is not {key}")
        ids = set()
        for element in policy.iter():
            if element.get("valueName"):
                seen.add(element.get("valueName"))
            if element.get("id"):
                ids.add(element.get("id"))
        ref = re.fullmatch(r"\$\(presentation\.([^)]*)\)", policy.get("presentation", ""))
        if ref and ref.group(1) in presentations:
            for box in presentations[ref.group(1)]:
                if box.get("refId") and box.get("refId") not in ids:
                    problems.append(f"presentation {ref.group(1)}: {box.get('refId')} is not an "
                                    f"element of policy {policy.get('name')}")
    if seen != names:
        problems.append(f"the templates set {sorted(seen)}, Quellix reads {sorted(names)}")
    return problems


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    found = check(sys.argv[1])
    for p in found:
        print(f"     {p}", file=sys.stderr)
    sys.exit(1 if found else 0)
