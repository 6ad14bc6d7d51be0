#include "MariaDbDialect.h"

#include "FormSchema.h"
#include "MariaDbAggregates.h"
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

// Thrown by the walks below; caught once in prepareForMariaDb.
struct Refusal {
    std::string kind, why;
};

bool inList(const std::string &word, std::initializer_list<const char *> list)
{
    return std::any_of(list.begin(), list.end(), [&](const char *w) { return equalsWord(word, w); });
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

// Words that end a FROM clause at their own bracket level.
bool endsFrom(const Node &n)
{
    return isWord(n, "WHERE") || isWord(n, "GROUP") || isWord(n, "HAVING") || isWord(n, "ORDER") ||
           isWord(n, "LIMIT") || isWord(n, "UNION") || isWord(n, "EXCEPT") || isWord(n, "INTERSECT") ||
           isWord(n, "WINDOW") || isWord(n, "SELECT");
}

bool isForbiddenWord(const Node &n)
{
    return n.tok.kind == Kind::Word &&
           inList(n.tok.text,
                  {"INSERT", "UPDATE",   "DELETE",    "INTO",      "OUTFILE",  "DUMPFILE", "LOAD",     "HANDLER",
                   "CALL",   "LOCK",     "UNLOCK",    "PROCEDURE", "GRANT",    "REVOKE",   "CREATE",   "DROP",
                   "ALTER",  "TRUNCATE", "RENAME",    "KILL",      "SHUTDOWN", "PREPARE",  "EXECUTE",  "DEALLOCATE",
                   "FLUSH",  "INSTALL",  "UNINSTALL", "SHOW",      "SET",      "USE",      "DO",       "BEGIN",
                   "COMMIT", "ROLLBACK", "SAVEPOINT", "XA",        "ANALYZE",  "EXPLAIN",  "DESCRIBE", "OPTIMIZE",
                   "REPAIR", "CHECKSUM", "BACKUP",    "RESET",     "PURGE",    "SIGNAL",   "RESIGNAL"});
}

// Functions a read-only report may call; SLEEP, BENCHMARK, LOAD_FILE, GET_LOCK, USER() … are not among them.
bool isAllowedFunction(const std::string &name)
{
    return inList(
        name, {"COUNT",       "MIN",      "MAX",      "AVG",      "SUM",     "GROUP_CONCAT", "ABS",        "ROUND",
               "UPPER",       "LOWER",    "UCASE",    "LCASE",    "LENGTH",  "CHAR_LENGTH",  "SUBSTR",     "SUBSTRING",
               "MID",         "COALESCE", "IFNULL",   "NULLIF",   "IF",      "REPLACE",      "TRIM",       "LTRIM",
               "RTRIM",       "DATE",     "TIME",     "YEAR",     "MONTH",   "DAY",          "DAYOFMONTH", "DAYOFWEEK",
               "DATE_FORMAT", "DATEDIFF", "DATE_ADD", "DATE_SUB", "CURDATE", "CONCAT",       "CONCAT_WS",  "LEFT",
               "RIGHT",       "INSTR",    "LOCATE",   "CAST",     "CONVERT", "FLOOR",        "CEIL",       "CEILING",
               "SIGN",        "TRUNCATE", "MOD",      "GREATEST", "LEAST",   "LPAD",         "RPAD",       "REVERSE",
               "STRCMP",      "FIELD"});
}

// Keywords and type names that may stand before a bracket without being a call.
bool isKeywordBeforeGroup(const std::string &w)
{
    return inList(
        w, {"IN",     "EXISTS", "AS",        "FROM",      "JOIN",    "ON",   "AND",     "OR",       "NOT",  "XOR",
            "SELECT", "WHERE",  "WHEN",      "THEN",      "ELSE",    "BY",   "USING",   "ALL",      "ANY",  "SOME",
            "UNION",  "EXCEPT", "INTERSECT", "HAVING",    "IS",      "LIKE", "BETWEEN", "DISTINCT", "CASE", "DIV",
            "ASC",    "DESC",   "INTERVAL",  "RECURSIVE", "DECIMAL", "DEC",  "NUMERIC", "FIXED",    "CHAR", "VARCHAR",
            "DOUBLE", "FLOAT",  "SIGNED",    "UNSIGNED",  "INTEGER", "INT",  "BINARY",  "WITH",     "LIMIT"});
}

// One common table expression of a leading WITH list: "name [(columns)] AS (body)".
struct CteDefinition {
    size_t name = 0, columns = 0, body = 0; // indexes into the query's nodes; columns = 0: none
};

// The definitions of the WITH list that begins `seq`, if any. Only these positions define names: a name
// elsewhere is a table or a function and is checked as one.
std::vector<CteDefinition> cteDefinitions(const Seq &seq, bool &recursive)
{
    std::vector<CteDefinition> out;
    size_t i = nextSig(seq, 0);
    if (i >= seq.size() || !isWord(seq[i], "WITH"))
        return out;
    i = nextSig(seq, i + 1);
    recursive = i < seq.size() && isWord(seq[i], "RECURSIVE");
    if (recursive)
        i = nextSig(seq, i + 1);
    while (i < seq.size() && isName(seq[i])) {
        CteDefinition d{i, 0, 0};
        size_t j = nextSig(seq, i + 1);
        if (j < seq.size() && seq[j].group) {
            d.columns = j;
            j = nextSig(seq, j + 1);
        }
        if (j >= seq.size() || !isWord(seq[j], "AS"))
            break;
        j = nextSig(seq, j + 1);
        if (j >= seq.size() || !seq[j].group)
            break;
        d.body = j;
        out.push_back(d);
        j = nextSig(seq, j + 1);
        if (j >= seq.size() || !isPunct(seq[j], ","))
            break;
        i = nextSig(seq, j + 1);
    }
    return out;
}

enum class Context { Query, From, Expression };

const char *canonicalFormTable(const std::string &name)
{
    for (const char *t : formschema::kFormTables) {
        if (equalsIgnoringCase(name, t))
            return t;
    }
    return nullptr;
}

// MariaDB's table names follow the file system's case; the SQLite backend's do not: form table names are
// written as the schema spells them. A CTE name covers only the query it belongs to: the rest of that query and its
// subqueries, and the bodies defined after it (all of them under RECURSIVE); never the query around it. Function names
// are a name space of their own: a CTE never makes a function callable.
void check(Seq &seq, Context context, const std::set<std::string> &outerCtes)
{
    bool inFrom = context == Context::From;
    bool expectTable = context == Context::From;
    std::set<std::string> ctes = outerCtes;
    bool recursive = false;
    const std::vector<CteDefinition> definitions =
        context == Context::Query ? cteDefinitions(seq, recursive) : std::vector<CteDefinition>();
    if (recursive) {
        for (const CteDefinition &d : definitions)
            ctes.insert(upper(seq[d.name].tok.text));
    }
    for (const CteDefinition &d : definitions) {
        if (d.columns)
            check(seq[d.columns].kids, Context::Expression, {});
        Seq &body = seq[d.body].kids;
        check(body, startsQuery(body) ? Context::Query : Context::From, ctes);
        ctes.insert(upper(seq[d.name].tok.text));
    }
    const size_t resume = definitions.empty() ? 0 : definitions.back().body + 1;
    for (size_t i = resume; i < seq.size(); ++i) {
        Node &n = seq[i];
        if (isSpace(n))
            continue;
        if (isName(n) && (ctes.empty() || !ctes.count(upper(n.tok.text)))) {
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
        // Bare, MariaDB answers these with the serving account; SQLite reads them as column names.
        if ((isWord(n, "CURRENT_USER") || isWord(n, "CURRENT_ROLE")) && !beforeGroup)
            throw Refusal{"sql", "no such column: " + n.tok.text};
        if (isName(n) && next < seq.size() && isPunct(seq[next], ".")) {
            const size_t after = nextSig(seq, next + 1);
            const size_t third = after < seq.size() ? nextSig(seq, after + 1) : seq.size();
            if (expectTable || (third < seq.size() && (isPunct(seq[third], ".") || seq[third].group)))
                refuse("reading other schemas is not allowed");
        }
        if (isName(n) && beforeGroup) {
            const bool keyword = n.tok.kind == Kind::Word && isKeywordBeforeGroup(n.tok.text);
            const bool call = n.tok.kind == Kind::Word && isAllowedFunction(n.tok.text);
            if (!keyword && !call)
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

void checkStatement(Seq &seq)
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
        if (n.tok.kind == Kind::Word && !isForbiddenWord(n) &&
            !inList(n.tok.text, {"PRAGMA", "ATTACH", "DETACH", "VACUUM", "REINDEX", "REPLACE", "VALUES", "TABLE", "END",
                                 "START", "RELEASE", "HELP", "GET", "CHECK", "CACHE"}))
            throw Refusal{"sql", "near \"" + n.tok.text + "\": syntax error"};
        refuse("only a SELECT over the form tables is allowed");
    }
    check(seq, Context::Query, {});
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
            if (parentIsIn || (before >= 0 && isComparison(seq[size_t(before)])) ||
                (after < seq.size() && isComparison(seq[after])))
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
                    if (t < kids.size() && (isWord(kids[t], "DECIMAL") || isWord(kids[t], "DEC") ||
                                            isWord(kids[t], "NUMERIC") || isWord(kids[t], "FIXED")))
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
        checkStatement(seq);
        decorrelateLimitedAggregates(seq);
        transform(seq, false);
        render(seq, result.sql, kRender);
        result.ok = true;
    } catch (const Refusal &r) {
        result.errorKind = r.kind;
        result.error = r.why;
    }
    return result;
}
