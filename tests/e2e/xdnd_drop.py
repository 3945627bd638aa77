#!/usr/bin/python3
# Drops files on an X window as a file manager does, through XDND:
#   xdnd_drop.py WINDOW-ID X Y PATH...
# X and Y are pixels of that window; a PATH with "://" in it goes as the URI it is, as a
# dragged web link does. Needs DISPLAY and python3-xlib. Every wait is bounded; exits 0
# once the target has finished with the drop, else says why it did not.
import os, select, sys, time, urllib.parse
from Xlib import X, Xatom, display
from Xlib.protocol import event

fail = lambda reason: sys.exit(f"xdnd_drop: {reason}")
d = display.Display()
atom, root = d.get_atom, d.screen().root  # atoms cached: no round trip while Wine waits
window, x, y = d.create_resource_object("window", int(sys.argv[1], 0)), int(sys.argv[2]), int(sys.argv[3])
uris = "".join((p if "://" in p else f"file://{urllib.parse.quote(os.path.abspath(p))}") + "\r\n"
               for p in sys.argv[4:]).encode()
if not (0 <= x < (size := window.get_geometry()).width and 0 <= y < size.height): fail(f"{x},{y} is outside the window")
at = root.translate_coords(window, x, y)
# The target is the outermost window at the point, from the top-level frame down, that
# says it speaks XDND: Wine may mark the top-level window or a child of it.
chain = [window]
while (up := chain[0].query_tree().parent).id != root.id: chain.insert(0, up)
while child := chain[-1].translate_coords(root, at.x, at.y).child: chain.append(child)
aware = [(w, p.value[0]) for w in chain if (p := w.get_full_property(atom("XdndAware"), Xatom.ATOM))]
if not aware: fail(f"no window at {x},{y} of {window.id:#x} has XdndAware")
target, version = aware[0][0], min(5, aware[0][1])
source = root.create_window(-10, -10, 1, 1, 0, X.CopyFromParent)
source.set_selection_owner(atom("XdndSelection"), X.CurrentTime)


def send(kind, *data):
    target.send_event(event.ClientMessage(window=target, client_type=atom(kind),
                                          data=(32, [source.id, *data, 0, 0, 0, 0][:5])))
    d.flush()


# The target asks for the files whenever it likes, from XdndEnter on, and Wine gives up
# after some 50 ms: answer while waiting, events already read first.
def wait(kind, seconds=5):
    end = time.monotonic() + seconds
    while (left := end - time.monotonic()) > 0:
        if not d.pending_events():
            select.select([d], [], [], left)
            continue
        e = d.next_event()
        if e.type == X.ClientMessage and e.client_type == atom(kind): return e.data[1]
        if e.type != X.SelectionRequest: continue
        given = e.property if e.target == atom("text/uri-list") and e.property else X.NONE
        if given: e.requestor.change_property(given, e.target, 8, uris)
        e.requestor.send_event(event.SelectionNotify(time=e.time, requestor=e.requestor, selection=e.selection,
                                                     target=e.target, property=given))
        d.flush()
    fail(f"no {kind} from {target.id:#x} within {seconds} s")


send("XdndEnter", version << 24, atom("text/uri-list"))
send("XdndPosition", 0, at.x << 16 | at.y, X.CurrentTime, atom("XdndActionCopy"))
if not wait("XdndStatus")[1] & 1:
    send("XdndLeave")
    fail(f"{target.id:#x} does not take files at {x},{y}")
send("XdndDrop", 0, X.CurrentTime)
if not wait("XdndFinished")[1] & 1 and version >= 5: fail(f"{target.id:#x} did not take the files")
