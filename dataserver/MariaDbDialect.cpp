#include "MariaDbDialect.h"

#include "FormSchema.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <stdexcept>
#include <vector>

namespace {

enum class Kind { Space, Word, Ident, String, Number, Punct, Open, Close };

struct Token {
    Kind kind;
    std::string text; // String: the value; Ident: the name; others: as written
};

struct Node {
    Token tok;
    bool group = false;
    std::vector<Node> kids;
};
using Seq = std::vector<Node>;

// Thrown by the walks below; caught once in prepareForMariaDb.
struct Refusal {
    std::string kind, why;
};

constexpr int kMaxNesting = 100;
constexpr size_t kMaxTokens = 20000;

bool isIdentChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool inList(const std::string &word, std::initializer_list<const char *> list)
{
    const std::string u = upper(word);
    return std::any_of(list.begin(), list.end(), [&](const char *w) { return u == w; });
}

[[noreturn]] void refuse(const std::string &why)
{
    throw Refusal{"refused", "statement refused: " + why};
}

std::vector<Token> tokenize(const std::string &s)
{
    std::vector<Token> out;
    size_t i = 0;
    int depth = 0;
    while (i < s.size()) {
        if (out.size() >= kMaxTokens)
            throw Refusal{"refused", "query too complex: more than " + std::to_string(kMaxTokens) + " tokens"};
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t start = i;
        if (std::isspace(c)) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
                ++i;
            out.push_back({Kind::Space, " "});
        } else if (c == '#' || (s.compare(i, 2, "--") == 0
                                && (i + 2 == s.size() || static_cast<unsigned char>(s[i + 2]) <= ' '))) {
            while (i < s.size() && s[i] != '\n')
                ++i;
            out.push_back({Kind::Space, " "});
        } else if (s.compare(i, 2, "/*") == 0) {
            // /*! … */ and /*M! … */ run as code on the server: a place to hide a second statement.
            if (s.compare(i, 3, "/*!") == 0 || s.compare(i, 4, "/*M!") == 0)
                refuse("executable comments are not allowed");
            const size_t end = s.find("*/", i + 2);
            if (end == std::string::npos)
                throw Refusal{"sql", "unrecognized token: \"" + s.substr(i, 40) + "\""};
            i = end + 2;
            out.push_back({Kind::Space, " "});
        } else if (c == '\'' || c == '"' || c == '`') {
            // A doubled quote stands for one; a backslash is an ordinary character (NO_BACKSLASH_ESCAPES).
            std::string value;
            ++i;
            bool closed = false;
            while (i < s.size()) {
                if (s[i] == static_cast<char>(c)) {
                    if (i + 1 < s.size() && s[i + 1] == static_cast<char>(c)) {
                        value += s[i];
                        i += 2;
                        continue;
                    }
                    closed = true;
                    ++i;
                    break;
                }
                value += s[i++];
            }
            if (!closed)
                throw Refusal{"sql", "unrecognized token: \"" + s.substr(start, 40) + "\""};
            out.push_back({c == '`' ? Kind::Ident : Kind::String, value});
        } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.'))
                ++i;
            if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
                size_t j = i + 1;
                if (j < s.size() && (s[j] == '+' || s[j] == '-'))
                    ++j;
                if (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
                    i = j;
                    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
                        ++i;
                }
            }
            if (i < s.size() && isIdentChar(static_cast<unsigned char>(s[i]))) {
                while (i < s.size() && isIdentChar(static_cast<unsigned char>(s[i])))
                    ++i;
                out.push_back({Kind::Ident, s.substr(start, i - start)}); // names such as 2nd
            } else {
                out.push_back({Kind::Number, s.substr(start, i - start)});
            }
        } else if (isIdentChar(c)) {
            while (i < s.size() && isIdentChar(static_cast<unsigned char>(s[i])))
                ++i;
            out.push_back({Kind::Word, s.substr(start, i - start)});
        } else if (c == '(') {
            if (++depth > kMaxNesting)
                throw Refusal{"refused", "query too complex: brackets nested deeper than "
                                             + std::to_string(kMaxNesting) + " levels"};
            out.push_back({Kind::Open, "("});
            ++i;
        } else if (c == ')') {
            depth = std::max(0, depth - 1);
            out.push_back({Kind::Close, ")"});
            ++i;
        } else {
            if (c == '@')
                refuse("variables are not allowed");
            static const char *const twoChar[] = {"<=>", "<=", ">=", "<>", "!=", "||", "&&", "<<", ">>", ":="};
            std::string op(1, static_cast<char>(c));
            for (const char *t : twoChar) {
                if (s.compare(i, std::char_traits<char>::length(t), t) == 0) {
                    op = t;
                    break;
                }
            }
            if (op == ":=")
                refuse("variables are not allowed");
            i += op.size();
            out.push_back({Kind::Punct, op});
        }
    }
    return out;
}

