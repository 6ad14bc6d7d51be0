#include "SqlTokens.h"

#include <algorithm>
#include <cctype>

namespace sqltokens {

namespace {

constexpr int kMaxNesting = 100;
constexpr size_t kMaxTokens = 20000;

bool isDigit(const std::string &s, size_t i)
{
    return i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]));
}

// Inside '…', "…" or (unless bracketNames) `…`: a doubled quote stands for one.
size_t readQuoted(const std::string &s, size_t i, std::string &value, bool &terminated)
{
    terminated = false;
    const char quote = s[i++];
    while (i < s.size()) {
        if (s[i] == quote) {
            if (i + 1 < s.size() && s[i + 1] == quote) {
                value += quote;
                i += 2;
                continue;
            }
            terminated = true;
            return i + 1;
        }
        value += s[i++];
    }
    return i;
}

size_t readNumber(const std::string &s, size_t i, bool dotted)
{
    if (dotted) {
        while (isDigit(s, i) || (i < s.size() && s[i] == '.'))
            ++i;
    } else {
        while (isDigit(s, i))
            ++i;
        if (i < s.size() && s[i] == '.') {
            ++i;
            while (isDigit(s, i))
                ++i;
        }
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        if (isDigit(s, j)) {
            i = j;
            while (isDigit(s, i))
                ++i;
        }
    }
    return i;
}

Lexed stop(Fault fault, size_t at, std::string error = {})
{
    Lexed out;
    out.fault = fault;
    out.at = at;
    out.error = std::move(error);
    return out;
}

size_t build(const std::vector<Token> &tokens, size_t i, Tree &tree, Seq &seq, bool inGroup, bool &closed)
{
    closed = !inGroup;
    while (i < tokens.size()) {
        const Token &t = tokens[i];
        if (t.kind == Kind::Open) {
            Node n{t, true, true, {}};
            i = build(tokens, i + 1, tree, n.kids, true, n.closed);
            if (!n.closed)
                tree.unclosed = true;
            seq.push_back(std::move(n));
        } else if (t.kind == Kind::Close && inGroup) {
            closed = true;
            return i + 1;
        } else {
            if (t.kind == Kind::Close)
                tree.strayClose = true;
            seq.push_back({t, false, true, {}});
            ++i;
        }
    }
    return i;
}

} // namespace

Lexed tokenize(const std::string &s, const LexOptions &options)
{
    Lexed lexed;
    std::vector<Token> &out = lexed.tokens;
    size_t i = 0;
    int depth = 0;
    while (i < s.size()) {
        if (out.size() >= kMaxTokens)
            return stop(Fault::TooComplex, i, "query too complex: more than " + std::to_string(kMaxTokens) + " tokens");
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t start = i;
        const bool dashComment =
            c == '-' && s.compare(i, 2, "--") == 0 &&
            (!options.dashCommentNeedsBlank || i + 2 == s.size() || static_cast<unsigned char>(s[i + 2]) <= ' ');
        if (std::isspace(c)) {
            while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i])))
                ++i;
            out.push_back({Kind::Space, options.collapseSpace ? " " : s.substr(start, i - start)});
        } else if (c == '#' || dashComment) {
            while (i < s.size() && s[i] != '\n')
                ++i;
            out.push_back({Kind::Space, " "});
        } else if (s.compare(i, 2, "/*") == 0) {
            if (options.refuseExecutableComments && (s.compare(i, 3, "/*!") == 0 || s.compare(i, 4, "/*M!") == 0))
                return stop(Fault::ExecutableComment, i);
            const size_t end = s.find("*/", i + 2);
            if (end == std::string::npos && options.unclosedCommentIsError)
                return stop(Fault::Unterminated, i);
            i = end == std::string::npos ? s.size() : end + 2;
            out.push_back({Kind::Space, " "});
        } else if (c == '\'' || c == '"' || (c == '`' && !options.bracketNames)) {
            std::string value;
            bool terminated = false;
            i = readQuoted(s, i, value, terminated);
            if (!terminated)
                return stop(Fault::Unterminated, start);
            out.push_back({c == '`' ? Kind::Ident : Kind::String, std::move(value)});
        } else if (c == '`' || (c == '[' && options.bracketNames)) {
            const size_t end = s.find(c == '`' ? '`' : ']', i + 1);
            if (end == std::string::npos)
                return stop(Fault::Unterminated, start);
            out.push_back({Kind::Ident, s.substr(i + 1, end - i - 1)});
            i = end + 1;
        } else if (std::isdigit(c) || (c == '.' && isDigit(s, i + 1))) {
            i = readNumber(s, i, options.dottedNumbers);
            if (i < s.size() && isIdentChar(static_cast<unsigned char>(s[i]))) {
                // MySQL allows names such as 2nd; both backends need them quoted.
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
            if (++depth > kMaxNesting)
                return stop(Fault::TooComplex, i,
                            "query too complex: brackets nested deeper than " + std::to_string(kMaxNesting) +
                                " levels");
            out.push_back({Kind::Open, "("});
            ++i;
        } else if (c == ')') {
            depth = std::max(0, depth - 1);
            out.push_back({Kind::Close, ")"});
            ++i;
        } else {
            static const char *const twoChar[] = {"<=", ">=", "<>", "!=", "||", "&&", "<<", ">>"};
            if (options.refuseVariables && (c == '@' || s.compare(i, 2, ":=") == 0))
                return stop(Fault::Variable, i);
            std::string op(1, static_cast<char>(c));
            if (options.nullSafeEquals && s.compare(i, 3, "<=>") == 0)
                op = "<=>";
            else if (options.doubleEquals && s.compare(i, 2, "==") == 0)
                op = "==";
            else if (const auto *two = std::find_if(std::begin(twoChar), std::end(twoChar),
                                                    [&](const char *t) { return s.compare(i, 2, t) == 0; });
                     two != std::end(twoChar))
                op = *two;
            i += op.size();
            out.push_back({Kind::Punct, op});
        }
    }
    return lexed;
}

