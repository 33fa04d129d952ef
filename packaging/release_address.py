#!/usr/bin/env python3
"""The release's one address: the home page, under which each version's files are published
(ADDRESS/releases/VERSION/: the zip, SHA256SUMS, LICENSE.txt). It is QUILLON_ADDRESS from the
environment, else "address" in release.json; the exe (CMake reads the same two) and every
manifest take it from here. Only the standard library, so that package.sh can refuse a
placeholder before it installs or builds anything.

Run as a script: prints the address, or says why it cannot be published and exits 1 (with
--draft a placeholder is accepted)."""
import json
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ENVIRONMENT_NAME = "QUILLON_ADDRESS"
# Names reserved for examples and tests (RFC 2606, RFC 6761): nothing is ever published there.
RESERVED_DOMAINS = ("example.org", "example.com", "example.net")
RESERVED_TOP_LEVEL = ("example", "test", "invalid", "localhost")


def release_info():
    with open(os.path.join(HERE, "release.json"), encoding="utf-8") as f:
        return json.load(f)


def address(info, environ):
    """The address in force and where it came from."""
    if environ.get(ENVIRONMENT_NAME):
        return environ[ENVIRONMENT_NAME].rstrip("/"), ENVIRONMENT_NAME
    return info["address"].rstrip("/"), "packaging/release.json"


def host_of(text):
    match = re.match(r"^https://([A-Za-z0-9.-]+)(?::[0-9]+)?(?:/[^\s?#]*)?$", text)
    return match.group(1).lower().rstrip(".") if match else None


def is_placeholder(text):
    host = host_of(text) or ""
    return host.rsplit(".", 1)[-1] in RESERVED_TOP_LEVEL or \
        any(host == d or host.endswith("." + d) for d in RESERVED_DOMAINS)


def problem(text, draft):
    """Why the address cannot go into manifests, or None."""
    if host_of(text) is None:
        return f"{text!r} is not an https:// address without query or fragment"
    if is_placeholder(text) and not draft:
        return (f"{text} is a placeholder (a name reserved for examples): set "
                f"{ENVIRONMENT_NAME} or \"address\" in packaging/release.json to the address the "
                f"release is published at, or pass --draft for manifests that are not to be "
                f"published")
    return None


def main():
    draft = sys.argv[1:] == ["--draft"]
    if sys.argv[1:] not in ([], ["--draft"]):
        sys.exit("usage: release_address.py [--draft]")
    text, source = address(release_info(), os.environ)
    wrong = problem(text, draft)
    if wrong:
        sys.exit(f"the release address (from {source}): {wrong}")
    print(text)


if __name__ == "__main__":
    main()