size_t build(const std::vector<Token> &tokens, size_t i, Seq &seq, bool inGroup)
{
    while (i < tokens.size()) {
        const Token &t = tokens[i];
        if (t.kind == Kind::Open) {
            Node n{t, true, {}};
            i = build(tokens, i + 1, n.kids, true);
            seq.push_back(std::move(n));
        } else if (t.kind == Kind::Close) {
            if (!inGroup)
                throw Refusal{"sql", "near \")\": syntax error"};
            return i + 1;
        } else {
            seq.push_back({t, false, {}});
            ++i;
        }
    }
    if (inGroup)
        throw Refusal{"sql", "incomplete input"};
    return i;
}

bool isWord(const Node &n, const char *w)
{
    return !n.group && n.tok.kind == Kind::Word && upper(n.tok.text) == w;
}

bool isName(const Node &n)
{
    return !n.group && (n.tok.kind == Kind::Word || n.tok.kind == Kind::Ident);
}

bool isPunct(const Node &n, const char *p)
{
    return !n.group && n.tok.kind == Kind::Punct && n.tok.text == p;
}

bool isSpace(const Node &n)
{
    return !n.group && n.tok.kind == Kind::Space;
}

size_t nextSig(const Seq &seq, size_t i)
{
    while (i < seq.size() && isSpace(seq[i]))
        ++i;
    return i;
}

long prevSig(const Seq &seq, long i)
{
    while (i >= 0 && isSpace(seq[static_cast<size_t>(i)]))
        --i;
    return i;
}

Node word(const std::string &w)
{
    return {{Kind::Word, w}, false, {}};
}

Node space()
{
    return {{Kind::Space, " "}, false, {}};
}

Node group(Seq kids)
{
    return {{Kind::Open, "("}, true, std::move(kids)};
}

// Words that end a FROM clause at their own bracket level.
bool endsFrom(const Node &n)
{
    return isWord(n, "WHERE") || isWord(n, "GROUP") || isWord(n, "HAVING") || isWord(n, "ORDER")
        || isWord(n, "LIMIT") || isWord(n, "UNION") || isWord(n, "EXCEPT") || isWord(n, "INTERSECT")
        || isWord(n, "WINDOW") || isWord(n, "SELECT");
}

bool isForbiddenWord(const Node &n)
{
    return n.tok.kind == Kind::Word
        && inList(n.tok.text, {"INSERT", "UPDATE", "DELETE", "INTO", "OUTFILE", "DUMPFILE", "LOAD", "HANDLER",
                               "CALL", "LOCK", "UNLOCK", "PROCEDURE", "GRANT", "REVOKE", "CREATE", "DROP", "ALTER",
                               "TRUNCATE", "RENAME", "KILL", "SHUTDOWN", "PREPARE", "EXECUTE", "DEALLOCATE",
                               "FLUSH", "INSTALL", "UNINSTALL", "SHOW", "SET", "USE", "DO", "BEGIN", "COMMIT",
                               "ROLLBACK", "SAVEPOINT", "XA", "ANALYZE", "EXPLAIN", "DESCRIBE", "OPTIMIZE",
                               "REPAIR", "CHECKSUM", "BACKUP", "RESET", "PURGE", "SIGNAL", "RESIGNAL"});
}

