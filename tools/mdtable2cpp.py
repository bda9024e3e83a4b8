#!/usr/bin/env python3
"""Markdown-table to C++ table converter.

Reads pipe tables from a markdown text and writes them out as C++ constant data, so that
long tables are transcribed by a program instead of by hand.

Cell rule: a row "| a | b |" is split at its bars and exactly one padding blank is removed
on each side of every cell. Any further blanks belong to the cell, so texts with double
blanks or with a blank before a closing quote come through unchanged. The last column takes
the rest of the row, so a text that itself holds a bar is not split.

A table is found by its caption: the last non-empty, non-table line before the table
starts with the given caption text.

Usage:
  mdtable2cpp.py event-kinds INPUT.md OUTPUT.cpp
      writes the two models' event-kind rows and the restart-reason texts
  mdtable2cpp.py event-charts INPUT.md OUTPUT.cpp
      writes the chart's track table and its style table
  mdtable2cpp.py dump INPUT.md CAPTION
      prints the cells of one table, one row per line, cells between brackets (for checking)
"""

import re
import sys


class TableError(Exception):
    pass


def split_row(line, columns=None):
    """Split one table row into cells, stripping exactly one padding blank per side."""
    if not (line.startswith("|") and line.endswith("|")):
        raise TableError("not a table row: %r" % line)
    inner = line[1:-1]
    parts = inner.split("|")
    if columns is not None:
        if len(parts) < columns:
            raise TableError("row has %d cells, expected %d: %r" % (len(parts), columns, line))
        parts = parts[: columns - 1] + ["|".join(parts[columns - 1 :])]
    cells = []
    for p in parts:
        if p.startswith(" "):
            p = p[1:]
        if p.endswith(" "):
            p = p[:-1]
        cells.append(p)
    return cells


def is_separator(line):
    return re.fullmatch(r"\|(\s*:?-+:?\s*\|)+", line) is not None


def find_tables(text):
    """All pipe tables as (caption, header cells, list of row lines)."""
    lines = text.split("\n")
    tables = []
    caption = ""
    i = 0
    while i < len(lines):
        line = lines[i].rstrip("\r")
        if line.startswith("|") and i + 1 < len(lines) and is_separator(lines[i + 1].rstrip("\r")):
            header = split_row(line)
            rows = []
            i += 2
            while i < len(lines) and lines[i].rstrip("\r").startswith("|"):
                rows.append(lines[i].rstrip("\r"))
                i += 1
            tables.append((caption, header, rows))
            continue
        if line.strip():
            caption = line.strip()
        i += 1
    return tables


def table_by_caption(text, caption, header):
    found = [t for t in find_tables(text) if t[0].startswith(caption) and t[1] == header]
    if len(found) != 1:
        raise TableError("expected one table captioned %r with columns %r, found %d"
                         % (caption, header, len(found)))
    return found[0]


def byte_value(cell, what):
    if not re.fullmatch(r"[0-9]+", cell):
        raise TableError("%s is not a number: %r" % (what, cell))
    v = int(cell)
    if v > 255:
        raise TableError("%s out of byte range: %r" % (what, cell))
    return v


def cpp_string(text, suffix=""):
    """A C++ narrow string literal holding the UTF-8 text, with an optional literal suffix."""
    out = ['"']
    for ch in text:
        if ch == '"':
            out.append('\\"')
        elif ch == "\\":
            out.append("\\\\")
        elif ord(ch) < 0x20 or ord(ch) == 0x7F:
            raise TableError("control character in text: %r" % text)
        else:
            out.append(ch)
    out.append('"')
    out.append(suffix)
    return "".join(out)


EVENT_COLUMNS = ["Code", "Len", "Kind", "Show", "Corr", "Track", "State", "Text"]
REASON_COLUMNS = ["Index", "Text"]
REASON_COUNT = 53


def event_rows(text, caption):
    _, _, rows = table_by_caption(text, caption, EVENT_COLUMNS)
    out = []
    seen = set()
    for line in rows:
        cells = split_row(line, len(EVENT_COLUMNS))
        nums = [byte_value(c, EVENT_COLUMNS[k]) for k, c in enumerate(cells[:7])]
        if nums[0] in seen:
            raise TableError("code %d twice in %r" % (nums[0], caption))
        seen.add(nums[0])
        out.append((nums, cells[7]))
    return out


