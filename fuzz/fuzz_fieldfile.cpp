// Field files come from the racing authority's file service: every byte of them is outside input.
#include "import/FieldFileParser.h"

#include <cstddef>
#include <cstdint>

using namespace Qt::Literals::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    static const FieldFileName identity{u"0604FLEM"_s, u"FLEM"_s, u"ACP"_s};
    try {
        const FieldFile file = FieldFileParser::parse(bytes, u"0604FLEM.ACP"_s, identity);
        for (const FieldHorse &horse : file.horses) {
            if (horse.raceIndex < 0 || horse.raceIndex >= file.races.size())
                __builtin_trap();
        }
    } catch (const FieldFileError &) {
    }
    return 0;
}
