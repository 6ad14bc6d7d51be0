#pragma once

#include <map>
#include <string>

// Decodes the query string of a data-server request as application/x-www-form-urlencoded ('+' is a
// blank, %2B a plus). The client does not encode the SQL it sends, so a raw '&' or '=' inside it must not
// split the text: a piece without a known key belongs to the value before it.
class QueryString
{
public:
    static std::map<std::string, std::string> parse(const std::string &query);
    static std::string decode(const std::string &text);
    static bool isValidUtf8(const std::string &text);
};