// Functions a read-only report may call; SLEEP, BENCHMARK, LOAD_FILE, GET_LOCK, USER() … are not among them.
bool isAllowedFunction(const std::string &name)
{
    return inList(name, {"COUNT", "MIN", "MAX", "AVG", "SUM", "GROUP_CONCAT", "ABS", "ROUND", "UPPER", "LOWER",
                         "UCASE", "LCASE", "LENGTH", "CHAR_LENGTH", "SUBSTR", "SUBSTRING", "MID", "COALESCE",
                         "IFNULL", "NULLIF", "IF", "REPLACE", "TRIM", "LTRIM", "RTRIM", "DATE", "TIME", "YEAR",
                         "MONTH", "DAY", "DAYOFMONTH", "DAYOFWEEK", "DATE_FORMAT", "DATEDIFF", "DATE_ADD",
                         "DATE_SUB", "CURDATE", "CONCAT", "CONCAT_WS", "LEFT", "RIGHT", "INSTR", "LOCATE",
                         "CAST", "CONVERT", "FLOOR", "CEIL", "CEILING", "SIGN", "TRUNCATE", "MOD", "GREATEST",
                         "LEAST", "LPAD", "RPAD", "REVERSE", "STRCMP", "FIELD"});
}

// Keywords and type names that may stand before a bracket without being a call.
bool isKeywordBeforeGroup(const std::string &w)
{
    return inList(w, {"IN", "EXISTS", "AS", "FROM", "JOIN", "ON", "AND", "OR", "NOT", "XOR", "SELECT", "WHERE",
                      "WHEN", "THEN", "ELSE", "BY", "USING", "ALL", "ANY", "SOME", "UNION", "EXCEPT",
                      "INTERSECT", "HAVING", "IS", "LIKE", "BETWEEN", "DISTINCT", "CASE", "DIV", "ASC",
                      "DESC", "INTERVAL", "RECURSIVE", "DECIMAL", "DEC", "NUMERIC", "FIXED", "CHAR", "VARCHAR",
                      "DOUBLE", "FLOAT", "SIGNED", "UNSIGNED", "INTEGER", "INT", "BINARY", "WITH", "LIMIT"});
}

// Names defined as common table expressions: "name [(columns)] AS (".
void collectCteNames(const Seq &seq, std::set<std::string> &names)
{
    for (size_t i = 0; i < seq.size(); ++i) {
        if (seq[i].group) {
            collectCteNames(seq[i].kids, names);
            continue;
        }
        if (!isName(seq[i]))
            continue;
        size_t j = nextSig(seq, i + 1);
        if (j < seq.size() && seq[j].group)
            j = nextSig(seq, j + 1);
        if (j < seq.size() && isWord(seq[j], "AS")) {
            const size_t k = nextSig(seq, j + 1);
            if (k < seq.size() && seq[k].group)
                names.insert(upper(seq[i].tok.text));
        }
    }
}

bool startsQuery(const Seq &seq)
{
    const size_t f = nextSig(seq, 0);
    return f < seq.size() && (isWord(seq[f], "SELECT") || isWord(seq[f], "WITH"));
}

enum class Context { Query, From, Expression };

const char *canonicalFormTable(const std::string &name)
{
    for (const char *t : formschema::kFormTables) {
        if (upper(t) == upper(name))
            return t;
    }
    return nullptr;
}

// MariaDB's table names follow the file system's case; the SQLite backend's do not.
void check(Seq &seq, Context context, const std::set<std::string> &ctes)
{
    bool inFrom = context == Context::From;
    bool expectTable = context == Context::From;
    for (size_t i = 0; i < seq.size(); ++i) {
        Node &n = seq[i];
        if (isSpace(n))
            continue;
        if (isName(n) && !ctes.count(upper(n.tok.text))) {
            if (const char *canonical = canonicalFormTable(n.tok.text))
                n.tok.text = canonical;
        }
        const size_t next = nextSig(seq, i + 1);
        const bool beforeGroup = next < seq.size() && seq[next].group;
        if (n.group) {
            Context inner = Context::Expression;
            if (startsQuery(n.kids))
                inner = Context::Query;
            else if (expectTable)
                inner = Context::From;
            check(n.kids, inner, ctes);
            expectTable = false;
            continue;
        }
        if (isForbiddenWord(n))
            refuse("only a SELECT over the form tables is allowed");
        if (isPunct(n, ";"))
            refuse("only one statement per query");
        if (isName(n) && next < seq.size() && isPunct(seq[next], ".")) {
            const size_t after = nextSig(seq, next + 1);
            const size_t third = after < seq.size() ? nextSig(seq, after + 1) : seq.size();
            if (expectTable || (third < seq.size() && (isPunct(seq[third], ".") || seq[third].group)))
                refuse("reading other schemas is not allowed");
        }
        if (isName(n) && beforeGroup) {
            const bool keyword = n.tok.kind == Kind::Word && isKeywordBeforeGroup(n.tok.text);
            const bool call = n.tok.kind == Kind::Word && isAllowedFunction(n.tok.text);
            if (!keyword && !call && !ctes.count(upper(n.tok.text)))
                refuse("function " + n.tok.text + " is not allowed");
        }
        if (context == Context::Expression)
            continue;
        if (expectTable && isName(n)) {
            if (!canonicalFormTable(n.tok.text) && !ctes.count(upper(n.tok.text)) && !isWord(n, "DUAL"))
                refuse("reading table " + n.tok.text + " is not allowed");
            expectTable = false;
        } else if (isWord(n, "FROM") || isWord(n, "JOIN") || isWord(n, "STRAIGHT_JOIN")) {
            inFrom = expectTable = true;
        } else if (endsFrom(n)) {
            inFrom = expectTable = false;
        } else if (inFrom && isPunct(n, ",")) {
            expectTable = true;
        }
    }
}

