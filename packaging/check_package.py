#!/usr/bin/env python3
"""Checks a release folder made by scripts/package.sh: the zip holds the exe, the guide and the
licence; the guide's page shows every list and code block of its Markdown as written; the exe,
the zip's name, SHA256SUMS, the winget manifests and the Scoop manifest all name the project's
version, the zip's hash, the release address and one publisher; the winget manifests carry what
the schema requires (winget-required-fields.txt) and the Scoop manifest an autoupdate that finds
this release's zip and hash; a placeholder address only in a draft; and, given a second build's
folder, that every file of the two is the same byte for byte."""
import argparse
import filecmp
import hashlib
import html.parser
import json
import os
import re
import sys
import zipfile

import markdown
import yaml

import make_package
import release_address
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


class GuidePage(html.parser.HTMLParser):
    """What a reader of the page sees: the number shown before each numbered item, in reading
    order, the text of each code block, and code fences left standing as text."""

    def __init__(self):
        super().__init__()
        self.lists = []  # [tag, the next item's number], innermost last
        self.numbers = []
        self.blocks = []
        self.in_block = 0
        self.stray_fences = []

    def handle_starttag(self, tag, attrs):
        if tag in ("ol", "ul"):
            self.lists.append([tag, int(dict(attrs).get("start") or 1)])
        elif tag == "li" and self.lists and self.lists[-1][0] == "ol":
            self.numbers.append(self.lists[-1][1])
            self.lists[-1][1] += 1
        elif tag == "pre":
            self.in_block += 1
            self.blocks.append("")

    def handle_endtag(self, tag):
        if tag in ("ol", "ul") and self.lists:
            self.lists.pop()
        elif tag == "pre":
            self.in_block -= 1

    def handle_data(self, data):
        if self.in_block:
            self.blocks[-1] += data
        elif "```" in data or "~~~" in data:
            self.stray_fences.append(data.strip()[:60])


def page_problems(source, page):
    """Where the page shows the Markdown otherwise than written: a numbered item numbered
    otherwise, a fenced block that is not a code block of its own (the renderer takes a fence
    inside a list item for text, and the list after it starts again at 1)."""
    numbers, fenced, fence = [], [], None
    for line in source.splitlines():
        stripped = line.strip()
        if fence is not None:
            if stripped.startswith(fence):
                fence = None
            elif stripped and not fenced[-1]:
                fenced[-1] = stripped
            continue
        if stripped.startswith(("```", "~~~")):
            fence = stripped[:3]
            fenced.append("")
            continue
        match = re.match(r"\s*([0-9]+)\.\s", line)
        if match:
            numbers.append(int(match.group(1)))
    shown = GuidePage()
    shown.feed(page)
    wrong = []
    if shown.numbers != numbers:
        wrong.append(f"numbered items written {numbers}, shown {shown.numbers}")
    lines = {line.strip() for block in shown.blocks for line in block.splitlines()}
    wrong += [f"fenced block {first!r} is not a code block" for first in fenced
              if first and first not in lines]
    wrong += [f"a fence shown as text: {text!r}" for text in shown.stray_fences]
    return wrong


def check_guide_page(page):
    with open(os.path.join(ROOT, "docs", "guide.zh-CN.md"), encoding="utf-8") as f:
        source = f.read()
    # The checker itself: a fence inside a numbered item is caught.
    swallowed = "1. one\n2. two:\n\n   ```\n   Get-FileHash x\n   ```\n\n3. three\n"
    check(len(page_problems(swallowed, make_package.render_markdown(swallowed))) >= 2 and
          not page_problems("1. one\n2. two\n\n```\nx\n```\n",
                            make_package.render_markdown("1. one\n2. two\n\n```\nx\n```\n")),
          "the guide's check finds a fenced block swallowed into a numbered item")
    wrong = page_problems(source, page)
    check(not wrong, "the guide's page shows its numbered lists and code blocks as written" +
          ("" if not wrong else ": " + "; ".join(wrong)))


def scoop_substitute(text, values):
    # Longest name first, so that $basename does not eat $basenameNoExt.
    for name in sorted(values, key=len, reverse=True):
        text = text.replace(name, values[name])
    return text


