#!/usr/bin/python3
# What a screen reader gets from the composer over AT-SPI, and what it can do with it:
#   accessibility.py build/brivola-composer
# Needs DISPLAY, a session bus (dbus-run-session), at-spi2-core, python3-pyatspi, xdotool and
# python3-xlib.
# Every wait is bounded; the last line counts the facts that held and those that did not.
import os, struct, subprocess, sys, tempfile, time, pyatspi

ROWS = ["Pulse Wave #1", "Pulse Wave #2", "Pulse Wave #3", "Pulse Wave #4",
        "Triangle Wave", "Noise Wave #1", "Noise Wave #2"]
# Each row's controls: role, and the words before the row's caption in the name.
ROW_CONTROLS = [("push button", "Play the built-in "), ("push button", "Play the sample of "),
                ("push button", "Choose the sample of "), ("label", "Sample file of ")]
results = {True: 0, False: 0}


def check(fact, actual, expected):
    results[actual == expected] += 1
    print(f"{'ok' if actual == expected else 'not ok'} - {fact}: {actual!r}, expected {expected!r}")


def finish():
    program.terminate()
    check("what it printed", program.communicate()[1], "")
    sys.exit(print(f"{results[True]} passed, {results[False]} failed") or results[False] > 0)


def wait_for(what, find, seconds=20):  # find's first true answer
    for _ in range(seconds * 10):
        if found := find():
            return found
        time.sleep(0.1)
    check(f"{what} within {seconds} s", found, "something") or finish()


def window(name):
    apps = [a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "brivola-composer"]
    return next((w for a in apps for w in a if w and w.name == name), None)


def control(window, name, role="push button"):
    return wait_for(f"{role} {name!r}", lambda: pyatspi.findDescendant(
        window, lambda a: a.name == name and a.getRoleName() == role))


def labelled_by(accessible):
    return [r.getTarget(0).name for r in accessible.getRelationSet()
            if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]


def press(accessible, opens=None, closes=None):  # the window it opens, once it is there
    accessible.queryAction().doAction(0)
    closes and wait_for(f"{closes!r} closing", lambda: window(closes) is None)
    return opens and wait_for(repr(opens), lambda: window(opens))


# A sample where the chooser opens: in the program's current folder.
sample = tempfile.NamedTemporaryFile(prefix="triangle take ", suffix=".pcm", dir=os.getcwd())
# Takes to preview, and what the sound card gets: OpenAL Soft's wave writer, which writes
# what it plays to a file anew each time the program opens the device, as 16-bit mono at
# the program's rate, untouched.
work = tempfile.TemporaryDirectory()
takes = {kind: os.path.join(work.name, f"pane take.{kind}") for kind in ("wav", "flac", "pcm")}
tools, syn = os.path.join(os.path.dirname(__file__), "..", "test_tools.py"), os.path.join(os.path.dirname(sys.argv[1]), "brivola-syn")
subprocess.run([tools, "sine", takes["wav"], "48000", "48000", "0.5", "0.25"], check=True)
subprocess.run(["sndfile-convert", takes["wav"], takes["flac"]], check=True)
open(takes["pcm"], "wb").write(os.urandom(9702))
expected = subprocess.run([syn, "convert", takes["wav"], "-"], capture_output=True, check=True).stdout
played = os.path.join(work.name, "played.wav")
with open(os.path.join(work.name, "alsoft.conf"), "w") as conf:
    conf.write("[general]\ndrivers=wave\nchannels=mono\nsample-type=int16\nfrequency=44100\ndither=false\n"
               f"output-limiter=false\nvolume-adjust=0\nhrtf=false\n[wave]\nbformat=false\nfile={played}\n")
program = subprocess.Popen([sys.argv[1]], stderr=subprocess.PIPE, text=True, env=dict(
    os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", ALSOFT_CONF=os.path.join(work.name, "alsoft.conf"),
    BRIVOLA_VERBOSE="0"))
main = wait_for("the main window", lambda: window("Brivola Synthesis Composer"))
roles = {c.name: c.getRoleName() for c in main}
check("the main window's role", main.getRoleName(), "dialog")
check("names shared by two controls", main.childCount - len(roles), 0)
for row in ROWS:
    check(f"{row}'s controls", [roles.get(words + row) for _, words in ROW_CONTROLS],
          [role for role, _ in ROW_CONTROLS])
    status = control(main, "Sample file of " + row, "label")
    check(f"{row}'s status label is labelled by", labelled_by(status), [row])
    check(f"{row}'s status label says", status.description, "No sample file")

properties = press(control(main, "Choose the sample of Triangle Wave"), opens="Channel Properties")
check("Channel Properties' role", properties.getRoleName(), "dialog")
check("its field's label", labelled_by(control(properties, "Path of the sample file", "text")), ["File name:"])
chooser = press(control(properties, "Choose the sample file"), opens="Open Wave...")
combos = [c for c in chooser if c.getRoleName() == "combo box"]  # its folder and file type
check("the chooser opens in the current folder, on", [c.name for c in combos], [os.getcwd(), "PCM Wave Format"])
check("the file types it offers", [item.name for item in combos[1][0]],
      ["PCM Wave Format", "Sound Files", "Synth Files(*.syn)", "All Files"])
