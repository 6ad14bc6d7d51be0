#pragma once

#include <QString>

// The program-wide debug switch: while it is on, the meeting download appends the pages it
// fetches to the file the agent chose, so a failing page can be sent in and examined.
class DebugMode
{
public:
    static bool isOn();
    static QString filePath();
    // On with the file to write to, or off (the file is forgotten).
    static void turnOn(const QString &filePath);
    static void turnOff();

    // Appends `text` and a line break to the debug file; does nothing while debug mode is off.
    // False when the file cannot be written.
    static bool append(const QString &text);

private:
    static bool &on();
    static QString &path();
};
