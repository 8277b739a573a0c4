#!/usr/bin/env python3
"""The winget and Scoop manifests of a release, made from its files in dist/ and checked.

  manifests.py write DIST VERSION DOWNLOAD HOMEPAGE
  manifests.py check DIST VERSION [SCHEMAS]

write: DOWNLOAD is the address of the folder that holds a release's files, "$version" in it
standing for the version. Writes DIST/winget/manifests/v/Velmora/Quellix/VERSION/ (version,
en-US default locale, installer; schema 1.10.0) and DIST/scoop/quellix.json.
check: validates them against the official schemas (SCHEMAS, default packaging/schemas), the
rules the schemas do not express, and that every hash and product code is its file's.
"""
import hashlib
import json
import os
import subprocess
import sys
import zipfile

IDENTIFIER = "Velmora.Quellix"
MANIFEST_VERSION = "1.10.0"
ALIASES = {"Quellix.exe": "quellix", "quellix-rules.exe": "quellix-rules"}
ARCHES = {"x86": "32bit", "x64": "64bit"}
PERSIST = ("Quellix.ini", "Data.dat")
DESCRIPTION = "Closes the windows you no longer want to see, on request or by rules."


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest().upper()


def product_code(msi):
    out = subprocess.run(["msiinfo", "export", msi, "Property"], check=True,
                         capture_output=True, text=True).stdout
    for line in out.splitlines():
        name, _, value = line.rstrip("\r").partition("\t")
        if name == "ProductCode":
            return value
    raise SystemExit(f"manifests.py: {msi} has no ProductCode")


def programs(zip_path):
    with zipfile.ZipFile(zip_path) as z:
        return [n for n in z.namelist() if n in ALIASES]


def winget_folder(dist, version):
    return os.path.join(dist, "winget", "manifests", "v", "Velmora", "Quellix", version)


def scoop_file(dist):
    return os.path.join(dist, "scoop", "quellix.json")


def release_file(version, arch, ext):
    return f"Quellix-{version}-{arch}.{ext}"


def q(text):
    """A YAML scalar that every loader reads as this string."""
    return json.dumps(text)


def header(kind):
    return (f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}."
            f"{MANIFEST_VERSION}.schema.json\n")


def footer(kind):
    return f"ManifestType: {kind}\nManifestVersion: {MANIFEST_VERSION}\n"


