#!/usr/bin/python3
"""Drives the running program from outside over AT-SPI, as a screen reader user would: switches
categories, selects a region and a station, reads the station's details, and finds a station by
name with the keyboard alone."""
import os
import subprocess
import sys
import time

import pyatspi

PROGRAM = sys.argv[1]
failures = []
checks = []


def check(condition, message):
    checks.append(message)
    if not condition:
        failures.append(message)
        print("FAIL:", message)


def wait_for(predicate, seconds=15.0):
    end = time.time() + seconds
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    return None


def children(node):
    try:
        return [c for c in node if c is not None]
    except Exception:
        return []


def find_all(node, predicate, found=None):
    found = [] if found is None else found
    for child in children(node):
        try:
            if predicate(child):
                found.append(child)
        except Exception:
            pass
        find_all(child, predicate, found)
    return found


def showing(node):
    return node.getState().contains(pyatspi.STATE_SHOWING)


def named(role, name):
    return lambda n: n.getRoleName() == role and n.name == name and showing(n)


def application():
    for app in children(pyatspi.Registry.getDesktop(0)):
        if app.name == "Sieciownik":
            return app
    return None


def click(node):
    extents = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    x, y = extents.x + extents.width // 2, extents.y + extents.height // 2
    pyatspi.Registry.generateMouseEvent(x, y, "b1c")
    time.sleep(0.4)


def item_of(lst, text):
    for child in children(lst):
        if child.name == text:
            return child
    return None


GROUP_ROLES = ("panel", "grouping", "filler")


def group_named(name):
    return (find_all(app, lambda n: n.getRoleName() in GROUP_ROLES and n.name == name and showing(n)) or [None])[0]


def place_names(group):
    """The names of the labels inside a group box, in the form's order: the place numbers, then
    the places themselves."""
    return [n.name for n in find_all(group, lambda n: n.getRoleName() == "label")]


CONTROL_MASK = 1 << 2
PAGE_DOWN = 0xFF56  # the X keysym "Next"


def control_key(keysym):
    """Presses a key with Ctrl held, through the accessibility registry's own key events."""
    pyatspi.Registry.generateKeyboardEvent(CONTROL_MASK, None, pyatspi.KEY_LOCKMODIFIERS)
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    pyatspi.Registry.generateKeyboardEvent(CONTROL_MASK, None, pyatspi.KEY_UNLOCKMODIFIERS)
    time.sleep(0.4)


DOWN, HOME, RETURN, ESCAPE = 0xFF54, 0xFF50, 0xFF0D, 0xFF1B  # X keysyms


def key(keysym):
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    time.sleep(0.3)


def type_text(text):
    """Types ASCII letters, a key each."""
    for letter in text:
        pyatspi.Registry.generateKeyboardEvent(ord(letter), None, pyatspi.KEY_SYM)
        time.sleep(0.1)
    time.sleep(0.4)


def found_list():
    return (find_all(app, named("list", "Znalezione stacje")) or [None])[0]


def text_of(node):
    t = node.queryText()
    return t.getText(0, t.characterCount)


