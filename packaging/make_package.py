#!/usr/bin/env python3
"""Makes the release in one folder from a built quillon.exe: the zip (the exe, the user guide
as one HTML page with its pictures inside, the licence), SHA256SUMS and LICENSE.txt (the files
published at ADDRESS/releases/VERSION/), the winget manifests and the Scoop manifest. The version
is read from the exe's version resource and the hash from the zip just written, so the manifests
can never disagree with what they describe. A placeholder address is refused unless --draft is
given; draft manifests say so in their first lines.

The zip is the same byte for byte on every run from the same commit: its entries are sorted,
carry the commit's time (SOURCE_DATE_EPOCH) and fixed permissions, and are compressed alike."""
import argparse
import base64
import hashlib
import html
import json
import os
import re
import sys
import time
import zipfile

import markdown
import yaml

import release_address
import version_resource

HERE = os.path.dirname(os.path.abspath(__file__))
WINGET_MANIFEST_VERSION = "1.6.0"
EXE_NAME = "quillon.exe"
GUIDE_NAME = "guide.zh-CN.html"
LICENSE_NAME = "LICENSE.txt"


release_info = release_address.release_info
SUMS_NAME = "SHA256SUMS"
# Scoop's autoupdate finds the new zip's hash in the SHA256SUMS beside it ($baseurl), on the
# line that names the zip ($basename); checkver finds the newest version on the home page, which
# links the current zip by its name.
SCOOP_HASH = {"url": "$baseurl/" + SUMS_NAME, "regex": "$sha256\\s+$basename"}
SCOOP_CHECKVER_REGEX = r"quillon-([\d.]+)-x64\.zip"


def zip_name(version):
    return f"quillon-{version}-x64.zip"


def release_folder(address, version):
    """Where a version's zip, SHA256SUMS and LICENSE.txt are published."""
    return f"{address}/releases/{version}"


def draft_note(address):
    return f"Draft: made with the placeholder address {address}; not to be published."


def render_markdown(text):
    return markdown.markdown(text, extensions=["tables", "fenced_code", "toc"],
                             output_format="html")


def guide_html(markdown_path, title):
    """The guide as one page: pictures become data: URLs, so the page needs no other file."""
    folder = os.path.dirname(markdown_path)
    with open(markdown_path, encoding="utf-8") as f:
        text = f.read()

    def inline(match):
        alt, src = match.group(1), match.group(2)
        if re.match(r"^[a-z]+:", src):
            raise SystemExit(f"{markdown_path}: picture {src} is not a file in the tree")
        with open(os.path.join(folder, src), "rb") as picture:
            data = base64.b64encode(picture.read()).decode("ascii")
        return f"![{alt}](data:image/png;base64,{data})"

    body = render_markdown(re.sub(r"!\[([^\]]*)\]\(([^)\s]+)\)", inline, text))
    return f"""<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{html.escape(title)}</title>
<style>
body {{ font-family: "Microsoft YaHei UI", "Microsoft YaHei", sans-serif; line-height: 1.6;
       max-width: 52em; margin: 2em auto; padding: 0 1em; color: #1f1f1f; }}
img {{ max-width: 100%; border: 1px solid #ccc; }}
code, pre {{ font-family: Consolas, monospace; background: #f4f4f4; }}
pre {{ padding: 0.6em; overflow-x: auto; }}
table {{ border-collapse: collapse; }}
th, td {{ border: 1px solid #ccc; padding: 0.3em 0.6em; text-align: left; vertical-align: top; }}
</style>
</head>
<body>
{body}
</body>
</html>
""".encode("utf-8")