field = control(chooser, "File name:", "text").queryEditableText()
field.setTextContents(sample.name + ".missing")
check("Open, for a file that is not there", control(chooser, "Open").getState().contains(pyatspi.STATE_ENABLED), False)
bank = tempfile.NamedTemporaryFile(prefix="bank ", suffix=".syn", dir=os.getcwd())
field.setTextContents(bank.name)
check("Open, for a file the filter does not show", control(chooser, "Open").getState().contains(pyatspi.STATE_ENABLED), True)


def heard():  # the samples the sound card got since the device was last opened
    data = open(played, "rb").read() if os.path.exists(played) else b""
    data = data[data.find(b"data") + 8:] if b"data" in data else b""
    return struct.unpack(f"<{len(data) // 2}h", data[:len(data) // 2 * 2])


# convert's output, silence to the end of the five seconds, and the loop's restart, exactly.
loop = struct.unpack(f"<{len(expected) // 2}h", expected) + (0,) * (220500 - len(expected) // 2)
loop += loop[:2000]


def plays_expected():  # after the silence before the sound starts
    samples = heard()
    start = next((i for i, s in enumerate(samples) if s), 0) - next(i for i, s in enumerate(loop) if s)
    return len(samples) >= start + len(loop) and samples[start:start + len(loop)] == loop


# The pane beside the list, under "All Files": each file's words as the pane's description,
# the selection playing while "Play" is checked.
combos[1].queryAction().doAction(0)  # its list, which takes the keys
time.sleep(0.5)
subprocess.run(["xdotool", "key", "End", "Return"], check=True)
wait_for("All Files selected", lambda: combos[1].name == "All Files")
# Typed as a user types, into the focused field: Qt then leaves selected only what is named.
control(chooser, "File name:", "text").queryComponent().grabFocus()
for kind, words in [("wav", "WAV, 48,000 Hz, stereo, 1.00 s"), ("flac", "FLAC, 48,000 Hz, stereo, 1.00 s"),
                    ("pcm", "PCM, 44,100 Hz, mono, 0.11 s")]:
    field.setTextContents(takes[kind])
    wait_for(f"the pane's description {words!r}", lambda: pyatspi.findDescendant(chooser, lambda a: a.description == words))
    if kind == "wav":
        check("what the sound card gets while the WAV take is selected", wait_for("its samples", plays_expected), True)
play = control(chooser, "Play", "check box")
check("Play at first", play.getState().contains(pyatspi.STATE_CHECKED), True)
press(play)
wait_for("Play cleared", lambda: not play.getState().contains(pyatspi.STATE_CHECKED))
before = len(heard())
field.setTextContents(takes["wav"])
time.sleep(1)
check("samples played after Play was cleared", len(heard()) - before, 0)
field.setTextContents(sample.name)
press(control(chooser, "Open"), closes="Open Wave...")
check("the field shows the start of the path", control(properties, "Path of the sample file", "text").queryText().caretOffset, 0)
press(control(properties, "OK"), closes="Channel Properties")
status = control(main, "Sample file of Triangle Wave", "label")
check("Triangle Wave's status label then says", status.description, sample.name)

window_id = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Brivola Synthesis Composer$"],
                           capture_output=True, text=True).stdout.strip()


def drop(on, *paths):  # at the middle of a control, as a file manager drops them
    # Desktop coordinates: Qt's window ones get the size wrong once the window has moved.
    at, window = (a.queryComponent().getExtents(pyatspi.DESKTOP_COORDS) for a in (on, main))
    x, y = at.x - window.x + at.width // 2, at.y - window.y + at.height // 2
    dropping = subprocess.run([os.path.join(os.path.dirname(__file__), "xdnd_drop.py"), window_id, str(x), str(y), *paths])
    check(f"the drop on {on.name!r}", dropping.returncode, 0)


# A link beside a file takes nothing; three files on row 5 fill rows 5 and 6, and the last
# row is 6. Drops are taken in order: once row 6 shows its file, row 0 has had its drop.
takes = [tempfile.NamedTemporaryFile(prefix=f"noise take {n} ", suffix=".pcm", dir=os.getcwd()) for n in range(3)]
drop(control(main, "Play the built-in Pulse Wave #1"), takes[0].name, "https://example.com/a.pcm")
drop(control(main, "Play the sample of Noise Wave #1"), *[take.name for take in takes])
last = control(main, "Sample file of Noise Wave #2", "label")
wait_for("the dropped files on the rows", lambda: last.description != "No sample file")
for row, says in [("Pulse Wave #1", "No sample file"), ("Noise Wave #1", takes[0].name),
                  ("Noise Wave #2", takes[1].name)]:
    check(f"{row}'s status label after the drops", control(main, "Sample file of " + row, "label").description, says)

for button, says in [("Play the sample of Triangle Wave", "Plays the sample of Triangle Wave"),
                     ("Play the built-in Pulse Wave #2", "Plays the built-in Pulse Wave #2")]:
    preview = press(control(main, button), opens="Sound Preview")
    check("the Sound Preview's role", preview.getRoleName(), "dialog")
    check("the Sound Preview's description", preview.description, says)
    subprocess.run(["xdotool", "key", "ctrl+s"], check=True)
    time.sleep(1)
    check("a chooser after Ctrl+S over the Sound Preview", window("Synth File..."), None)
    press(control(preview, "OK"), closes="Sound Preview")
subprocess.run(["xdotool", "key", "ctrl+s"], check=True)
save_chooser = wait_for("the save chooser after Ctrl+S", lambda: window("Synth File..."))
press(control(save_chooser, "Cancel"), closes="Synth File...")

finish()