def scoop_autoupdate_problems(scoop, version, sums_url, sums_text):
    """What would keep Scoop's checkver and autoupdate from finding this version, its zip and
    the zip's hash in SHA256SUMS, done as Scoop does it: $version in the address, $baseurl (the
    zip's folder) and $basename (its name) in the hash file's address and regex, $sha256 a group
    of 64 hexadecimal digits, matched without regard to case."""
    wrong = []
    x64 = scoop.get("architecture", {}).get("64bit", {})
    url = x64.get("url", "")
    auto = scoop.get("autoupdate", {}).get("architecture", {}).get("64bit", {})
    if scoop_substitute(auto.get("url", ""), {"$version": version}) != url:
        wrong.append(f"autoupdate's address {auto.get('url')!r} does not give {url}")
    base, _, basename = url.rpartition("/")
    names = {"$url": url, "$baseurl": base, "$basename": basename}
    hash_rule = auto.get("hash") or {}
    if scoop_substitute(hash_rule.get("url", ""), names) != sums_url:
        wrong.append(f"autoupdate's hash address {hash_rule.get('url')!r} is not {sums_url}")
    pattern = scoop_substitute(hash_rule.get("regex", ""), {"$sha256": "([a-fA-F0-9]{64})"})
    pattern = scoop_substitute(pattern, {k: re.escape(v) for k, v in names.items()})
    found = re.search(pattern, sums_text, re.IGNORECASE) if pattern else None
    if not found or found.group(1).lower() != x64.get("hash"):
        wrong.append(f"autoupdate's hash regex {hash_rule.get('regex')!r} does not find the "
                     f"zip's hash in SHA256SUMS")
    checkver = scoop.get("checkver") or {}
    found = re.search(checkver.get("regex", "^$"), basename)
    if checkver.get("url") != scoop.get("homepage") or not found or found.group(1) != version:
        wrong.append(f"checkver {checkver} does not read {version} from the home page's link "
                     f"to {basename}")
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
    address = release_address.address(make_package.release_info(), os.environ)[0]
    check(address.encode("utf-16-le") in exe,
          f"the exe shows the release's address {address} (help window, About box)")
    check(resource.get("LegalCopyright") == license_copyright(),
          "the exe's copyright is the licence's: " + license_copyright())
    publisher = make_package.release_info()["publisher"]
    check(resource.get("CompanyName") == publisher and license_copyright().endswith(publisher),
          f"the exe's company and the licence's holder are the publisher, {publisher}")
    with open(os.path.join(ROOT, "LICENSE"), "rb") as f:
        license_text = f.read()
    check(contents.get(make_package.LICENSE_NAME) == license_text, "the licence is LICENSE")
    with open(os.path.join(dist, make_package.LICENSE_NAME), "rb") as f:
        check(f.read() == license_text, f"{make_package.LICENSE_NAME} beside the zip is LICENSE")
    guide = contents.get(make_package.GUIDE_NAME, b"").decode("utf-8")
    with open(os.path.join(ROOT, "docs", "guide.zh-CN.md"), encoding="utf-8") as f:
        pictures = len(re.findall(r"!\[[^\]]*\]\(", f.read()))
    shown = re.findall(r'<img [^>]*src="([^"]*)"', guide)
    check(len(shown) == pictures and all(s.startswith("data:image/png;base64,") for s in shown),
          f"the guide page holds its {pictures} pictures itself")
    check_guide_page(guide)
    with open(zip_path, "rb") as f:
        return name, hashlib.sha256(f.read()).hexdigest()


