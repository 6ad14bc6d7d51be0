#include "StatusSink.h"

namespace {
StatusSink *current = nullptr;
}

void StatusSink::setInstance(StatusSink *sink)
{
    current = sink;
}

StatusSink *StatusSink::instance()
{
    return current;
}

void showStatus(const QString &text)
{
    if (current)
        current->showStatus(text);
}