Tree buildTree(const std::vector<Token> &tokens)
{
    Tree tree;
    bool closed = true;
    build(tokens, 0, tree, tree.seq, false, closed);
    return tree;
}

bool isIdentChar(unsigned char c)
{
    return std::isalnum(c) || c == '_' || c == '$' || c >= 0x80;
}

std::string upper(std::string s)
{
    for (char &c : s)
        c = asciiUpper(c);
    return s;
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

void normaliseDate(std::string &v)
{
    if (v.size() < 8 || !isDigit(v, 0) || !isDigit(v, 1) || !isDigit(v, 2) || !isDigit(v, 3) || v[4] != '/')
        return;
    size_t p = 5;
    std::string parts[2];
    for (int k = 0; k < 2; ++k) {
        const size_t start = p;
        while (isDigit(v, p))
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

void trimTrailingBlanks(std::string &v)
{
    const size_t end = v.find_last_not_of(' ');
    v.erase(end == std::string::npos ? 0 : end + 1);
}

std::optional<SimpleSelect> simpleSelect(const Seq &seq)
{
    SimpleSelect s;
    s.select = nextSig(seq, 0);
    if (s.select >= seq.size() || !isWord(seq[s.select], "SELECT"))
        return std::nullopt;
    for (size_t i = s.select + 1; i < seq.size(); ++i) {
        const Node &n = seq[i];
        if (isWord(n, "GROUP") || isWord(n, "HAVING") || isWord(n, "UNION") || isWord(n, "EXCEPT") ||
            isWord(n, "INTERSECT") || isWord(n, "JOIN") || isWord(n, "DISTINCT") || isWord(n, "WINDOW"))
            return std::nullopt;
        if (isWord(n, "FROM") && s.from < 0)
            s.from = static_cast<long>(i);
        else if (isWord(n, "WHERE") && s.from >= 0 && s.where < 0)
            s.where = static_cast<long>(i);
        else if (isWord(n, "ORDER") && s.from >= 0 && s.order < 0)
            s.order = static_cast<long>(i);
        else if (isWord(n, "LIMIT") && s.from >= 0)
            s.limit = static_cast<long>(i);
        else if (s.from >= 0 && s.where < 0 && s.order < 0 && isPunct(n, ","))
            return std::nullopt;
    }
    return s;
}

bool isCall(const Seq &seq, size_t i, std::span<const char *const> names)
{
    if (!std::any_of(names.begin(), names.end(), [&](const char *w) { return isWord(seq[i], w); }))
        return false;
    const size_t j = nextSig(seq, i + 1);
    return j < seq.size() && seq[j].group;
}

bool containsCall(const Seq &seq, size_t from, size_t to, std::span<const char *const> names)
{
    for (size_t i = from; i < to && i < seq.size(); ++i) {
        if (isCall(seq, i, names) || (seq[i].group && containsCall(seq[i].kids, 0, seq[i].kids.size(), names)))
            return true;
    }
    return false;
}

void render(const Seq &seq, std::string &out, const RenderOptions &options)
{
    const auto quoted = [&out](const std::string &text, char quote) {
        out += quote;
        for (char c : text) {
            if (c == quote)
                out += quote;
            out += c;
        }
        out += quote;
    };
    for (const Node &n : seq) {
        if (n.group) {
            out += '(';
            render(n.kids, out, options);
            if (n.closed)
                out += ')';
            continue;
        }
        switch (n.tok.kind) {
        case Kind::String:
            quoted(n.tok.text, '\'');
            break;
        case Kind::Ident:
            quoted(n.tok.text, options.identQuote);
            break;
        case Kind::Punct:
            out += n.tok.text;
            if (options.blankAfterMinus && n.tok.text == "-")
                out += ' ';
            break;
        default:
            out += n.tok.text;
        }
    }
}

} // namespace sqltokens
