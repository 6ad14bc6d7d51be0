#pragma once

#include <QString>

// The agent's notes on one trainer (`Trainer` table), as the trainer editor reads and stores them.
namespace trainers {

struct TrainerNotes {
    QString name;
    QString location;
    QString phone;
    QString mobile;
    QString comments;
    bool ignore = false;
};

// What the editor shows on opening: the stored row, with a missing (null) location, phone or
// mobile taken from the main window's detail boxes; without a row, the boxes alone and `stored`
// false (the editor then offers Add, not Update).
struct EditorStart {
    bool stored = false;
    TrainerNotes notes;
};
EditorStart editorStart(const QString &name, const TrainerNotes &detailBoxes);

// Stores the notes (an empty field is null): adds the row when there is none, else rewrites
// every field but the name. Throws DbError.
void storeTrainer(const TrainerNotes &notes);

} // namespace trainers
