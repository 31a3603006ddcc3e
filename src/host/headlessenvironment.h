#pragma once

// Prepares a command-line program's process before its QGuiApplication
// starts: pictures and text layout need a GUI application but never a
// screen, and without a runtime folder Qt prints a warning on every run.
class HeadlessEnvironment
{
public:
    // Offscreen platform unless one is chosen, and a private runtime folder
    // unless one is set.
    static void prepare();
};
