"""Bytes of Standard MIDI File pieces, shared by the demo song and the fuzz seed generators."""


def varlen(value):
    """A variable-length quantity with the fewest bytes."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def meta(kind, data):
    """A meta event without its delta time: FF, type, length, data."""
    return bytes([0xFF, kind]) + varlen(len(data)) + data
