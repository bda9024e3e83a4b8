#!/usr/bin/env python3
"""Checks of the markdown-table converter's cell rule and table handling."""

import os
import sys
import unittest

sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mdtable2cpp as m  # noqa: E402

SAMPLE = """Intro text.

Model 1 table (`X`), two codes.

| Code | Len | Kind | Show | Corr | Track | State | Text |
|---|---|---|---|---|---|---|---|
| 0 | 3 | 1 | 1 | 1 | 74 | 1 | Plain text |
| 232 | 3 | 3 | 1 | 0 | 151 | 1 | Two  blanks and "a quote " |
| 9 | 3 | 1 | 1 | 1 | 0 | 0 | Holds a | bar |

Restart-reason tables: three rows.

| Index | Text |
|---|---|
| 0 | zero |
| 1-2 | one or two |
| 3 | model 1: for one; model 2: for two |
"""


class CellRule(unittest.TestCase):
    def test_exactly_one_blank_per_side(self):
        self.assertEqual(m.split_row("|  a  | b |"), [" a ", "b"])
        self.assertEqual(m.split_row("|a|b|"), ["a", "b"])

    def test_last_column_takes_the_rest(self):
        self.assertEqual(m.split_row("| 1 | x | y |", 2), ["1", "x | y"])

    def test_rows_come_through_as_written(self):
        rows = m.event_rows(SAMPLE, "Model 1 table")
        self.assertEqual(rows[0], ([0, 3, 1, 1, 1, 74, 1], "Plain text"))
        self.assertEqual(rows[1][1], 'Two  blanks and "a quote "')
        self.assertEqual(rows[2][1], "Holds a | bar")

    def test_reasons_expand_ranges_and_split_by_model(self):
        sample = SAMPLE.replace("| 3 | model", "| 3-52 | model")
        r = m.reason_texts(sample, "Restart-reason tables")
        self.assertEqual(r[1][1], "one or two")
        self.assertEqual(r[2][2], "one or two")
        self.assertEqual(r[1][52], "for one")
        self.assertEqual(r[2][3], "for two")

    def test_missing_reasons_are_refused(self):
        with self.assertRaises(m.TableError):
            m.reason_texts(SAMPLE, "Restart-reason tables")

    def test_bad_rows_are_refused(self):
        bad = SAMPLE.replace("| 9 | 3 |", "| 0 | 3 |")
        with self.assertRaises(m.TableError):
            m.event_rows(bad, "Model 1 table")
        with self.assertRaises(m.TableError):
            m.event_rows(SAMPLE.replace("| 74 |", "| 300 |"), "Model 1 table")

    def test_literals_escape_quotes(self):
        self.assertEqual(m.cpp_string('a"b\\c', "_cp"), '"a\\"b\\\\c"_cp')


CHART_SAMPLE = """- Track table: two entries.

| Track | Always | Drawing | Caption |
|---|---|---|---|
| 3 | 1 | 2 | Stan WB  |
| 151 | 0 | 1 | A  B |

- Style table: nine styles.

| Index | Colour (TColor) | Pen style | Thickness | Legend text |
|---|---|---|---|---|
""" + "".join("| %d | $0000FF red | %s | 1.%d mm | T%d |\n" % (k, "dotted (pen style 2)" if k == 3 else "solid", k, k)
              for k in range(9))


class ChartTables(unittest.TestCase):
    def test_tracks_keep_their_blanks(self):
        self.assertEqual(m.track_rows(CHART_SAMPLE), [(3, 1, 2, "Stan WB "), (151, 0, 1, "A  B")])

    def test_styles_read_colour_pen_and_tenths(self):
        styles = m.style_rows(CHART_SAMPLE)
        self.assertEqual(styles[3], (3, 0x0000FF, 2, 13, "T3"))
        self.assertEqual(styles[0], (0, 0x0000FF, 0, 10, "T0"))

    def test_tracks_out_of_order_are_refused(self):
        with self.assertRaises(m.TableError):
            m.track_rows(CHART_SAMPLE.replace("| 151 |", "| 2 |"))
        with self.assertRaises(m.TableError):
            m.track_rows(CHART_SAMPLE.replace("| 151 |", "| 172 |"))


if __name__ == "__main__":
    unittest.main()
