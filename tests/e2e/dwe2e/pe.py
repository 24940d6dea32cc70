"""What a Windows program carries in its resources: the icon's sizes."""

import struct

from .checks import Failure, check


def pe_resources(data):
    """The resources of a PE file: {(type, name): [bytes of each language]}."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    check(data[pe:pe + 4] == b"PE\0\0", "not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    rva, size = struct.unpack_from("<II", data, directories + 2 * 8)
    check(size > 0, "no resources")
    table = optional + optional_size
    for i in range(sections):
        _, virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if virtual_address <= rva < virtual_address + max(virtual_size, raw_size):
            base = raw_pointer + rva - virtual_address
            delta = virtual_address - raw_pointer
            break
    else:
        raise Failure("the resource directory lies in no section")

    def entries(offset):
        named, ids = struct.unpack_from("<12xHH", data, base + offset)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + offset + 16 + 8 * i)
            yield name, target

    found = {}
    for kind, kind_dir in entries(0):
        for name, name_dir in entries(kind_dir & 0x7FFFFFFF):
            for _, leaf in entries(name_dir & 0x7FFFFFFF):
                data_rva, data_size = struct.unpack_from("<II", data, base + leaf)
                found.setdefault((kind, name), []).append(data[data_rva - delta:data_rva - delta + data_size])
    return found


def icon_sizes(data):
    """The sizes of the first icon group's images."""
    resources = pe_resources(data)
    groups = sorted(key for key in resources if key[0] == 14)
    check(groups, "no icon group")
    group = resources[groups[0]][0]
    count = struct.unpack_from("<H", group, 4)[0]
    sizes = []
    for i in range(count):
        width, _, _, _, _, _, _, icon_id = struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
        check((3, icon_id) in resources, f"icon image {icon_id} is missing")
        sizes.append(width or 256)
    return sorted(sizes)