process = subprocess.Popen([PROGRAM], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    app = wait_for(application, 30.0)  # other tests may keep both cores busy
    check(app is not None, "the program appears on the accessibility bus")
    if app is None:
        raise SystemExit(1)

    categories = wait_for(lambda: (find_all(app, named("list", "Kategoria")) or [None])[0])
    check(categories is not None, "the category list is named 'Kategoria'")
    header = lambda: [n.name for n in find_all(app, lambda n: n.getRoleName() == "label" and showing(n)
                                                   and n.name in ("Telewizja", "Radio", "Wyszukiwarka", "Prywatność"))]
    check(wait_for(lambda: "Telewizja" in header()), "the TV category is selected at start")

    click(item_of(categories, "Radio"))
    check(wait_for(lambda: "Radio" in header()), "selecting 'Radio' shows the radio panel's header")

    regions = wait_for(lambda: (find_all(app, named("list", "Kraj / Region:")) or [None])[0])
    check(regions is not None, "the radio panel's region list is named 'Kraj / Region:'")
    click(item_of(regions, "Polska"))
    stations = wait_for(lambda: (find_all(app, named("list", "Stacja radiowa:")) or [None])[0])
    check(stations is not None, "the station list is named 'Stacja radiowa:'")
    first = wait_for(lambda: (children(stations) or [None])[0])
    check(first is not None, "choosing 'Polska' lists its stations")
    click(first)
    details = wait_for(lambda: (find_all(app, lambda n: n.getRoleName() == "text" and n.name == "Nazwa:" and showing(n)) or [None])[0])
    check(details is not None, "the details' name field is named 'Nazwa:'")
    check(wait_for(lambda: text_of(details) == first.name), "the details show the chosen station: %r" % first.name)
    kind = (find_all(app, lambda n: n.getRoleName() == "text" and n.name == "Kodowanie:" and showing(n)) or [None])[0]
    check(kind is not None and text_of(kind) != "", "the encoding line is filled")
    start = (find_all(app, named("push button", "START")) or [None])[0]
    check(start is not None and start.getState().contains(pyatspi.STATE_ENABLED), "START is enabled")

    # The station finder by keyboard alone: Ctrl+F, typing, Down, Enter; Escape leaves all as it was.
    control_key(ord("f"))
    finder = wait_for(lambda: (find_all(app, named("text", "Znajdź stację")) or [None])[0])
    check(finder is not None and wait_for(lambda: finder.getState().contains(pyatspi.STATE_FOCUSED)),
          "Ctrl+F puts the focus in a field named 'Znajdź stację'")
    type_text("lodz")
    found = wait_for(lambda: (find_all(app, named("list", "Znalezione stacje")) or [None])[0])
    check(found is not None, "the results are a list named 'Znalezione stacje'")
    if found is not None:
        check(wait_for(lambda: [c.name for c in children(found)][:1] == ["Radio Łódź — Polska"]),
              "'lodz' finds 'Radio Łódź — Polska': %r" % [c.name for c in children(found)])
        key(DOWN)
        check(wait_for(lambda: found.getState().contains(pyatspi.STATE_FOCUSED)), "Down moves into the results")
        key(RETURN)
        check(wait_for(lambda: not find_all(app, named("text", "Znajdź stację"))), "Enter closes the finder")
        check(wait_for(lambda: text_of(details) == "Radio Łódź"), "Enter selects the station: %r" % text_of(details))
        check(wait_for(lambda: stations.getState().contains(pyatspi.STATE_FOCUSED)), "the station list has the focus")
    control_key(ord("f"))
    type_text("qqq")
    check(wait_for(lambda: [c.name for c in children(found_list())] == ["Brak stacji o takiej nazwie"]),
          "no station found says so")
    key(ESCAPE)
    check(wait_for(lambda: not find_all(app, named("text", "Znajdź stację"))), "Escape closes the finder")
    check(process.poll() is None and text_of(details) == "Radio Łódź", "Escape closes nothing else, changes nothing")
    check(wait_for(lambda: stations.getState().contains(pyatspi.STATE_FOCUSED)), "the focus is back in the station list")
    key(HOME)
    check(wait_for(lambda: text_of(details) == first.name), "Home chooses the first station again")

    # Each group box is announced by its own caption, an empty place by nothing.
    check(group_named("Wybierz kraj oraz program:") is not None, "the radio panel's group reads its own caption")
    recent = group_named("Ostatnio słuchane")
    check(recent is not None, "the recent-stations group reads 'Ostatnio słuchane'")
    if recent is not None:
        names = place_names(recent)
        check(names == ["1.", "2.", "3.", "", "", ""], "the empty places read as nothing: %r" % names)

    click(item_of(categories, "Telewizja"))
    check(wait_for(lambda: group_named("Ostatnio oglądane")), "the TV recent-stations group reads 'Ostatnio oglądane'")
    check(group_named("Wybierz kraj oraz program:") is not None, "the TV panel's group reads its own caption")

    click(item_of(categories, "Prywatność"))
    for caption in ("Internet - działania", "System - działania", "Internet - opcje", "System - opcje"):
        check(wait_for(lambda: group_named(caption)), "the privacy group %r reads its own caption" % caption)

    click(item_of(categories, "Wyszukiwarka"))
    check(wait_for(lambda: "Wyszukiwarka" in header()), "selecting 'Wyszukiwarka' shows the search panel")
    query = wait_for(lambda: (find_all(app, lambda n: n.getRoleName() == "text" and n.name == "Wpisz nazwę poszukiwanej treści:" and showing(n)) or [None])[0])
    check(query is not None and query.getState().contains(pyatspi.STATE_FOCUSED), "the query field has the focus")

    # By keyboard alone out of the search panel, through every category and back to it.
    for caption in ("Prywatność", "Telewizja", "Radio", "Wyszukiwarka"):
        control_key(PAGE_DOWN)
        check(wait_for(lambda: caption in header()), "Ctrl+Page Down shows %r: %r" % (caption, header()))
    check(query is not None and wait_for(lambda: query.getState().contains(pyatspi.STATE_FOCUSED)),
          "back on the search panel, the query field has the focus again")

    # After a START the first place names the station, the others still nothing.
    click(item_of(categories, "Radio"))
    start = wait_for(lambda: (find_all(app, named("push button", "START")) or [None])[0])
    check(start is not None, "back on the radio panel, START is there")
    if start is not None and recent is not None:
        start.queryAction().doAction(0)
        check(wait_for(lambda: place_names(recent) == ["1.", "2.", "3.", first.name, "", ""]),
              "after START the first place names the station: %r" % place_names(recent))
        # The station plays in a player window of the program's own: the window opens (its stream
        # cannot be reached here, which its control bar shows), and no error box comes instead.
        player = wait_for(lambda: next((w for w in children(app) if w.name == "Odbiór strumienia" and showing(w)), None))
        check(player is not None, "START opens the player window")
        boxes = find_all(app, lambda n: n.getRoleName() in ("alert", "dialog") and showing(n))
        check(not boxes, "no message box after START: %r" % [(b.name, [c.name for c in children(b)]) for b in boxes])
finally:
    process.terminate()
    process.wait(10)

print("%d passed, %d failed" % (len(checks) - len(failures), len(failures)))
sys.exit(1 if failures else 0)
