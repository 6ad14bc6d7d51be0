// Any text the network may send goes through the dialect translator before SQLite sees it.
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
    return 0;
}
