#pragma once

class UserDialogs;

// UserDialogs::instance() for the calling thread alone (nullptr: the program-wide one again). A
// worker thread installs one that shows nothing: message boxes live on the windows' thread.
void setThreadUserDialogs(UserDialogs *dialogs);
