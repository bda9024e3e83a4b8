#pragma once
// What the document window is busy with.

// Printing counts as busy: its pages are printed while window messages are processed.
enum class TChildActivity { Idle, Reading, Writing, Printing };
