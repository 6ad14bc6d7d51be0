// Any text the network may send goes through a dialect translator before a database sees it.
#include "MariaDbDialect.h"
#include "SqlDialect.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    std::string error;
    const std::string out = SqlDialect::translate(text, &error);
    // A refusal gives no text; a translation never loses a refusal reason.
    if (!error.empty() && !out.empty())
        __builtin_trap();
    // The MariaDB check either passes a statement or says why not, never both, never neither.
    const MariaDbStatement statement = prepareForMariaDb(text);
    if (statement.ok == statement.sql.empty() || statement.ok != statement.error.empty() ||
        statement.ok != statement.errorKind.empty())
        __builtin_trap();
    return 0;
}