def write(dist, version, download, homepage):
    url = download.replace("$version", version).rstrip("/")
    ident = f"PackageIdentifier: {IDENTIFIER}\nPackageVersion: {q(version)}\n"
    folder = winget_folder(dist, version)
    os.makedirs(folder, exist_ok=True)
    files = {}
    files["version"] = header("version") + ident + "DefaultLocale: en-US\n" + footer("version")
    files["locale.en-US"] = (
        header("defaultLocale") + ident + "PackageLocale: en-US\nPublisher: Velmora\n"
        f"PublisherUrl: {q(homepage)}\nPackageName: Quellix\nPackageUrl: {q(homepage)}\n"
        "License: Proprietary\n"
        f"ShortDescription: {q(DESCRIPTION)}\n"
        "Moniker: quellix\nTags:\n- windows\n- auto-close\n- tray\n" + footer("defaultLocale"))
    installers = ""
    for arch in ARCHES:
        z = release_file(version, arch, "zip")
        installers += (f"- Architecture: {arch}\n  InstallerType: zip\n"
                       "  NestedInstallerType: portable\n  NestedInstallerFiles:\n")
        for exe in programs(os.path.join(dist, z)):
            installers += (f"  - RelativeFilePath: {q(exe)}\n"
                           f"    PortableCommandAlias: {q(ALIASES[exe])}\n")
        installers += (f"  InstallerUrl: {q(url + '/' + z)}\n"
                       f"  InstallerSha256: {q(sha256(os.path.join(dist, z)))}\n")
    for arch in ARCHES:
        m = release_file(version, arch, "msi")
        installers += (f"- Architecture: {arch}\n  InstallerType: wix\n  Scope: machine\n"
                       f"  InstallerUrl: {q(url + '/' + m)}\n"
                       f"  InstallerSha256: {q(sha256(os.path.join(dist, m)))}\n"
                       f"  ProductCode: {q(product_code(os.path.join(dist, m)))}\n"
                       "  UpgradeBehavior: install\n")
    files["installer"] = (header("installer") + ident + "InstallerLocale: en-US\n"
                          "Installers:\n" + installers + footer("installer"))
    for kind, text in files.items():
        name = IDENTIFIER + ("" if kind == "version" else "." + kind) + ".yaml"
        with open(os.path.join(folder, name), "w", newline="\n") as f:
            f.write(text)

    template = download.rstrip("/")
    arch_entries, auto_entries = {}, {}
    for arch, scoop_arch in ARCHES.items():
        z = release_file(version, arch, "zip")
        arch_entries[scoop_arch] = {"url": f"{url}/{z}", "hash": sha256(os.path.join(dist, z)).lower()}
        auto_entries[scoop_arch] = {"url": f"{template}/{release_file('$version', arch, 'zip')}"}
    exes = programs(os.path.join(dist, release_file(version, "x64", "zip")))
    # Scoop keeps persisted files as hard links to its store; a save that replaces the file
    # breaks the link, so the files are copied back before an update removes the folder.
    keep = [f'if ((Test-Path "$dir\\{n}") -and (Get-Item "$dir\\{n}").LinkType -ne "HardLink") '
            f'{{ Copy-Item "$dir\\{n}" "$persist_dir\\{n}" -Force }}' for n in PERSIST]
    scoop = {
        "version": version,
        "description": DESCRIPTION,
        "homepage": homepage,
        "license": "Proprietary",
        "architecture": arch_entries,
        "bin": [[exe, ALIASES[exe]] for exe in exes],
        "shortcuts": [["Quellix.exe", "Quellix"]],
        "persist": list(PERSIST),
        # The empty Quellix.ini turns portable mode on; Data.dat starts as a file of no rules
        # (Scoop would make a folder of a persisted name that does not exist).
        "pre_install": [
            'if (!(Test-Path "$persist_dir\\Quellix.ini")) { New-Item "$dir\\Quellix.ini" -ItemType File | Out-Null }',
            'if (!(Test-Path "$persist_dir\\Data.dat")) { [IO.File]::WriteAllBytes("$dir\\Data.dat", [byte[]](0, 0, 0, 0)) }',
        ],
        "pre_uninstall": keep,
        "checkver": {"url": homepage, "regex": r"Quellix-([\d.]+)-x64\.zip"},
        "autoupdate": {"architecture": auto_entries},
    }
    os.makedirs(os.path.dirname(scoop_file(dist)), exist_ok=True)
    with open(scoop_file(dist), "w", newline="\n") as f:
        json.dump(scoop, f, indent=4)
        f.write("\n")


def string_loader():
    """YAML's safe loader without its number rules: versions and hashes stay strings."""
    import yaml

    class Loader(yaml.SafeLoader):
        pass

    Loader.yaml_implicit_resolvers = {
        first: [(tag, rx) for tag, rx in resolvers
                if tag not in ("tag:yaml.org,2002:int", "tag:yaml.org,2002:float")]
        for first, resolvers in yaml.SafeLoader.yaml_implicit_resolvers.items()
    }
    return Loader


