#pragma once

class QKeyEvent;
class ucKW;

// The keyword page's key table: keys of the page (anywhere on it) and of its grid, run on
// release; Shift, Alt and Ctrl combinations other than the table's do nothing.
class KWKeys {
public:
    // Keys the page runs wherever its focus is.
    static bool IsPageKey(const QKeyEvent* event);
    // Keys the grid runs (its own and the page's).
    static bool IsGridKey(const QKeyEvent* event);
    // Runs the command of the key; false when the key has none.
    static bool RunPageKey(ucKW& page, const QKeyEvent* event);
    static bool RunGridKey(ucKW& page, const QKeyEvent* event);
};
