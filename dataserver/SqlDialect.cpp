#include "SqlDialect.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

enum class Kind { Space, Word, Ident, String, Number, Punct, Open, Close };

struct Token {
    Kind kind;
    std::string text; // Word/Number/Punct/Space: as written; String: the value; Ident: the name
};

bool isIdentChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

bool equalsWord(const std::string &a, const char *b)
{
    size_t n = 0;
    for (; b[n]; ++n) {
        if (n >= a.size() || std::toupper(static_cast<unsigned char>(a[n])) != b[n])
            return false;
    }
    return n == a.size();
}

// Standard SQL string literal inside '…' or "…": a doubled quote stands for one; a backslash is an
// ordinary character (the client escapes only by doubling quotes).
size_t readString(const std::string &s, size_t i, std::string &value, bool &terminated)
{
    terminated = false;
    const char quote = s[i++];
    while (i < s.size()) {
        const char c = s[i];
        if (c == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                value += quote;
                i += 2;
            } else {
                terminated = true;
                return i + 1;
            }
        } else {
            value += c;
            ++i;
        }
    }
    return i;
}

// The tree walks recurse once per bracket level, so nesting and size are bounded before any walk.
constexpr int kMaxNesting = 100;
constexpr size_t kMaxTokens = 20000;

std::vector<Token> tokenize(const std::string &s, bool &unterminated, std::string &error)
{
    std::vector<Token> out;
    size_t i = 0;
    int depth = 0;
    unterminated = false;
    while (i < s.size()) {
        if (out.size() >= kMaxTokens) {
            error = "query too complex: more than " + std::to_string(kMaxTokens) + " tokens";
            return {};
        }
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t start = i;
        if (std::isspace(c)) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
                ++i;
            out.push_back({Kind::Space, s.substr(start, i - start)});
        } else if (c == '#' || (c == '-' && s.compare(i, 2, "--") == 0)) {
            while (i < s.size() && s[i] != '\n')
                ++i;
            out.push_back({Kind::Space, " "});
        } else if (c == '/' && s.compare(i, 2, "/*") == 0) {
            const size_t end = s.find("*/", i + 2);
            i = end == std::string::npos ? s.size() : end + 2;
            out.push_back({Kind::Space, " "});
        } else if (c == '\'' || c == '"') {
            std::string value;
            bool terminated = false;
            i = readString(s, i, value, terminated);
            if (!terminated)
                unterminated = true;
            out.push_back({Kind::String, value});
        } else if (c == '`' || c == '[') {
            const char close = c == '`' ? '`' : ']';
            const size_t end = s.find(close, i + 1);
            const size_t stop = end == std::string::npos ? s.size() : end;
            out.push_back({Kind::Ident, s.substr(i + 1, stop - i - 1)});
            i = end == std::string::npos ? s.size() : end + 1;
            if (end == std::string::npos)
                unterminated = true;
        } else if (std::isdigit(c) || (c == '.' && i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
            while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
                ++i;
            if (i < s.size() && s[i] == '.') {
                ++i;
                while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
                    ++i;
            }
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
                // MySQL allows names such as 2nd; SQLite needs them quoted.
                while (i < s.size() && isIdentChar(static_cast<unsigned char>(s[i])))
                    ++i;
                out.push_back({Kind::Ident, s.substr(start, i - start)});
            } else {
                out.push_back({Kind::Number, s.substr(start, i - start)});
            }
        } else if (isIdentChar(c)) {
            while (i < s.size() && isIdentChar(static_cast<unsigned char>(s[i])))
                ++i;
            out.push_back({Kind::Word, s.substr(start, i - start)});
        } else if (c == '(') {
            if (++depth > kMaxNesting) {
                error = "query too complex: brackets nested deeper than " + std::to_string(kMaxNesting) + " levels";
                return {};
            }
            out.push_back({Kind::Open, "("});
            ++i;
        } else if (c == ')') {
            depth = std::max(0, depth - 1);
            out.push_back({Kind::Close, ")"});
            ++i;
        } else {
            static const char *const twoChar[] = {"<=", ">=", "<>", "!=", "==", "||", "&&", "<<", ">>"};
            std::string op(1, static_cast<char>(c));
            for (const char *t : twoChar) {
                if (s.compare(i, 2, t) == 0) {
                    op = t;
                    break;
                }
            }
            if (op == "<" && s.compare(i, 3, "<=>") == 0)
                op = "<=>";
            i += op.size();
            out.push_back({Kind::Punct, op});
        }
    }
    return out;
}

// Parenthesised groups become child sequences so that rewrites can look at whole subexpressions.
struct Node {
    Token tok;
    bool group = false;
    bool closed = true;
    std::vector<Node> kids;
};

using Seq = std::vector<Node>;

