#pragma once

#include <QString>

// Where long steps report what they are doing (the splash window's status line at start-up).
class StatusSink
{
public:
    virtual ~StatusSink() = default;
    virtual void showStatus(const QString &text) = 0;

    static void setInstance(StatusSink *sink);
    static StatusSink *instance();
};

// Reports a step through the program-wide sink; does nothing when none is installed.
void showStatus(const QString &text);