def reason_texts(text, caption):
    """Restart reasons per model: ranges "a-b" are expanded, a text of the form
    "model 1: X; model 2: Y" is split by model."""
    _, _, rows = table_by_caption(text, caption, REASON_COLUMNS)
    per_model = {1: [None] * REASON_COUNT, 2: [None] * REASON_COUNT}
    for line in rows:
        index, reason = split_row(line, len(REASON_COLUMNS))
        m = re.fullmatch(r"([0-9]+)(?:-([0-9]+))?", index)
        if not m:
            raise TableError("bad reason index %r" % index)
        first = int(m.group(1))
        last = int(m.group(2)) if m.group(2) else first
        if not (0 <= first <= last < REASON_COUNT):
            raise TableError("reason index out of range: %r" % index)
        split = re.fullmatch(r"model 1: (.*); model 2: (.*)", reason)
        texts = {1: split.group(1), 2: split.group(2)} if split else {1: reason, 2: reason}
        for model in (1, 2):
            for k in range(first, last + 1):
                if per_model[model][k] is not None:
                    raise TableError("reason %d given twice" % k)
                per_model[model][k] = texts[model]
    for model in (1, 2):
        missing = [k for k, t in enumerate(per_model[model]) if t is None]
        if missing:
            raise TableError("reasons missing for model %d: %r" % (model, missing))
    return per_model


def emit_event_kinds(text):
    m1 = event_rows(text, "Model 1 table")
    m2 = event_rows(text, "Model 2 table")
    reasons = reason_texts(text, "Restart-reason tables")
    out = []
    w = out.append
    w("// Transcribed once by tools/mdtable2cpp.py (event-kinds) from the maker's tables.")
    w("// Those tables are not kept here, so this file is the source now: make changes here, by")
    w("// hand. The tool's `dump` mode shows a table as the converter reads it, for checking a")
    w("// transcription.")
    w('#include "app/EventKinds.h"')
    w("")
    w('#include "platform/Codepage.h"')
    w("")
    w("namespace {")
    w("")
    for name, rows in (("Kivs2Rows", m1), ("Kivs3Rows", m2)):
        w("// Code, length, decoder kind, show, correction, chart track, state, text.")
        w("constexpr TEventKindRow %s[] = {" % name)
        for nums, t in rows:
            w("    {%s, %s}," % (", ".join(str(n) for n in nums), cpp_string(t, "_cp")))
        w("};")
        w("")
    for model in (1, 2):
        w("constexpr std::string_view RestartReasons%d[RESTART_REASON_COUNT] = {" % model)
        for k, t in enumerate(reasons[model]):
            w("    /* %2d */ %s," % (k, cpp_string(t, "_cp")))
        w("};")
        w("")
    w("template <size_t N>")
    w("constexpr bool EventTextsFit(const TEventKindRow (&rows)[N])")
    w("{")
    w("  for (const TEventKindRow& r : rows)")
    w("    if (r.Text.size() > EK_DESCRIPTION_MAX)")
    w("      return false;")
    w("  return true;")
    w("}")
    w("")
    w("template <size_t N>")
    w("constexpr bool ReasonTextsFit(const std::string_view (&texts)[N])")
    w("{")
    w("  for (std::string_view t : texts)")
    w("    if (t.size() > RESTART_REASON_TEXT_MAX)")
    w("      return false;")
    w("  return true;")
    w("}")
    w("")
    w('static_assert(EventTextsFit(Kivs2Rows) && EventTextsFit(Kivs3Rows), "event text longer than its field");')
    w('static_assert(ReasonTextsFit(RestartReasons1) && ReasonTextsFit(RestartReasons2), "reason text longer than its field");')
    w("")
    w("} // namespace")
    w("")
    w("std::span<const TEventKindRow> EventKindRows(int model)")
    w("{")
    w("  switch (model) {")
    w("  case 1: return Kivs2Rows;")
    w("  case 2: return Kivs3Rows;")
    w("  default: return {};")
    w("  }")
    w("}")
    w("")
    w("std::span<const std::string_view> RestartReasonTexts(int model)")
    w("{")
    w("  switch (model) {")
    w("  case 1: return RestartReasons1;")
    w("  case 2: return RestartReasons2;")
    w("  default: return {};")
    w("  }")
    w("}")
    return "\n".join(out) + "\n"


TRACK_COLUMNS = ["Track", "Always", "Drawing", "Caption"]
STYLE_COLUMNS = ["Index", "Colour (TColor)", "Pen style", "Thickness", "Legend text"]
TRACK_LAST = 171
STYLE_COUNT = 9