size_t buildSeq(const std::vector<Token> &tokens, size_t i, Seq &seq, bool inGroup, bool &closed)
{
    closed = !inGroup;
    while (i < tokens.size()) {
        const Token &t = tokens[i];
        if (t.kind == Kind::Open) {
            Node n{t, true, true, {}};
            i = buildSeq(tokens, i + 1, n.kids, true, n.closed);
            seq.push_back(std::move(n));
        } else if (t.kind == Kind::Close) {
            if (inGroup) {
                closed = true;
                return i + 1;
            }
            seq.push_back({t, false, true, {}});
            ++i;
        } else {
            seq.push_back({t, false, true, {}});
            ++i;
        }
    }
    return i;
}

bool isWord(const Node &n, const char *w)
{
    return !n.group && n.tok.kind == Kind::Word && equalsWord(n.tok.text, w);
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
    return {{Kind::Word, w}, false, true, {}};
}

Node punct(const std::string &p)
{
    return {{Kind::Punct, p}, false, true, {}};
}

Node space()
{
    return {{Kind::Space, " "}, false, true, {}};
}

Node group(Seq kids)
{
    return {{Kind::Open, "("}, true, true, std::move(kids)};
}

void render(const Seq &seq, std::string &out)
{
    for (const Node &n : seq) {
        if (n.group) {
            out += '(';
            render(n.kids, out);
            if (n.closed)
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
            out += '"';
            for (char c : n.tok.text) {
                if (c == '"')
                    out += '"';
                out += c;
            }
            out += '"';
            break;
        default:
            out += n.tok.text;
        }
    }
}

bool allDigits(const std::string &s, size_t from, size_t len)
{
    for (size_t i = from; i < from + len; ++i) {
        if (i >= s.size() || !std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    }
    return true;
}

// 'yyyy/mm/dd' (as the client writes dates) → the stored 'yyyy-mm-dd'; a time part is kept.
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
    static const char *const ops[] = {"=", "==", "<>", "!=", "<", ">", "<=", ">=", "<=>"};
    if (n.group || n.tok.kind != Kind::Punct)
        return false;
    return std::any_of(std::begin(ops), std::end(ops), [&](const char *op) { return n.tok.text == op; });
}

void rtrimBlanks(std::string &v)
{
    const size_t end = v.find_last_not_of(' ');
    if (end != std::string::npos)
        v.erase(end + 1);
}

bool isAggregateName(const Node &n)
{
    static const char *const names[] = {"AVG", "SUM", "COUNT", "MIN", "MAX", "TOTAL", "GROUP_CONCAT"};
    return std::any_of(std::begin(names), std::end(names), [&](const char *w) { return isWord(n, w); });
}

bool containsAggregate(const Seq &seq, size_t from, size_t to)
{
    for (size_t i = from; i < to && i < seq.size(); ++i) {
        if (isAggregateName(seq[i])) {
            const size_t j = nextSig(seq, i + 1);
            if (j < seq.size() && seq[j].group)
                return true;
        }
        if (seq[i].group && containsAggregate(seq[i].kids, 0, seq[i].kids.size()))
            return true;
    }
    return false;
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

// (SELECT AGG(…) FROM t [a] WHERE … ORDER BY … LIMIT n): MySQL-era queries expect the aggregate over those
// n rows, so the rows are picked in a derived table first; correlated references stay inside it.
void rewriteLimitedAggregate(Seq &inner)
{
    const size_t first = nextSig(inner, 0);
    if (first >= inner.size() || !isWord(inner[first], "SELECT"))
        return;
    long fromAt = -1, whereAt = -1, orderAt = -1, limitAt = -1;
    for (size_t i = first + 1; i < inner.size(); ++i) {
        const Node &n = inner[i];
        if (isWord(n, "GROUP") || isWord(n, "HAVING") || isWord(n, "UNION") || isWord(n, "EXCEPT")
            || isWord(n, "INTERSECT") || isWord(n, "JOIN") || isWord(n, "DISTINCT") || isWord(n, "WINDOW"))
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
            return; // several tables: leave it alone
    }
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
            if (parentIsIn || (before >= 0 && isComparison(seq[static_cast<size_t>(before)]))
                || (after < seq.size() && isComparison(seq[after])))
                rtrimBlanks(n.tok.text);
            break;
        }
        case Kind::Punct:
            if (n.tok.text == "||")
                n = word("OR");
            else if (n.tok.text == "&&")
                n = word("AND");
            else if (n.tok.text == "<=>")
                n = word("IS");
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
                if (b < seq.size() && !seq[a].group && seq[a].tok.kind == Kind::Number && isPunct(seq[comma], ",")
                    && !seq[b].group && seq[b].tok.kind == Kind::Number) {
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
    bool unterminated = false;
    std::string why;
    const std::vector<Token> tokens = tokenize(mysqlText, unterminated, why);
    if (!why.empty()) {
        if (error)
            *error = why;
        return {};
    }
    if (unterminated)
        return mysqlText; // let SQLite report the unfinished literal as it stands
    Seq seq;
    bool closed = true;
    buildSeq(tokens, 0, seq, false, closed);
    transform(seq, false);
    std::string out;
    out.reserve(mysqlText.size() + 64);
    render(seq, out);
    return out;
}
