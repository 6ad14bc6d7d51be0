#include "TrainerRecord.h"

#include "core/TextRules.h"
#include "db/Database.h"

using namespace Qt::Literals::StringLiterals;

namespace trainers {

EditorStart editorStart(const QString &name, const TrainerNotes &detailBoxes)
{
    EditorStart start;
    start.notes.name = name;
    QueryResult query = OpenQuery(u"SELECT TrainerLocation, Phone, TrainerMobile, TrainerComments, IgnoreTrainer "
                                  "FROM Trainer WHERE TrainerName = ?"_s,
                                  {name});
    if (!query.next()) {
        start.notes.location = detailBoxes.location;
        start.notes.phone = detailBoxes.phone;
        start.notes.mobile = detailBoxes.mobile;
        return start;
    }
    start.stored = true;
    auto orBox = [](const QVariant &value, const QString &box) { return value.isNull() ? box : value.toString(); };
    start.notes.location = orBox(query.value(0), detailBoxes.location);
    start.notes.phone = orBox(query.value(1), detailBoxes.phone);
    start.notes.mobile = orBox(query.value(2), detailBoxes.mobile);
    start.notes.comments = query.value(3).toString();
    start.notes.ignore = query.value(4).toInt() != 0;
    return start;
}

void storeTrainer(const TrainerNotes &notes)
{
    Db db = OpenDb();
    Transaction transaction(db);
    const QVariantList values{textOrNull(notes.location.trimmed()),
                              textOrNull(notes.phone.trimmed()),
                              textOrNull(notes.mobile.trimmed()),
                              textOrNull(notes.comments.trimmed()),
                              notes.ignore ? 1 : 0,
                              notes.name};
    // A second window may have added the trainer meanwhile: then this one updates it.
    if (db.scalar(u"SELECT 1 FROM Trainer WHERE TrainerName = ?"_s, {notes.name}).isValid())
        db.exec(u"UPDATE Trainer SET TrainerLocation = ?, Phone = ?, TrainerMobile = ?, TrainerComments = ?, "
                "IgnoreTrainer = ? WHERE TrainerName = ?"_s,
                values);
    else
        db.exec(u"INSERT INTO Trainer (TrainerLocation, Phone, TrainerMobile, TrainerComments, IgnoreTrainer, "
                "TrainerName) VALUES (?, ?, ?, ?, ?, ?)"_s,
                values);
    transaction.commit();
}

} // namespace trainers