def track_rows(text):
    _, _, rows = table_by_caption(text, "- Track table", TRACK_COLUMNS)
    out = []
    last = 0
    for line in rows:
        cells = split_row(line, len(TRACK_COLUMNS))
        track, always, drawing = (byte_value(c, TRACK_COLUMNS[k]) for k, c in enumerate(cells[:3]))
        if not (last < track <= TRACK_LAST):
            raise TableError("track %d out of order or range" % track)
        if always not in (0, 1) or drawing not in (1, 2):
            raise TableError("bad flags for track %d" % track)
        last = track
        out.append((track, always, drawing, cells[3]))
    return out


def style_rows(text):
    _, _, rows = table_by_caption(text, "- Style table", STYLE_COLUMNS)
    out = []
    for k, line in enumerate(rows):
        index, colour, pen, thick, legend = split_row(line, len(STYLE_COLUMNS))
        if byte_value(index, "Index") != k:
            raise TableError("style %r out of order" % index)
        m = re.fullmatch(r"\$([0-9A-Fa-f]{6}) [a-z]+", colour)
        if not m:
            raise TableError("bad colour %r" % colour)
        if pen == "solid":
            style = 0
        else:
            p = re.fullmatch(r"[a-z]+ \(pen style ([0-5])\)", pen)
            if not p:
                raise TableError("bad pen style %r" % pen)
            style = int(p.group(1))
        t = re.fullmatch(r"([0-9]+)\.([0-9]) mm", thick)
        if not t:
            raise TableError("bad thickness %r" % thick)
        out.append((k, int(m.group(1), 16), style, int(t.group(1)) * 10 + int(t.group(2)), legend))
    if len(out) != STYLE_COUNT:
        raise TableError("expected %d styles, found %d" % (STYLE_COUNT, len(out)))
    return out


def emit_event_charts(text):
    tracks = track_rows(text)
    styles = style_rows(text)
    out = []
    w = out.append
    w("// Transcribed once by tools/mdtable2cpp.py (event-charts) from the maker's tables.")
    w("// Those tables are not kept here, so this file is the source now: make changes here, by")
    w("// hand. The tool's `dump` mode shows a table as the converter reads it, for checking a")
    w("// transcription.")
    w('#include "app/ListerChart.h"')
    w("")
    w('#include "platform/Codepage.h"')
    w("")
    w("namespace {")
    w("")
    w("// Track, always drawn, drawing kind, caption.")
    w("constexpr EvChart::TTrackEntry TrackRows[] = {")
    for track, always, drawing, caption in tracks:
        w("    {%d, %d, %d, %s}," % (track, always, drawing, cpp_string(caption, "_cp")))
    w("};")
    w("")
    w("// State, colour ($00BBGGRR), pen style, thickness in 0.1 mm, legend text.")
    w("constexpr EvChart::TStyleEntry StyleRows[] = {")
    for k, colour, style, thick, legend in styles:
        w("    {%d, 0x%06X, %d, %d, %s}," % (k, colour, style, thick, cpp_string(legend, "_cp")))
    w("};")
    w("")
    w("template <size_t N>")
    w("constexpr bool CaptionsFit(const EvChart::TTrackEntry (&rows)[N])")
    w("{")
    w("  for (const EvChart::TTrackEntry& r : rows)")
    w("    if (r.Caption.size() > EvChart::CaptionMax)")
    w("      return false;")
    w("  return true;")
    w("}")
    w("")
    w('static_assert(CaptionsFit(TrackRows), "track caption longer than its field");')
    w('static_assert(std::size(StyleRows) == EvChart::StyleCount, "one style per state");')
    w("")
    w("} // namespace")
    w("")
    w("std::span<const EvChart::TTrackEntry> EvChart::TrackRows() { return ::TrackRows; }")
    w("std::span<const EvChart::TStyleEntry> EvChart::StyleRows() { return ::StyleRows; }")
    return "\n".join(out) + "\n"


GENERATORS = {"event-kinds": lambda text: emit_event_kinds(text),
              "event-charts": lambda text: emit_event_charts(text)}


def main(argv):
    if len(argv) == 4 and argv[1] in GENERATORS:
        with open(argv[2], encoding="utf-8") as f:
            text = f.read()
        result = GENERATORS[argv[1]](text)
        with open(argv[3], "w", encoding="utf-8", newline="\n") as f:
            f.write(result)
        return 0
    if len(argv) == 4 and argv[1] == "dump":
        with open(argv[2], encoding="utf-8") as f:
            text = f.read()
        for caption, header, rows in find_tables(text):
            if caption.startswith(argv[3]):
                for line in rows:
                    print("".join("[%s]" % c for c in split_row(line, len(header))))
                return 0
        print("no table captioned %r" % argv[3], file=sys.stderr)
        return 1
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except TableError as e:
        print("mdtable2cpp: " + str(e), file=sys.stderr)
        sys.exit(1)