void checkStatement(Seq &seq, const std::set<std::string> &ctes)
{
    // Trailing semicolons are dropped; any other one separates statements.
    while (!seq.empty() && (isSpace(seq.back()) || isPunct(seq.back(), ";")))
        seq.pop_back();
    const size_t first = nextSig(seq, 0);
    if (first >= seq.size())
        throw Refusal{"sql", "empty query"};
    if (!isWord(seq[first], "SELECT") && !isWord(seq[first], "WITH") && !seq[first].group) {
        const Node &n = seq[first];
        // A word that starts no statement at all is a syntax error, as SQLite reports it.
        if (n.tok.kind == Kind::Word && !isForbiddenWord(n)
            && !inList(n.tok.text, {"PRAGMA", "ATTACH", "DETACH", "VACUUM", "REINDEX", "REPLACE", "VALUES", "TABLE",
                                    "END", "START", "RELEASE", "HELP", "GET", "CHECK", "CACHE"}))
            throw Refusal{"sql", "near \"" + n.tok.text + "\": syntax error"};
        refuse("only a SELECT over the form tables is allowed");
    }
    check(seq, Context::Query, ctes);
}

bool allDigits(const std::string &s, size_t from, size_t len)
{
    for (size_t i = from; i < from + len; ++i) {
        if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    }
    return true;
}

// 'yyyy/mm/dd' (as the client writes dates) → 'yyyy-mm-dd'; a time part is kept.
void normaliseDate(std::string &v)
{
    if (v.size() < 8 || !allDigits(v, 0, 4) || v[4] != '/')
        return;
    size_t p = 5;
    std::string parts[2];
    for (int k = 0; k < 2; ++k) {
        const size_t start = p;
        while (p < v.size() && std::isdigit(static_cast<unsigned char>(v[p])))
            ++p;
        if (p == start || p - start > 2)
            return;
        parts[k] = std::string(2 - (p - start), '0') + v.substr(start, p - start);
        if (k == 0) {
            if (p >= v.size() || v[p] != '/')
                return;
            ++p;
        }
    }
    if (p != v.size() && v[p] != ' ')
        return;
    v = v.substr(0, 4) + '-' + parts[0] + '-' + parts[1] + v.substr(p);
}

bool isComparison(const Node &n)
{
    return !n.group && n.tok.kind == Kind::Punct
        && (n.tok.text == "=" || n.tok.text == "<>" || n.tok.text == "!=" || n.tok.text == "<"
            || n.tok.text == ">" || n.tok.text == "<=" || n.tok.text == ">=" || n.tok.text == "<=>");
}

bool containsAggregate(const Seq &seq, size_t from, size_t to)
{
    for (size_t i = from; i < to && i < seq.size(); ++i) {
        if (!seq[i].group && seq[i].tok.kind == Kind::Word
            && inList(seq[i].tok.text, {"AVG", "SUM", "COUNT", "MIN", "MAX", "GROUP_CONCAT"})) {
            const size_t j = nextSig(seq, i + 1);
            if (j < seq.size() && seq[j].group)
                return true;
        }
        if (seq[i].group && containsAggregate(seq[i].kids, 0, seq[i].kids.size()))
            return true;
    }
    return false;
}

