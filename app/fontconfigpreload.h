#pragma once

#include <thread>

namespace linkwell {

// Reads the machine's font configuration on a second thread while the
// application connects to the display. Qt reads it on the first text the
// window lays out, and reading it was half of what the window adds to a bare
// one's start; on a machine with a core to spare it is done by then.
class FontConfigPreload {
public:
    // Start before the QApplication is made.
    FontConfigPreload();
    ~FontConfigPreload();

    // Returns once the configuration is read. Call before the first widget:
    // were Qt to start reading it too, the two would read it twice.
    void wait();

private:
    std::thread reader_;
};

} // namespace linkwell
