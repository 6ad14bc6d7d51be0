#include "SqlDialect.h"

#include "FormSchema.h"
#include "SqlTokens.h"

#include <vector>

namespace {

using namespace sqltokens;

// SQLite reports an unfinished literal itself, so the lexer only has to stop at it; "--" starts a comment
// anywhere, as on the old server, and [name] is a name as SQLite reads it.
constexpr LexOptions kLex{.bracketNames = true, .doubleEquals = true, .nullSafeEquals = true};
constexpr RenderOptions kRender{.identQuote = '"'};

constexpr const char *kAggregates[] = {"AVG", "SUM", "COUNT", "MIN", "MAX", "TOTAL", "GROUP_CONCAT"};

bool containsAggregate(const Seq &seq, size_t from, size_t to)
{
    return containsCall(seq, from, to, kAggregates);
}

void transform(Seq &seq, bool parentIsIn);

// CAST(x AS DECIMAL(p,s)) → dec(x, s, p); the function rounds like MySQL and keeps s decimals in the text.
bool rewriteCast(Seq &seq, size_t castAt, size_t groupAt)
{
    Seq &in = seq[groupAt].kids;
    long asAt = -1;
    for (size_t i = 0; i < in.size(); ++i) {
        if (isWord(in[i], "AS"))
            asAt = static_cast<long>(i);
    }
    if (asAt < 0)
        return false;
    const size_t typeAt = nextSig(in, static_cast<size_t>(asAt) + 1);
    if (typeAt >= in.size())
        return false;
    Seq expr(in.begin(), in.begin() + asAt);
    const Node &type = in[typeAt];
    if (isWord(type, "DECIMAL") || isWord(type, "DEC") || isWord(type, "NUMERIC") || isWord(type, "FIXED")) {
        std::string precision = "10", scale = "0";
        const size_t argsAt = nextSig(in, typeAt + 1);
        if (argsAt < in.size() && in[argsAt].group) {
            std::vector<std::string> nums;
            for (const Node &k : in[argsAt].kids) {
                if (!k.group && k.tok.kind == Kind::Number)
                    nums.push_back(k.tok.text);
                else if (!isSpace(k) && !isPunct(k, ","))
                    return false;
            }
            if (nums.empty() || nums.size() > 2)
                return false;
            precision = nums[0];
            if (nums.size() == 2)
                scale = nums[1];
        }
        Seq args = std::move(expr);
        args.push_back(punct(","));
        args.push_back({{Kind::Number, scale}, false, true, {}});
        args.push_back(punct(","));
        args.push_back({{Kind::Number, precision}, false, true, {}});
        seq[castAt] = word("dec");
        seq[groupAt].kids = std::move(args);
        return true;
    }
    const char *target = nullptr;
    if (isWord(type, "SIGNED") || isWord(type, "UNSIGNED"))
        target = "INTEGER";
    else if (isWord(type, "CHAR") || isWord(type, "NCHAR"))
        target = "TEXT";
    else if (isWord(type, "DOUBLE") || isWord(type, "FLOAT") || isWord(type, "REAL"))
        target = "REAL";
    if (isWord(type, "DATE") || isWord(type, "DATETIME")) {
        seq[castAt] = word(isWord(type, "DATE") ? "date" : "datetime");
        seq[groupAt].kids = std::move(expr);
        return true;
    }
    if (!target)
        return false;
    in.erase(in.begin() + static_cast<long>(typeAt), in.end());
    in.push_back(word(target));
    return true;
}

// ORDER BY k [ASC|DESC] → ORDER BY k, c2, … in k's direction: the rest of the table's row key breaks ties
// in k, so that every backend takes the same n rows.
void breakTies(Seq &inner, size_t orderAt, size_t limitAt, const std::string &table)
{
    const size_t byAt = nextSig(inner, orderAt + 1);
    const long last = prevSig(inner, static_cast<long>(limitAt) - 1);
    if (byAt >= limitAt || !isWord(inner[byAt], "BY") || last <= static_cast<long>(byAt))
        return;
    long keyEnd = last;
    std::string direction = " ASC";
    if (isWord(inner[static_cast<size_t>(last)], "DESC") || isWord(inner[static_cast<size_t>(last)], "ASC")) {
        direction = isWord(inner[static_cast<size_t>(last)], "DESC") ? " DESC" : " ASC";
        keyEnd = prevSig(inner, last - 1);
    }
    for (size_t i = byAt + 1; i < limitAt; ++i) {
        if (isPunct(inner[i], ","))
            return;
    }
    const Node &column = inner[static_cast<size_t>(keyEnd)];
    if (keyEnd <= static_cast<long>(byAt) || column.group ||
        (column.tok.kind != Kind::Word && column.tok.kind != Kind::Ident))
        return;
    Seq extra;
    for (const std::string &tie : formschema::tieBreakColumns(table, column.tok.text))
        extra.push_back(word(", " + tie + direction));
    inner.insert(inner.begin() + last + 1, extra.begin(), extra.end());
}

// (SELECT AGG(…) FROM t [a] WHERE … ORDER BY … LIMIT n): MySQL-era queries expect the aggregate over those
// n rows, so the rows are picked in a derived table first; correlated references stay inside it.
void rewriteLimitedAggregate(Seq &inner)
{
    const auto clauses = simpleSelect(inner);
    if (!clauses)
        return;
    const size_t first = clauses->select;
    const long fromAt = clauses->from, whereAt = clauses->where, orderAt = clauses->order, limitAt = clauses->limit;
    if (fromAt < 0 || orderAt < 0 || limitAt < 0 || orderAt > limitAt)
        return;
    if (!containsAggregate(inner, first + 1, static_cast<size_t>(fromAt)))
        return;
    const size_t fromEnd = static_cast<size_t>(whereAt >= 0 ? whereAt : orderAt);
    std::vector<size_t> fromSig;
    for (size_t i = static_cast<size_t>(fromAt) + 1; i < fromEnd; ++i) {
        if (!isSpace(inner[i]))
            fromSig.push_back(i);
    }
    if (fromSig.empty() || fromSig.size() > 3 || inner[fromSig[0]].group)
        return;
    std::string alias = inner[fromSig[0]].tok.text;
    Kind aliasKind = inner[fromSig[0]].tok.kind;
    if (fromSig.size() >= 2) {
        const Node &last = inner[fromSig.back()];
        if (last.group || (last.tok.kind != Kind::Word && last.tok.kind != Kind::Ident))
            return;
        if (fromSig.size() == 3 && !isWord(inner[fromSig[1]], "AS"))
            return;
        alias = last.tok.text;
        aliasKind = last.tok.kind;
    }
    breakTies(inner, static_cast<size_t>(orderAt), static_cast<size_t>(limitAt), inner[fromSig[0]].tok.text);
    Seq derived;
    derived.push_back(word("SELECT"));
    derived.push_back(space());
    derived.push_back(punct("*"));
    derived.push_back(space());
    derived.insert(derived.end(), inner.begin() + fromAt, inner.end());
    Seq rewritten(inner.begin(), inner.begin() + fromAt + 1);
    rewritten.push_back(space());
    rewritten.push_back(group(std::move(derived)));
    rewritten.push_back(space());
    rewritten.push_back(word("AS"));
    rewritten.push_back(space());
    rewritten.push_back({{aliasKind, alias}, false, true, {}});
    inner = std::move(rewritten);
}

void transform(Seq &seq, bool parentIsIn)
{
    for (size_t i = 0; i < seq.size(); ++i) {
        if (seq[i].group) {
            const long before = prevSig(seq, static_cast<long>(i) - 1);
            const bool isInList = before >= 0 && isWord(seq[static_cast<size_t>(before)], "IN");
            transform(seq[i].kids, isInList);
        }
    }
    for (size_t i = 0; i < seq.size(); ++i) {
        Node &n = seq[i];
        if (n.group) {
            rewriteLimitedAggregate(n.kids);
            continue;
        }
        switch (n.tok.kind) {
        case Kind::String: {
            normaliseDate(n.tok.text);
            // MySQL's PAD SPACE collations ignore trailing blanks when comparing.
            const long before = prevSig(seq, static_cast<long>(i) - 1);
            const size_t after = nextSig(seq, i + 1);
            if (parentIsIn || (before >= 0 && isComparison(seq[static_cast<size_t>(before)])) ||
                (after < seq.size() && isComparison(seq[after])))
                trimTrailingBlanks(n.tok.text);
            break;
        }
        case Kind::Punct: // blanks around the words: operators need none ("a||b")
            if (n.tok.text == "||")
                n = word(" OR ");
            else if (n.tok.text == "&&")
                n = word(" AND ");
            else if (n.tok.text == "<=>")
                n = word(" IS ");
            break;
        case Kind::Word: {
            const size_t next = nextSig(seq, i + 1);
            const bool call = next < seq.size() && seq[next].group;
            if (call && isWord(n, "CAST")) {
                rewriteCast(seq, i, next);
            } else if (call && isWord(n, "IF")) {
                n = word("iif");
            } else if (call && isWord(n, "LEFT")) {
                n = word("leftstr"); // LEFT and RIGHT are join keywords in SQLite
            } else if (call && isWord(n, "RIGHT")) {
                n = word("rightstr");
            } else if (isWord(n, "LIMIT")) {
                // LIMIT offset, count → LIMIT count OFFSET offset
                const size_t a = next;
                const size_t comma = nextSig(seq, a + 1);
                const size_t b = nextSig(seq, comma + 1);
                if (b < seq.size() && !seq[a].group && seq[a].tok.kind == Kind::Number && isPunct(seq[comma], ",") &&
                    !seq[b].group && seq[b].tok.kind == Kind::Number) {
                    const std::string offset = seq[a].tok.text;
                    seq[a].tok.text = seq[b].tok.text;
                    seq[comma] = space();
                    seq[b] = word("OFFSET " + offset);
                }
            }
            break;
        }
        default:
            break;
        }
    }
}

} // namespace

std::string SqlDialect::translate(const std::string &mysqlText, std::string *error)
{
    const Lexed lexed = tokenize(mysqlText, kLex);
    if (lexed.fault == Fault::Unterminated)
        return mysqlText; // let SQLite report the unfinished literal as it stands
    if (lexed.fault != Fault::None) {
        if (error)
            *error = lexed.error;
        return {};
    }
    Seq seq = buildTree(lexed.tokens).seq;
    transform(seq, false);
    std::string out;
    out.reserve(mysqlText.size() + 64);
    render(seq, out, kRender);
    return out;
}
