#!/usr/bin/env python3
"""Checks a release folder made by scripts/package.sh: the zip holds the exe, the guide and the
licence; the exe, the zip's name, SHA256SUMS, the winget manifests and the Scoop manifest all
name the project's version and the zip's hash; the winget manifests carry what the schema
requires (winget-required-fields.txt); and, given a second build's folder, that every file of
the two is the same byte for byte."""
import argparse
import filecmp
import hashlib
import json
import os
import re
import sys
import zipfile

import yaml

import make_package
import version_resource

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
failures = []
passes = 0


def check(condition, what):
    global passes
    print(("ok   " if condition else "FAIL ") + what)
    if condition:
        passes += 1
    else:
        failures.append(what)


def project_version():
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        return re.search(r"project\(quillon VERSION ([0-9.]+)", f.read()).group(1)


def license_copyright():
    with open(os.path.join(ROOT, "LICENSE"), encoding="utf-8") as f:
        return next(line.strip() for line in f if line.startswith("Copyright "))


def required_fields():
    """[(manifest type, [alternative paths], rule or None)] from winget-required-fields.txt."""
    rules = []
    with open(os.path.join(HERE, "winget-required-fields.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            kind, rest = line.split(None, 1)
            match = re.match(r"(.+?)\s+([=~])\s+(.*)$", rest)
            fields, rule = (match.group(1), (match.group(2), match.group(3))) if match \
                else (rest, None)
            rules.append((kind, [p.strip() for p in fields.split("|")], rule))
    return rules


def values_at(document, path):
    """The values at a path such as "Installers[].InstallerUrl": None when a required one is
    missing (from the document, or from any element of the list)."""
    head, _, tail = path.partition("[].")
    if not tail:
        value = document.get(head)
        return None if value is None or value == "" or value == [] else [value]
    items = document.get(head)
    if items is None:
        return None
    found = []
    for item in items:
        value = item.get(tail) if isinstance(item, dict) else None
        if value is None or value == "":
            return None
        found.append(value)
    return found


def problems(document, kind, rules):
    """What the document lacks or holds wrongly, by the rules for its kind."""
    wrong = []
    for rule_kind, paths, rule in rules:
        if rule_kind != kind:
            continue
        # For "A | B" the first path present counts; a list that is absent only matters when
        # it is the field itself ("NestedInstallerFiles[]..." needs no list, "Installers" does).
        values = next((v for v in (values_at(document, p) for p in paths) if v is not None), None)
        if values is None:
            optional_list = len(paths) == 1 and "[]." in paths[0] and \
                document.get(paths[0].split("[].")[0]) is None
            if not optional_list:
                wrong.append(f"{' | '.join(paths)} missing")
            continue
        for value in values:
            text = str(value)
            if rule and rule[0] == "=" and text != rule[1]:
                wrong.append(f"{paths[0]} is {text!r}, not {rule[1]!r}")
            if rule and rule[0] == "~" and not re.search(rule[1], text):
                wrong.append(f"{paths[0]} {text!r} does not match {rule[1]}")
    return wrong


def check_zip(dist, version, exe_path):
    name = make_package.zip_name(version)
    zip_path = os.path.join(dist, name)
    check(os.path.isfile(zip_path), f"{name} named for the version {version}")
    if not os.path.isfile(zip_path):
        return None, None
    with zipfile.ZipFile(zip_path) as archive:
        infos = archive.infolist()
        names = [i.filename for i in infos]
        check(names == sorted([make_package.EXE_NAME, make_package.GUIDE_NAME,
                               make_package.LICENSE_NAME]),
              "the zip holds exactly the exe, the guide and the licence, sorted: " +
              ", ".join(names))
        check(len({i.date_time for i in infos}) == 1 and
              all(i.external_attr == 0o100644 << 16 for i in infos),
              "one time and rw-r--r-- for every entry")
        contents = {n: archive.read(n) for n in names}
    exe = contents.get(make_package.EXE_NAME, b"")
    with open(exe_path, "rb") as f:
        check(exe == f.read(), "the zip's exe is the one built")
    resource = version_resource.read(exe) if exe else {}
    check(resource.get("ProductVersion") == version and
          resource.get("fixed product version") == version,
          f"the exe's version resource names {version}")
    check(resource.get("LegalCopyright") == license_copyright(),
          "the exe's copyright is the licence's: " + license_copyright())
    with open(os.path.join(ROOT, "LICENSE"), "rb") as f:
        check(contents.get(make_package.LICENSE_NAME) == f.read(), "the licence is LICENSE")
    guide = contents.get(make_package.GUIDE_NAME, b"").decode("utf-8")
    with open(os.path.join(ROOT, "docs", "guide.zh-CN.md"), encoding="utf-8") as f:
        pictures = len(re.findall(r"!\[[^\]]*\]\(", f.read()))
    shown = re.findall(r'<img [^>]*src="([^"]*)"', guide)
    check(len(shown) == pictures and all(s.startswith("data:image/png;base64,") for s in shown),
          f"the guide page holds its {pictures} pictures itself")
    with open(zip_path, "rb") as f:
        return name, hashlib.sha256(f.read()).hexdigest()


def check_winget(dist, version, name, digest, rules):
    info = make_package.release_info()
    ident = info["identifier"]
    publisher, package = ident.split(".", 1)
    folder = os.path.join(dist, "winget", "manifests", publisher[0].lower(), publisher, package,
                          version)
    files = {"version": f"{ident}.yaml", "installer": f"{ident}.installer.yaml",
             "defaultLocale": f"{ident}.locale.{info['locale']}.yaml"}
    check(sorted(os.listdir(folder)) == sorted(files.values()) if os.path.isdir(folder) else False,
          f"winget: the three files in {os.path.relpath(folder, dist)}")
    documents = {}
    for kind, file_name in files.items():
        path = os.path.join(folder, file_name)
        if not os.path.isfile(path):
            continue
        with open(path, encoding="utf-8") as f:
            documents[kind] = yaml.safe_load(f)
        wrong = problems(documents[kind], kind, rules)
        check(not wrong, f"winget {kind}: the schema's required fields" +
              ("" if not wrong else ": " + "; ".join(wrong)))
        check(documents[kind].get("PackageVersion") == version and
              documents[kind].get("PackageIdentifier") == ident,
              f"winget {kind}: {ident} {version}")
    installer = documents.get("installer", {})
    entries = installer.get("Installers") or [{}]
    check(len(entries) == 1 and entries[0].get("InstallerSha256", "").lower() == digest,
          "winget installer: the zip's hash")
    check(entries[0].get("Architecture") == "x64" and
          entries[0].get("InstallerUrl", "").endswith("/" + name),
          "winget installer: x64, the zip's address")
    check(installer.get("InstallerType") == "zip" and
          installer.get("NestedInstallerType") == "portable" and
          installer.get("NestedInstallerFiles") ==
          [{"RelativeFilePath": make_package.EXE_NAME, "PortableCommandAlias": "quillon"}],
          "winget installer: a portable quillon.exe in a zip, called as quillon")
    check(documents.get("version", {}).get("DefaultLocale") ==
          documents.get("defaultLocale", {}).get("PackageLocale"),
          "winget: the default locale has its file")
    return entries[0].get("InstallerUrl")


def check_scoop(dist, version, digest, url):
    path = os.path.join(dist, "scoop", "quillon.json")
    with open(path, encoding="utf-8") as f:
        scoop = json.load(f)
    x64 = scoop.get("architecture", {}).get("64bit", {})
    check(scoop.get("version") == version and x64.get("hash") == digest and
          x64.get("url") == url,
          "scoop: the version, the zip's hash and the winget manifest's address")
    check(all(scoop.get(k) for k in ("description", "homepage", "license")) and
          scoop.get("bin") == make_package.EXE_NAME,
          "scoop: description, homepage, licence, bin quillon.exe")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--dist", required=True)
    parser.add_argument("--exe", required=True, help="the exe the package was made from")
    parser.add_argument("--again", help="a second build's release folder, to compare")
    args = parser.parse_args()
    version = project_version()
    rules = required_fields()

    # The validator itself: a manifest that lacks any one required field is refused.
    sample = {"PackageIdentifier": "A.B", "PackageVersion": "1", "DefaultLocale": "zh-CN",
              "ManifestType": "version", "ManifestVersion": "1.6.0"}
    check(not problems(sample, "version", rules) and
          all(problems({k: v for k, v in sample.items() if k != field}, "version", rules)
              for field in sample),
          "the validator refuses a version manifest without any one required field")

    name, digest = check_zip(args.dist, version, args.exe)
    if name:
        with open(os.path.join(args.dist, "SHA256SUMS"), encoding="ascii") as f:
            check(f.read() == f"{digest}  {name}\n", "SHA256SUMS: the zip's hash and name")
        url = check_winget(args.dist, version, name, digest, rules)
        check_scoop(args.dist, version, digest, url)
    if args.again:
        compared = filecmp.dircmp(args.dist, args.again)

        def differences(c):
            found = c.left_only + c.right_only + c.diff_files + c.funny_files
            # dircmp compares by size and time only when asked shallowly; compare contents.
            found += [f for f in c.same_files
                      if not filecmp.cmp(os.path.join(c.left, f), os.path.join(c.right, f),
                                         shallow=False)]
            for sub in c.subdirs.values():
                found += differences(sub)
            return found

        different = differences(compared)
        check(not different, "built again from nothing in another folder: the same bytes" +
              ("" if not different else "; differs: " + ", ".join(different)))
    print(f"{passes} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