// (SELECT AGG(…) FROM t [a] [WHERE c] ORDER BY k [ASC|DESC] LIMIT n): the client means the aggregate over
// those n rows. MariaDB applies LIMIT after aggregating and cannot see outer columns from a derived table,
// so the rows are picked by the n-th key instead:
//   … WHERE (c) AND COALESCE(k >= (SELECT k FROM t [a] [WHERE c] ORDER BY k DESC LIMIT n-1,1), 1)
void rewriteLimitedAggregate(Seq &inner)
{
    const size_t first = nextSig(inner, 0);
    if (first >= inner.size() || !isWord(inner[first], "SELECT"))
        return;
    long fromAt = -1, whereAt = -1, orderAt = -1, limitAt = -1;
    for (size_t i = first + 1; i < inner.size(); ++i) {
        const Node &n = inner[i];
        if (isWord(n, "GROUP") || isWord(n, "HAVING") || isWord(n, "UNION") || isWord(n, "JOIN")
            || isWord(n, "DISTINCT") || isWord(n, "EXCEPT") || isWord(n, "INTERSECT"))
            return;
        if (isWord(n, "FROM") && fromAt < 0)
            fromAt = static_cast<long>(i);
        else if (isWord(n, "WHERE") && fromAt >= 0 && whereAt < 0)
            whereAt = static_cast<long>(i);
        else if (isWord(n, "ORDER") && fromAt >= 0 && orderAt < 0)
            orderAt = static_cast<long>(i);
        else if (isWord(n, "LIMIT") && fromAt >= 0)
            limitAt = static_cast<long>(i);
        else if (fromAt >= 0 && whereAt < 0 && orderAt < 0 && isPunct(n, ","))
            return;
    }
    if (fromAt < 0 || orderAt < 0 || limitAt < orderAt || !containsAggregate(inner, first + 1, size_t(fromAt)))
        return;
    const size_t byAt = nextSig(inner, size_t(orderAt) + 1);
    if (byAt >= inner.size() || !isWord(inner[byAt], "BY"))
        return;
    Seq key(inner.begin() + long(byAt) + 1, inner.begin() + limitAt);
    while (!key.empty() && isSpace(key.back()))
        key.pop_back();
    bool descending = false;
    if (!key.empty() && (isWord(key.back(), "DESC") || isWord(key.back(), "ASC"))) {
        descending = isWord(key.back(), "DESC");
        key.pop_back();
    }
    if (key.empty() || std::any_of(key.begin(), key.end(), [](const Node &n) { return isPunct(n, ","); }))
        return;
    const size_t countAt = nextSig(inner, size_t(limitAt) + 1);
    if (countAt >= inner.size() || inner[countAt].group || inner[countAt].tok.kind != Kind::Number
        || nextSig(inner, countAt + 1) < inner.size())
        return;
    long long n = 0;
    try {
        n = std::stoll(inner[countAt].tok.text);
    } catch (const std::exception &) {
        return;
    }
    if (n < 1)
        return;
    const Seq head(inner.begin(), inner.begin() + (whereAt >= 0 ? whereAt : orderAt));
    const Seq from(inner.begin() + fromAt, inner.begin() + (whereAt >= 0 ? whereAt : orderAt));
    const Seq cond = whereAt >= 0 ? Seq(inner.begin() + whereAt + 1, inner.begin() + orderAt) : Seq();

    Seq boundary = {word("SELECT"), space()};
    boundary.insert(boundary.end(), key.begin(), key.end());
    boundary.push_back(space());
    boundary.insert(boundary.end(), from.begin(), from.end());
    if (!cond.empty()) {
        boundary.push_back(word(" WHERE "));
        boundary.insert(boundary.end(), cond.begin(), cond.end());
    }
    boundary.push_back(word(" ORDER BY "));
    boundary.insert(boundary.end(), key.begin(), key.end());
    boundary.push_back(word(descending ? " DESC" : " ASC"));
    boundary.push_back(word(" LIMIT " + std::to_string(n - 1) + ", 1"));

    Seq test = key;
    test.push_back(word(descending ? " >= " : " <= "));
    test.push_back(group(std::move(boundary)));
    test.push_back(word(", 1"));

    Seq out = head;
    out.push_back(word(" WHERE "));
    if (!cond.empty()) {
        out.push_back(group(cond));
        out.push_back(word(" AND "));
    }
    out.push_back(word("COALESCE"));
    out.push_back(group(std::move(test)));
    inner = std::move(out);
}

