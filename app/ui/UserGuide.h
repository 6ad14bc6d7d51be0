#pragma once

#include <QString>

class QWidget;

// Help > User Guide: the guide installed with the program (Markdown with its pictures) in a window of its
// own; a message says where it was looked for when it is not installed.
void openUserGuide(QWidget *parent);
// The same over the guide in `folder` (guide.md and guide/); the window, or nullptr when there is none.
QWidget *openUserGuide(QWidget *parent, const QString &folder);