def check(dist, version, schemas):
    import jsonschema
    import yaml

    problems = []
    loader = string_loader()

    def validate(document, schema_path, what):
        with open(schema_path) as f:
            schema = json.load(f)
        validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
        for e in sorted(validator.iter_errors(document), key=lambda e: list(e.path)):
            problems.append(f"{what}: {'/'.join(map(str, e.path))}: {e.message}")

    def same_file(url, expected_hash, what):
        name = url.rsplit("/", 1)[-1]
        path = os.path.join(dist, name)
        if not os.path.isfile(path):
            problems.append(f"{what}: {name} is not a release file")
            return None
        if sha256(path) != str(expected_hash).upper():
            problems.append(f"{what}: the hash of {name} is not the file's")
        return path

    folder = winget_folder(dist, version)
    docs = {}
    for kind, schema in (("version", "version"), ("locale.en-US", "defaultLocale"),
                         ("installer", "installer")):
        name = IDENTIFIER + ("" if kind == "version" else "." + kind) + ".yaml"
        try:
            with open(os.path.join(folder, name)) as f:
                docs[kind] = yaml.load(f, Loader=loader)
        except (OSError, yaml.YAMLError) as e:
            problems.append(f"{name}: {e}")
            continue
        validate(docs[kind], os.path.join(schemas, "winget-1.10.0",
                                          f"manifest.{schema}.{MANIFEST_VERSION}.json"), name)
        for key, want in (("PackageIdentifier", IDENTIFIER), ("PackageVersion", version),
                          ("ManifestVersion", MANIFEST_VERSION)):
            if docs[kind].get(key) != want:
                problems.append(f"{name}: {key} is {docs[kind].get(key)!r}, not {want!r}")
    if "version" in docs and "locale.en-US" in docs and \
            docs["version"].get("DefaultLocale") != docs["locale.en-US"].get("PackageLocale"):
        problems.append("the default locale's manifest is not the version's DefaultLocale")

    installer = docs.get("installer") or {}
    for i, entry in enumerate(installer.get("Installers") or []):
        what = f"installer {i + 1} ({entry.get('Architecture')} {entry.get('InstallerType')})"
        field = lambda key: entry.get(key, installer.get(key))  # noqa: E731
        kind, nested = field("InstallerType"), field("NestedInstallerType")
        if kind in ("zip",) and not (nested and field("NestedInstallerFiles")):
            problems.append(f"{what}: an archive needs NestedInstallerType and NestedInstallerFiles")
        portable = kind == "portable" or (kind == "zip" and nested == "portable")
        if portable and field("Scope"):
            problems.append(f"{what}: a portable package has no Scope")
        aliases = []
        for nested_file in field("NestedInstallerFiles") or []:
            path = nested_file.get("RelativeFilePath", "")
            if portable and not path.lower().endswith(".exe"):
                problems.append(f"{what}: the portable file {path} is not an .exe")
            if nested_file.get("PortableCommandAlias"):
                aliases.append(nested_file["PortableCommandAlias"].lower())
        if len(aliases) != len(set(aliases)):
            problems.append(f"{what}: a command alias is given twice")
        path = same_file(entry.get("InstallerUrl", ""), entry.get("InstallerSha256"), what)
        if path and kind == "zip":
            inside = set(programs(path))
            named = {f.get("RelativeFilePath") for f in field("NestedInstallerFiles") or []}
            if named - inside:
                problems.append(f"{what}: {sorted(named - inside)} not in the zip")
        if path and kind == "wix" and field("ProductCode") != product_code(path):
            problems.append(f"{what}: the ProductCode is not the package's")

    try:
        with open(scoop_file(dist)) as f:
            scoop = json.load(f)
    except (OSError, ValueError) as e:
        problems.append(f"quellix.json: {e}")
        scoop = None
    if scoop is not None:
        validate(scoop, os.path.join(schemas, "scoop", "schema.json"), "quellix.json")
        if scoop.get("version") != version:
            problems.append(f"quellix.json: version is {scoop.get('version')!r}")
        for arch, entry in (scoop.get("architecture") or {}).items():
            same_file(entry.get("url", ""), entry.get("hash", ""), f"quellix.json {arch}")
        if set(ARCHES.values()) - set(scoop.get("architecture") or {}):
            problems.append("quellix.json: an architecture is missing")

    for p in problems:
        print(f"     {p}", file=sys.stderr)
    return not problems


def main(argv):
    if len(argv) == 5 and argv[0] == "write":
        write(*argv[1:])
        return 0
    if len(argv) in (3, 4) and argv[0] == "check":
        root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        schemas = argv[3] if len(argv) == 4 else os.path.join(root, "packaging", "schemas")
        return 0 if check(argv[1], argv[2], schemas) else 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