void transform(Seq &seq, bool parentIsIn)
{
    for (size_t i = 0; i < seq.size(); ++i) {
        if (seq[i].group) {
            const long before = prevSig(seq, long(i) - 1);
            transform(seq[i].kids, before >= 0 && isWord(seq[size_t(before)], "IN"));
            rewriteLimitedAggregate(seq[i].kids);
        }
    }
    for (size_t i = 0; i < seq.size(); ++i) {
        Node &n = seq[i];
        if (n.group)
            continue;
        if (n.tok.kind == Kind::String) {
            normaliseDate(n.tok.text);
            const long before = prevSig(seq, long(i) - 1);
            const size_t after = nextSig(seq, i + 1);
            if (parentIsIn || (before >= 0 && isComparison(seq[size_t(before)]))
                || (after < seq.size() && isComparison(seq[after]))) {
                const size_t end = n.tok.text.find_last_not_of(' ');
                n.tok.text.erase(end == std::string::npos ? 0 : end + 1);
            }
        } else if (isWord(n, "CAST")) {
            // The answer keeps the decimals the client asked for; MariaDB would print a DECIMAL the same
            // way, but so would it print AVG(int), which the SQLite backend prints as a plain number.
            const size_t g = nextSig(seq, i + 1);
            if (g >= seq.size() || !seq[g].group)
                continue;
            Seq kids = seq[g].kids;
            long asAt = -1;
            for (size_t k = 0; k < kids.size(); ++k) {
                if (isWord(kids[k], "AS")) {
                    const size_t t = nextSig(kids, k + 1);
                    if (t < kids.size()
                        && (isWord(kids[t], "DECIMAL") || isWord(kids[t], "DEC") || isWord(kids[t], "NUMERIC")
                            || isWord(kids[t], "FIXED")))
                        asAt = long(k);
                }
            }
            if (asAt >= 0) {
                // Rounded as the SQLite backend rounds a real: to its first 15 digits or so, then half away from
                // zero (an average of 3.95 held as 3.9499999… gives 4.0, not 3.9).
                Seq value(kids.begin(), kids.begin() + asAt);
                value.push_back(word(" AS DECIMAL(65,12)"));
                Seq rounded = {word("CAST"), group(std::move(value)), space()};
                rounded.insert(rounded.end(), kids.begin() + asAt, kids.end());
                Seq wrapped = {word("CAST"), group(std::move(rounded)), word(" AS CHAR")};
                seq[g].kids = std::move(wrapped);
            }
        }
    }
}

void render(const Seq &seq, std::string &out)
{
    for (const Node &n : seq) {
        if (n.group) {
            out += '(';
            render(n.kids, out);
            out += ')';
            continue;
        }
        switch (n.tok.kind) {
        case Kind::String:
            out += '\'';
            for (char c : n.tok.text) {
                if (c == '\'')
                    out += '\'';
                out += c;
            }
            out += '\'';
            break;
        case Kind::Ident:
            out += '`';
            for (char c : n.tok.text) {
                if (c == '`')
                    out += '`';
                out += c;
            }
            out += '`';
            break;
        case Kind::Punct:
            out += n.tok.text;
            if (n.tok.text == "-")
                out += ' '; // "--" followed by a blank would start a comment
            break;
        default:
            out += n.tok.text;
        }
    }
}

} // namespace

MariaDbStatement prepareForMariaDb(const std::string &clientText)
{
    MariaDbStatement result;
    try {
        Seq seq;
        build(tokenize(clientText), 0, seq, false);
        std::set<std::string> ctes;
        collectCteNames(seq, ctes);
        checkStatement(seq, ctes);
        transform(seq, false);
        render(seq, result.sql);
        result.ok = true;
    } catch (const Refusal &r) {
        result.errorKind = r.kind;
        result.error = r.why;
    }
    return result;
}
