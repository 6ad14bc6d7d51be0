#pragma once

#include <QString>

class QWidget;

// Entry points of the form windows for every list that opens them. Each sets the statistics
// hand-over values as its gesture does and shows the window modally.

// Opens the statistics window for the hand-over values as they are set.
void openStatistics(QWidget *parent);
void openHorseForm(QWidget *parent, const QString &horse);
void openHorseJockeyForm(QWidget *parent, const QString &horse);
void openJockeyForm(QWidget *parent, const QString &jockey);
void openTrainerForm(QWidget *parent, const QString &trainer, const QString &formTrainer = {});
void openTrainerJockeyForm(QWidget *parent, const QString &trainer, const QString &formTrainer = {});

// The result of one race; not shown when the server does not hold it (the message is shown).
void openRaceResult(QWidget *parent, const QString &date, const QString &track, const QString &raceNo,
                    const QString &horse);

// The horse search window.
void openHorseSearch(QWidget *parent);

// The rating page and the registration search in the browser window.
void showRating(QWidget *parent, const QString &horse);
void showRegistration(QWidget *parent, const QString &horse);
