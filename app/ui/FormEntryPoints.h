#pragma once

class MainWindow;
class MainWindowCommands;

// Connects the main window's gestures that open the form windows: "Find &Horse", the form
// items of the lists' pop-up menus and the clicks on the best-placing columns.
void wireFormWindows(MainWindow *window, const MainWindowCommands &commands);
