#!/usr/bin/env python3
"""Makes the release in one folder from a built quillon.exe: the zip (the exe, the user guide
as one HTML page with its pictures inside, the licence), SHA256SUMS, the winget manifests and
the Scoop manifest. The version is read from the exe's version resource and the hash from the
zip just written, so the manifests can never disagree with what they describe.

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

import version_resource

HERE = os.path.dirname(os.path.abspath(__file__))
WINGET_MANIFEST_VERSION = "1.6.0"
EXE_NAME = "quillon.exe"
GUIDE_NAME = "guide.zh-CN.html"
LICENSE_NAME = "LICENSE.txt"


def release_info():
    with open(os.path.join(HERE, "release.json"), encoding="utf-8") as f:
        return json.load(f)


def zip_name(version):
    return f"quillon-{version}-x64.zip"


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

    text = re.sub(r"!\[([^\]]*)\]\(([^)\s]+)\)", inline, text)
    body = markdown.markdown(text, extensions=["tables", "fenced_code", "toc"],
                             output_format="html")
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


def write_yaml(path, schema, document):
    text = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{schema}." \
           f"{WINGET_MANIFEST_VERSION}.schema.json\n\n"
    text += yaml.safe_dump(document, allow_unicode=True, sort_keys=False, width=1000)
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def winget_manifests(out, info, version, url, digest, release_date, copyright_line):
    ident = info["identifier"]
    publisher, package = ident.split(".", 1)
    folder = os.path.join(out, "winget", "manifests", publisher[0].lower(), publisher, package,
                          version)
    os.makedirs(folder, exist_ok=True)
    common = {"PackageIdentifier": ident, "PackageVersion": version}
    write_yaml(os.path.join(folder, f"{ident}.yaml"), "version", {
        **common,
        "DefaultLocale": info["locale"],
        "ManifestType": "version",
        "ManifestVersion": WINGET_MANIFEST_VERSION,
    })
    write_yaml(os.path.join(folder, f"{ident}.installer.yaml"), "installer", {
        **common,
        "MinimumOSVersion": info["minimum_os"],
        "InstallerType": "zip",
        "NestedInstallerType": "portable",
        "NestedInstallerFiles": [{"RelativeFilePath": EXE_NAME, "PortableCommandAlias": "quillon"}],
        "ReleaseDate": release_date,
        "Installers": [{
            "Architecture": "x64",
            "InstallerUrl": url,
            "InstallerSha256": digest.upper(),
        }],
        "ManifestType": "installer",
        "ManifestVersion": WINGET_MANIFEST_VERSION,
    })
    write_yaml(os.path.join(folder, f"{ident}.locale.{info['locale']}.yaml"), "defaultLocale", {
        **common,
        "PackageLocale": info["locale"],
        "Publisher": info["publisher"],
        "PublisherUrl": info["homepage"],
        "PackageName": info["name"],
        "PackageUrl": info["homepage"],
        "License": info["license"],
        "Copyright": copyright_line,
        "ShortDescription": info["description"],
        "Moniker": info["moniker"],
        "Tags": info["tags"],
        "ManifestType": "defaultLocale",
        "ManifestVersion": WINGET_MANIFEST_VERSION,
    })


def scoop_manifest(out, info, version, url, digest):
    document = {
        "version": version,
        "description": info["description"],
        "homepage": info["homepage"],
        "license": info["license"],
        "architecture": {"64bit": {"url": url, "hash": digest}},
        "bin": EXE_NAME,
        "shortcuts": [[EXE_NAME, info["name"]]],
    }
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
    args = parser.parse_args()
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])

    info = release_info()
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
    with open(os.path.join(args.out, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        f.write(f"{digest}  {name}\n")
    url = info["download"].format(version=version, zip=name)
    release_date = time.strftime("%Y-%m-%d", time.gmtime(epoch))
    winget_manifests(args.out, info, version, url, digest, release_date,
                     resource.get("LegalCopyright", ""))
    scoop_manifest(args.out, info, version, url, digest)
    print(f"{zip_path}\n  version {version}, sha256 {digest}")


if __name__ == "__main__":
    main()