def write_zip(path, entries, epoch):
    """entries: {name: bytes}. Sorted names, the commit's time, rw-r--r--, deflate level 9."""
    # Zip times are local times without a zone, from 1980 on; the commit's UTC time is used.
    stamp = time.gmtime(max(epoch, 315532800))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(entries):
            info = zipfile.ZipInfo(name, date_time=stamp)
            info.compress_type = zipfile.ZIP_DEFLATED
            info.create_system = 3
            info.external_attr = 0o100644 << 16
            archive.writestr(info, entries[name], compresslevel=9)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def write_yaml(path, schema, document, note):
    text = f"# {note}\n" if note else ""
    text += f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{schema}." \
            f"{WINGET_MANIFEST_VERSION}.schema.json\n\n"
    text += yaml.safe_dump(document, allow_unicode=True, sort_keys=False, width=1000)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def winget_manifests(out, info, address, version, digest, release_date, copyright_line, note):
    ident = info["identifier"]
    publisher, package = ident.split(".", 1)
    folder = os.path.join(out, "winget", "manifests", publisher[0].lower(), publisher, package,
                          version)
    os.makedirs(folder, exist_ok=True)
    common = {"PackageIdentifier": ident, "PackageVersion": version}
    folder_url = release_folder(address, version)
    write_yaml(os.path.join(folder, f"{ident}.yaml"), "version", {
        **common,
        "DefaultLocale": info["locale"],
        "ManifestType": "version",
        "ManifestVersion": WINGET_MANIFEST_VERSION,
    }, note)
    write_yaml(os.path.join(folder, f"{ident}.installer.yaml"), "installer", {
        **common,
        "MinimumOSVersion": info["minimum_os"],
        "InstallerType": "zip",
        "NestedInstallerType": "portable",
        "NestedInstallerFiles": [{"RelativeFilePath": EXE_NAME, "PortableCommandAlias": "quillon"}],
        "ReleaseDate": release_date,
        "Installers": [{
            "Architecture": "x64",
            "InstallerUrl": f"{folder_url}/{zip_name(version)}",
            "InstallerSha256": digest.upper(),
        }],
        "ManifestType": "installer",
        "ManifestVersion": WINGET_MANIFEST_VERSION,
    }, note)
    write_yaml(os.path.join(folder, f"{ident}.locale.{info['locale']}.yaml"), "defaultLocale", {
        **common,
        "PackageLocale": info["locale"],
        "Publisher": info["publisher"],
        "PublisherUrl": address,
        "PackageName": info["name"],
        "PackageUrl": address,
        "License": info["license"],
        "LicenseUrl": f"{folder_url}/{LICENSE_NAME}",
        "Copyright": copyright_line,
        "ShortDescription": info["short_description"],
        "Description": info["description"],
        "Moniker": info["moniker"],
        "Tags": info["tags"],
        "ManifestType": "defaultLocale",
        "ManifestVersion": WINGET_MANIFEST_VERSION,
    }, note)


def scoop_manifest(out, info, address, version, digest, note):
    document = {"##": note} if note else {}
    document.update({
        "version": version,
        "description": info["description"],
        "homepage": address,
        "license": info["license"],
        "architecture": {"64bit": {
            "url": f"{release_folder(address, version)}/{zip_name(version)}",
            "hash": digest,
        }},
        "bin": EXE_NAME,
        "shortcuts": [[EXE_NAME, info["name"]]],
        "checkver": {"url": address, "regex": SCOOP_CHECKVER_REGEX},
        "autoupdate": {"architecture": {"64bit": {
            "url": f"{release_folder(address, '$version')}/{zip_name('$version')}",
            "hash": SCOOP_HASH,
        }}},
    })
    os.makedirs(os.path.join(out, "scoop"), exist_ok=True)
    with open(os.path.join(out, "scoop", "quillon.json"), "w", encoding="utf-8",
              newline="\n") as f:
        json.dump(document, f, ensure_ascii=False, indent=4)
        f.write("\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--exe", required=True)
    parser.add_argument("--guide", required=True, help="the guide's Markdown")
    parser.add_argument("--license", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--draft", action="store_true",
                        help="accept a placeholder address; the manifests say they are drafts")
    args = parser.parse_args()
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])

    info = release_info()
    address, source = release_address.address(info, os.environ)
    wrong = release_address.problem(address, args.draft)
    if wrong:
        sys.exit(f"the release address (from {source}): {wrong}")
    note = draft_note(address) if release_address.is_placeholder(address) else None
    with open(args.exe, "rb") as f:
        exe = f.read()
    resource = version_resource.read(exe)
    version = resource["ProductVersion"]
    if resource["fixed product version"] != version:
        sys.exit(f"{args.exe}: version resource says {resource['fixed product version']} and "
                 f"{version}")
    with open(args.license, "rb") as f:
        license_text = f.read()

    os.makedirs(args.out, exist_ok=True)
    name = zip_name(version)
    zip_path = os.path.join(args.out, name)
    write_zip(zip_path, {
        EXE_NAME: exe,
        GUIDE_NAME: guide_html(args.guide, info["name"] + " 使用说明"),
        LICENSE_NAME: license_text,
    }, epoch)
    digest = sha256(zip_path)
    with open(os.path.join(args.out, SUMS_NAME), "w", encoding="ascii", newline="\n") as f:
        f.write(f"{digest}  {name}\n")
    with open(os.path.join(args.out, LICENSE_NAME), "wb") as f:
        f.write(license_text)
    release_date = time.strftime("%Y-%m-%d", time.gmtime(epoch))
    winget_manifests(args.out, info, address, version, digest, release_date,
                     resource.get("LegalCopyright", ""), note)
    scoop_manifest(args.out, info, address, version, digest, note)
    if note:
        print(note)
    print(f"{zip_path}\n  version {version}, sha256 {digest}")


if __name__ == "__main__":
    main()
