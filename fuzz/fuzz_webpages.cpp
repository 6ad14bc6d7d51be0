// The racing web sites' pages are outside input: every page parser gets the same bytes.
#include "import/WebFieldPages.h"

#include <cstddef>
#include <cstdint>

using namespace Qt::Literals::StringLiterals;

using namespace webpages;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString html = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    parseCalendar(html, true);
    parseStateList(html, false);
    parseWaClubList(html, QDate(2026, 12, 1));
    parseFieldPage(html);
    parseStateListPage(html, u"Acceptances"_s);
    QList<WebRace> races = parseWaMeetingPage(html);
    WebRace race;
    parseWaRacePage(html, races.isEmpty() ? race : races.first());
    return 0;
}
