#include "MariaDbDialect.h"

#include "FormSchema.h"
#include "SqlTokens.h"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <vector>

namespace {

using namespace sqltokens;

// The statement check must see exactly the statement the server will run: "--" is a comment only where
// MariaDB reads one, and anything the lexer cannot close is refused rather than passed on.
constexpr LexOptions kLex{.collapseSpace = true,
                          .dashCommentNeedsBlank = true,
                          .unclosedCommentIsError = true,
                          .refuseExecutableComments = true,
                          .refuseVariables = true,
                          .dottedNumbers = true,
                          .nullSafeEquals = true};
constexpr RenderOptions kRender{.identQuote = '`', .blankAfterMinus = true};

constexpr const char *kAggregates[] = {"AVG", "SUM", "COUNT", "MIN", "MAX", "GROUP_CONCAT"};

// Thrown by the walks below; caught once in prepareForMariaDb.
struct Refusal {
    std::string kind, why;
};

bool inList(const std::string &word, std::initializer_list<const char *> list)
{
    const std::string u = upper(word);
    return std::any_of(list.begin(), list.end(), [&](const char *w) { return u == w; });
}

[[noreturn]] void refuse(const std::string &why)
{
    throw Refusal{"refused", "statement refused: " + why};
}

Seq parse(const std::string &text)
{
    const Lexed lexed = tokenize(text, kLex);
    switch (lexed.fault) {
    case Fault::None:
        break;
    case Fault::TooComplex:
        throw Refusal{"refused", lexed.error};
    case Fault::Unterminated:
        throw Refusal{"sql", "unrecognized token: \"" + text.substr(lexed.at, 40) + "\""};
    case Fault::ExecutableComment:
        // /*! … */ and /*M! … */ run as code on the server: a place to hide a second statement.
        refuse("executable comments are not allowed");
    case Fault::Variable:
        refuse("variables are not allowed");
    }
    Tree tree = buildTree(lexed.tokens);
    if (tree.strayClose)
        throw Refusal{"sql", "near \")\": syntax error"};
    if (tree.unclosed)
        throw Refusal{"sql", "incomplete input"};
    return std::move(tree.seq);
}

bool isName(const Node &n)
{
    return !n.group && (n.tok.kind == Kind::Word || n.tok.kind == Kind::Ident);
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

bool containsAggregate(const Seq &seq, size_t from, size_t to)
{
    return containsCall(seq, from, to, kAggregates);
}

// Aggregates that MariaDB can also compute over a window frame: COUNT would give no row instead of 0 over
// no rows, and GROUP_CONCAT and DISTINCT have no window form.
bool windowable(const Seq &seq)
{
    for (size_t i = 0; i < seq.size(); ++i) {
        if (seq[i].group ? !windowable(seq[i].kids)
                         : isWord(seq[i], "COUNT") || isWord(seq[i], "GROUP_CONCAT") || isWord(seq[i], "DISTINCT"))
            return false;
    }
    return true;
}

// Every aggregate call in seq gets the window `frame`; a subquery inside keeps its own aggregates.
Seq framed(const Seq &seq, const Seq &frame)
{
    Seq out;
    for (size_t i = 0; i < seq.size(); ++i) {
        Node n = seq[i];
        if (n.group && !startsQuery(n.kids))
            n.kids = framed(n.kids, frame);
        out.push_back(std::move(n));
        if (seq[i].group) {
            const long before = prevSig(seq, long(i) - 1);
            if (before >= 0 && isCall(seq, size_t(before), kAggregates))
                out.insert(out.end(), frame.begin(), frame.end());
        }
    }
    return out;
}

// (SELECT AGG(…) FROM t [a] [WHERE c] ORDER BY k [ASC|DESC] LIMIT n): the client means the aggregate over
// those n rows. MariaDB applies LIMIT after aggregating and cannot see outer columns from a derived table,
// so the aggregate runs over a window of n rows from the first one instead:
//   SELECT AGG(…) OVER (ORDER BY k DESC, c2 DESC … ROWS BETWEEN CURRENT ROW AND n-1 FOLLOWING) FROM t [a]
//   [WHERE c] ORDER BY k DESC, c2 DESC … LIMIT 1
// where c2 … (the rest of the table's row key) break ties as the SQLite backend breaks them. An aggregate
// with no window form picks the rows by the n-th key instead (ties at the n-th key are then all taken):
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
    if (fromAt < 0 || orderAt < 0 || limitAt < orderAt || whereAt > orderAt
        || !containsAggregate(inner, first + 1, size_t(fromAt)))
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
    const std::string direction = descending ? " DESC" : " ASC";

    if (windowable(Seq(inner.begin() + long(first) + 1, inner.begin() + fromAt))) {
        const size_t tableAt = nextSig(inner, size_t(fromAt) + 1);
        const long keyLast = prevSig(key, long(key.size()) - 1);
        Seq order = key;
        order.push_back(word(direction));
        if (tableAt < inner.size() && isName(inner[tableAt]) && keyLast >= 0 && isName(key[size_t(keyLast)])) {
            for (const std::string &column :
                 formschema::tieBreakColumns(inner[tableAt].tok.text, key[size_t(keyLast)].tok.text))
                order.push_back(word(", " + column + direction));
        }
        Seq window = {word("ORDER BY ")};
        window.insert(window.end(), order.begin(), order.end());
        window.push_back(word(" ROWS BETWEEN CURRENT ROW AND " + std::to_string(n - 1) + " FOLLOWING"));
        Seq out = framed(Seq(inner.begin(), inner.begin() + fromAt), Seq{word(" OVER "), group(window)});
        out.insert(out.end(), inner.begin() + fromAt, inner.begin() + orderAt);
        out.push_back(word("ORDER BY "));
        out.insert(out.end(), order.begin(), order.end());
        out.push_back(word(" LIMIT 1"));
        inner = std::move(out);
        return;
    }

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
    boundary.push_back(word(direction));
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
                || (after < seq.size() && isComparison(seq[after])))
                trimTrailingBlanks(n.tok.text);
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

} // namespace

MariaDbStatement prepareForMariaDb(const std::string &clientText)
{
    MariaDbStatement result;
    try {
        Seq seq = parse(clientText);
        std::set<std::string> ctes;
        collectCteNames(seq, ctes);
        checkStatement(seq, ctes);
        transform(seq, false);
        render(seq, result.sql, kRender);
        result.ok = true;
    } catch (const Refusal &r) {
        result.errorKind = r.kind;
        result.error = r.why;
    }
    return result;
}
