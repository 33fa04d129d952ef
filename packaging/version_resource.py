"""Reads the version resource of a PE file: the fixed version numbers and the string table."""
import struct


def _align(offset):
    return (offset + 3) & ~3


def _node(data, start):
    """One node of the VS_VERSIONINFO tree: (key, value bytes, value type, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, start)
    end = start + length
    key_end = start + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[start + 6:key_end].decode("utf-16-le")
    value_start = _align(key_end + 2)
    # Text values count their length in characters, binary ones in bytes.
    size = value_length * 2 if value_type == 1 else value_length
    value = data[value_start:value_start + size]
    children = []
    child = _align(value_start + size)
    while child < end:
        node = _node(data, child)
        children.append(node)
        child = _align(node[4])
    return key, value, value_type, children, end


def read(data):
    """{"FileVersion": "0.9.3.0", ...} from the string table, plus "fixed file version" and
    "fixed product version" as dotted texts from VS_FIXEDFILEINFO; texts without their NULs."""
    at = data.find("VS_VERSION_INFO".encode("utf-16-le"))
    if at < 6:
        raise ValueError("no version resource")
    _, fixed, _, children, _ = _node(data, at - 6)
    result = {}
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        raise ValueError("no VS_FIXEDFILEINFO")

    def dotted(ms, ls):
        return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"

    result["fixed file version"] = dotted(file_ms, file_ls)
    result["fixed product version"] = dotted(product_ms, product_ls)
    for key, _, _, tables, _ in children:
        if key != "StringFileInfo":
            continue
        for _, _, _, strings, _ in tables:
            for name, value, _, _, _ in strings:
                result[name] = value.decode("utf-16-le").rstrip("\0")
    return result


if __name__ == "__main__":
    import sys
    for name, value in read(open(sys.argv[1], "rb").read()).items():
        print(f"{name}: {value}")
