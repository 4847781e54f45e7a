#pragma once

#include <functional>

class QWidget;

namespace zentrel {
class DBaser;
}

// Long work on the engine's databases (an older file's first open, the copy of every count) run
// on a thread of its own while the user-interface thread keeps the window painted. When the work
// takes over half a second a progress dialog names the step the engine reports. User input waits
// until the work is done; a close of the window asked for meanwhile comes after it. What the
// work raises reaches the caller as it was raised.
class DatabaseWork {
public:
    // The dialog's delay.
    static constexpr int kShowAfterMs = 500;

    static void run(QWidget* window, zentrel::DBaser& db, const std::function<void()>& work);
    // From now on the engine's long refresh work (the copy of every count after another
    // connection wrote) runs this way too, over the window.
    static void takeOver(QWidget* window, zentrel::DBaser& db);
};
