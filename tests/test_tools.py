#!/usr/bin/env python3
# What the tests work out on their own, without the program or a library of its kind.
#
#   test_tools.py synth OUT ROW0 ... ROW6
#       writes the Synth file "Save..." must produce from seven sample files, from the file
#       layout alone: a little-endian 32-bit count N, then for each row a 32-bit length L
#       (at most 524,288) and the first L bytes of its file; every one of the N bytes after
#       the count has its two 4-bit halves exchanged, but for the very first one when N is odd.
#   test_tools.py body OUT CHANGE L0 ... L6
#       writes a Synth file laid out the same way whose blocks hold L bytes each (all of the
#       value L % 256), the body then grown by CHANGE bytes, or cut when it is negative, and
#       counted as it then is: a file malformed on purpose.
#   test_tools.py sine OUT.wav RATE FRAMES AMPLITUDE... [--streamed]
#       writes a 16-bit WAV file of a 1 kHz sine per channel at these fractions of full
#       scale; --streamed gives it the unknown sizes (0xFFFFFFFF) of a WAV sent down a pipe.
#   test_tools.py mix IN.wav
#       writes to standard output the mono mix of a 16-bit stereo WAV file as 16-bit samples: each the mean of
#       its frame's two, a half rounded to the even one, as float arithmetic gives it exactly.
#   test_tools.py apart A.syn B.syn
#       prints, for each of the seven blocks of two Synth files, how far apart their 16-bit
#       samples lie at most: 0 for the same bytes, "unlike" for blocks that differ in length,
#       or differ and hold an odd count of bytes.
#   test_tools.py tone FILE.pcm
#       prints the count of 16-bit samples at 44,100 Hz in the file, then the amplitude of
#       their 1 kHz component (as a fraction of full scale, to two places) over all but the
#       first and last 441 samples, then over the last 441 alone.
#   test_tools.py dark FILE.xwd X Y WIDTH HEIGHT
#       prints how many pixels of the rectangle of a screenshot in X's XWD format are dark.
import cmath
import math
import pathlib
import struct
import sys

MAX_BLOCK_BYTES = 524288
DARK_LUMA = 100  # text is drawn near black on a light window background
# The XWD header's byte order, bits a pixel and red, green, blue masks that Xvfb's 24-bit
# screen gives: each pixel is blue, green, red and an unused byte.
BLUE_GREEN_RED_PIXELS = (0, 32, 0xFF0000, 0xFF00, 0xFF)


def synth_file(body):
    body = bytearray(body)
    for i in range(len(body) % 2, len(body)):
        body[i] = ((body[i] & 0x0F) << 4) | (body[i] >> 4)
    return struct.pack("<I", len(body)) + bytes(body)


def block(samples):
    return struct.pack("<I", len(samples)) + samples


def sine_wave(rate, frames, amplitudes, streamed):
    channels = len(amplitudes)
    data = frames * channels * 2
    header = struct.pack("<4sI4s4sIHHIIHH4sI", b"RIFF", 0xFFFFFFFF if streamed else 36 + data,
                         b"WAVE", b"fmt ", 16, 1, channels, rate, rate * channels * 2,
                         channels * 2, 16, b"data", 0xFFFFFFFF if streamed else data)
    samples = (round(a * 32767 * math.sin(2 * math.pi * 1000 * f / rate))
               for f in range(frames) for a in amplitudes)
    return header + struct.pack(f"<{frames * channels}h", *samples)


def amplitude_at_1khz(samples):
    total = sum(s / 32768 * cmath.exp(2j * math.pi * 1000 * i / 44100) for i, s in samples)
    return 2 * abs(total) / len(samples)


def tone(path):
    data = pathlib.Path(path).read_bytes()
    samples = list(enumerate(struct.unpack(f"<{len(data) // 2}h", data)))
    return f"{len(samples)} {amplitude_at_1khz(samples[441:-441]):.2f} " \
           f"{amplitude_at_1khz(samples[-441:]):.2f}"


def mono_mix(path):
    data = pathlib.Path(path).read_bytes()[44:]
    samples = struct.unpack(f"<{len(data) // 2}h", data)
    return struct.pack(f"<{len(samples) // 2}h", *(round((left + right) / 2)
                                                  for left, right in zip(samples[::2], samples[1::2])))


def blocks(path):
    body, found = synth_file(pathlib.Path(path).read_bytes()[4:])[4:], []  # halves swapped back
    for _ in range(7):
        length = struct.unpack_from("<I", body)[0]
        found.append(body[4:4 + length])
        body = body[4 + length:]
    return found


def apart(first, second):
    if len(first) != len(second) or len(first) % 2:
        return "0" if first == second else "unlike"
    count = len(first) // 2
    return str(max((abs(a - b) for a, b in zip(struct.unpack(f"<{count}h", first),
                                               struct.unpack(f"<{count}h", second))), default=0))


def dark_pixels(path, left, top, width, height):
    data = pathlib.Path(path).read_bytes()
    fields = struct.unpack(">25I", data[:100])  # the header's first 25 big-endian fields
    if (fields[7], fields[11], *fields[14:17]) != BLUE_GREEN_RED_PIXELS:
        sys.exit("test_tools: only 32-bit blue, green, red pixels are read")
    pixels, line = data[fields[0] + 12 * fields[19]:], fields[12]  # after the colour map
    starts = (y * line + 4 * x for y in range(top, top + height) for x in range(left, left + width))
    return sum((299 * pixels[i + 2] + 587 * pixels[i + 1] + 114 * pixels[i]) // 1000 < DARK_LUMA
               for i in starts)


def main(command, out=None, *rest):
    if command == "synth" and len(rest) == 7:
        body = b"".join(block(pathlib.Path(p).read_bytes()[:MAX_BLOCK_BYTES]) for p in rest)
        pathlib.Path(out).write_bytes(synth_file(body))
    elif command == "body" and len(rest) == 8:
        change, lengths = int(rest[0]), [int(length) for length in rest[1:]]
        body = b"".join(block(bytes([length % 256]) * length) for length in lengths)
        body = body + bytes(change) if change >= 0 else body[:change]
        pathlib.Path(out).write_bytes(synth_file(body))
    elif command == "sine" and len(rest) >= 3:
        streamed = rest[-1] == "--streamed"
        amplitudes = [float(a) for a in rest[2:len(rest) - streamed]]
        pathlib.Path(out).write_bytes(sine_wave(int(rest[0]), int(rest[1]), amplitudes, streamed))
    elif command == "mix" and not rest:
        sys.stdout.buffer.write(mono_mix(out))
    elif command == "apart" and len(rest) == 1:
        print(" ".join(apart(a, b) for a, b in zip(blocks(out), blocks(rest[0]))))
    elif command == "tone" and not rest:
        print(tone(out))
    elif command == "dark" and len(rest) == 4:
        print(dark_pixels(out, *map(int, rest)))
    else:
        sys.exit("usage: see the comment at the top of test_tools.py")


if __name__ == "__main__":
    main(*sys.argv[1:])
