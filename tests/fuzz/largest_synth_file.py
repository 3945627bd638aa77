#!/usr/bin/env python3
"""Writes the largest Synth file to stdout: seven blocks of 524,288 bytes, a seed from
which the fuzzer's mutations reach the block limit from both sides."""
import sys

body = b"".join((524288).to_bytes(4, "little") + bytes([37 * row + 1]) * 524288 for row in range(7))
swapped = body.translate(bytes((byte << 4 | byte >> 4) & 0xFF for byte in range(256)))
sys.stdout.buffer.write(len(body).to_bytes(4, "little") + swapped)
