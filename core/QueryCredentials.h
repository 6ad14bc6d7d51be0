#pragma once

#include <QString>

// The account every data-server query sends, held for the run; copied from the settings at
// start-up and again when the settings dialog saves.
struct QueryCredentials {
    QString userName;
    QString password;

    static QueryCredentials &current()
    {
        static QueryCredentials credentials;
        return credentials;
    }
};