def check_winget(dist, version, name, digest, rules, address, note):
    info = make_package.release_info()
    folder_url = make_package.release_folder(address, version)
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
            text = f.read()
        documents[kind] = yaml.safe_load(text)
        first = text.split("\n", 1)[0]
        check(first == f"# {note}" if note else not first.startswith("# Draft"),
              f"winget {kind}: " + ("marked as a draft" if note else "not marked as a draft"))
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
          entries[0].get("InstallerUrl") == f"{folder_url}/{name}",
          f"winget installer: x64, the zip's address {folder_url}/{name}")
    check(installer.get("MinimumOSVersion") == info["minimum_os"],
          f"winget installer: the oldest Windows it runs on, {info['minimum_os']}")
    locale = documents.get("defaultLocale", {})
    check(locale.get("Publisher") == info["publisher"] and
          locale.get("PublisherUrl") == address and locale.get("PackageUrl") == address and
          locale.get("LicenseUrl") == f"{folder_url}/{make_package.LICENSE_NAME}",
          "winget locale: the publisher, the home page and the licence beside the zip")
    check(locale.get("Description") == info["description"] and
          locale.get("ShortDescription") == info["short_description"],
          "winget locale: the short and the long description")
    check(installer.get("InstallerType") == "zip" and
          installer.get("NestedInstallerType") == "portable" and
          installer.get("NestedInstallerFiles") ==
          [{"RelativeFilePath": make_package.EXE_NAME, "PortableCommandAlias": "quillon"}],
          "winget installer: a portable quillon.exe in a zip, called as quillon")
    check(documents.get("version", {}).get("DefaultLocale") ==
          documents.get("defaultLocale", {}).get("PackageLocale"),
          "winget: the default locale has its file")
    return entries[0].get("InstallerUrl")


def check_scoop(dist, version, digest, url, address, note):
    path = os.path.join(dist, "scoop", "quillon.json")
    with open(path, encoding="utf-8") as f:
        scoop = json.load(f)
    check(scoop.get("##") == note, "scoop: " + ("marked as a draft" if note else
                                                "not marked as a draft"))
    check(scoop.get("homepage") == address, f"scoop: the home page {address}")
    sums_url = f"{make_package.release_folder(address, version)}/{make_package.SUMS_NAME}"
    with open(os.path.join(dist, make_package.SUMS_NAME), encoding="ascii") as f:
        sums = f.read()
    wrong = scoop_autoupdate_problems(scoop, version, sums_url, sums)
    check(not wrong, "scoop: checkver and autoupdate find this version, its zip and its hash" +
          ("" if not wrong else ": " + "; ".join(wrong)))
    # The validator itself: with another release's line first, a regex that does not name the
    # zip takes the wrong hash.
    name = url.rpartition("/")[2]
    two = f"{'0' * 64}  quillon-0.0.1-x64.zip\n{sums}"
    loose = json.loads(json.dumps(scoop))
    loose["autoupdate"]["architecture"]["64bit"]["hash"]["regex"] = "$sha256"
    check(not scoop_autoupdate_problems(scoop, version, sums_url, two) and
          scoop_autoupdate_problems(loose, version, sums_url, two) and
          scoop_autoupdate_problems(scoop, version + ".1", sums_url, sums),
          f"the autoupdate check takes {name}'s line of SHA256SUMS only, and this version only")
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
    parser.add_argument("--draft", action="store_true",
                        help="the package was made as a draft: a placeholder address is expected")
    args = parser.parse_args()
    version = project_version()
    rules = required_fields()

    # The address rule: placeholders (names reserved for examples) only in a draft, https only.
    cases = [("https://quillon.example.org", False, False), ("https://quillon.example.org", True, True),
             ("https://www.example.com/quillon", False, False), ("https://quillon.test", False, False),
             ("https://example.net", True, True), ("https://quillon.dev", False, True),
             ("https://examples.org/q", False, True), ("http://quillon.dev", True, False),
             ("https://quillon.dev/?x", True, False), ("quillon.dev", True, False)]
    check(all((release_address.problem(a, draft) is None) == accepted
              for a, draft, accepted in cases),
          "the address rule: a placeholder only in a draft, and https only")
    address, source = release_address.address(make_package.release_info(), os.environ)
    placeholder = release_address.is_placeholder(address)
    check(args.draft or not placeholder,
          f"the address {address} (from {source}) " +
          ("may be a placeholder: the package is a draft" if args.draft else
           "is not a placeholder"))
    note = make_package.draft_note(address) if placeholder else None

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
        url = check_winget(args.dist, version, name, digest, rules, address, note)
        check_scoop(args.dist, version, digest, url, address, note)
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
