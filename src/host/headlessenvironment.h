#pragma once

// Prepares a command-line program's process before its QGuiApplication
// starts: pictures and text layout need a GUI application but never a
// screen, and without a runtime folder Qt prints a warning on every run.
class HeadlessEnvironment
{
public:
    // Offscreen platform unless one is chosen, a private runtime folder
    // unless one is set, and the system's time zone named in TZ unless one is.
    static void prepare();
};
