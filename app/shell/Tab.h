#pragma once

// The main window's pages by number, in the order of the tab strip (0: no page). The names
// convert to the page numbers the window's members take.
namespace Tab {
enum Number : int { None = 0, Help = 1, Raw = 2, KWs = 3, Groups = 4, Banned = 5, Downloading = 6 };
}
