"""Reads one resource out of a 64-bit PE module, with no tool but Python."""
import struct

RT_MANIFEST = 24


def _sections(image, pe):
    count, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    table = pe + 24 + optional_size
    for i in range(count):
        size, address, raw_size, raw_offset = struct.unpack_from("<IIII", image,
                                                                 table + 40 * i + 8)
        yield address, max(size, raw_size), raw_offset


def _file_offset(image, pe, rva):
    for address, size, raw_offset in _sections(image, pe):
        if address <= rva < address + size:
            return raw_offset + rva - address
    raise ValueError("address 0x%x lies in no section" % rva)


def _entry(image, directory, wanted):
    """The entry of a resource directory with the wanted id (None: the first one)."""
    named, numbered = struct.unpack_from("<HH", image, directory + 12)
    for i in range(named + numbered):
        name, target = struct.unpack_from("<II", image, directory + 16 + 8 * i)
        if wanted is None or (not name & 0x80000000 and name == wanted):
            return target
    return None


def resource(path, kind, ident):
    """The bytes of resource (kind, ident) in its first language, or None when absent."""
    with open(path, "rb") as module:
        image = module.read()
    if image[:2] != b"MZ":
        raise ValueError("%s is no PE module" % path)
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("%s is no PE module" % path)
    optional = pe + 24
    if struct.unpack_from("<H", image, optional)[0] != 0x20B:
        raise ValueError("%s is not a 64-bit module" % path)
    resource_rva, resource_size = struct.unpack_from("<II", image, optional + 112 + 8 * 2)
    if resource_size == 0:
        return None
    root = _file_offset(image, pe, resource_rva)
    offset = 0
    for wanted in (kind, ident, None):  # type, name, language
        target = _entry(image, root + offset, wanted)
        if target is None:
            return None
        offset = target & 0x7FFFFFFF
        if wanted is not None and not target & 0x80000000:
            raise ValueError("malformed resource tree in %s" % path)
    data_rva, size = struct.unpack_from("<II", image, root + offset)
    start = _file_offset(image, pe, data_rva)
    return image[start:start + size]
