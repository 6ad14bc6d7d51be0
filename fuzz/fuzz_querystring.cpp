// The request's query string or body, decoded before anything else looks at it.
#include "QueryString.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    for (const auto &[key, value] : QueryString::parse(text))
        QueryString::isValidUtf8(key + value);
    // Decoding never makes a text longer.
    if (QueryString::decode(text).size() > text.size())
        __builtin_trap();
    return 0;
}
