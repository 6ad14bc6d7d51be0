#pragma once

#include <cctype>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The token layer under both SQL dialect translators: one lexer for the client's MySQL-flavoured texts,
// the bracket tree the rewrites walk, and the helpers they share. What differs between the backends (how
// strict the lexer is, how names are quoted back) is an option, so each translator keeps only its rewrites.
namespace sqltokens {

enum class Kind { Space, Word, Ident, String, Number, Punct, Open, Close };

struct Token {
    Kind kind;
    std::string text; // String: the value; Ident: the name; others: as written
};

struct LexOptions {
    bool collapseSpace = false;            // a run of white space becomes one blank
    bool dashCommentNeedsBlank = false;    // "--" starts a comment only before a blank, a control character or the end
    bool unclosedCommentIsError = false;   // otherwise an unclosed /* runs to the end of the text
    bool refuseExecutableComments = false; // /*! … */ and /*M! … */ run as code on a MySQL-family server
    bool refuseVariables = false;          // @name and :=
    bool bracketNames = false;             // [name] is a name and `name` ends at the next backtick; else `` is one `
    bool dottedNumbers = false;            // digits and dots run together as one number, as in 1.2.3
    bool doubleEquals = false;             // "==" is one operator
    bool nullSafeEquals = false;           // "<=>" is one operator
};

// The first thing that stopped the lexer.
enum class Fault {
    None,
    TooComplex,        // error says why
    Unterminated,      // a string or name (or, if so chosen, a comment) that is not closed, starting at `at`
    ExecutableComment, // starting at `at`
    Variable,          // @ or := at `at`
};

struct Lexed {
    std::vector<Token> tokens; // complete only when fault is None
    Fault fault = Fault::None;
    size_t at = 0;
    std::string error;
};

// Strings are standard SQL: a doubled quote stands for one, a backslash is an ordinary character.
// The walks recurse once per bracket level, so nesting and size are bounded here, before any walk.
Lexed tokenize(const std::string &text, const LexOptions &options);

// Parenthesised groups become child sequences so that rewrites can look at whole subexpressions.
struct Node {
    Token tok;
    bool group = false;
    bool closed = true; // a group whose ")" never came
    std::vector<Node> kids;
};
using Seq = std::vector<Node>;

struct Tree {
    Seq seq;
    bool strayClose = false; // a ")" with no "(" is kept in seq as a Close token
    bool unclosed = false;   // some group runs to the end of the text
};

Tree buildTree(const std::vector<Token> &tokens);

bool isIdentChar(unsigned char c);
std::string upper(std::string s);

// The rewrites call these on every node: inline, as they were when each translator had its own.
// SQL's words are ASCII: folding them needs no locale, and runs for every word of every statement.
inline char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool equalsWord(const std::string &text, const char *upperWord) // ignoring case
{
    size_t n = 0;
    for (; upperWord[n]; ++n) {
        if (n >= text.size() || asciiUpper(text[n]) != upperWord[n])
            return false;
    }
    return n == text.size();
}

inline bool equalsIgnoringCase(const std::string &text, const char *word)
{
    size_t n = 0;
    for (; word[n]; ++n) {
        if (n >= text.size() || asciiUpper(text[n]) != asciiUpper(word[n]))
            return false;
    }
    return n == text.size();
}

inline bool isWord(const Node &n, const char *upperWord)
{
    return !n.group && n.tok.kind == Kind::Word && equalsWord(n.tok.text, upperWord);
}

inline bool isPunct(const Node &n, const char *p)
{
    return !n.group && n.tok.kind == Kind::Punct && n.tok.text == p;
}

inline bool isSpace(const Node &n)
{
    return !n.group && n.tok.kind == Kind::Space;
}

inline bool isName(const Node &n)
{
    return !n.group && (n.tok.kind == Kind::Word || n.tok.kind == Kind::Ident);
}

// The first node at or after i that is not white space.
inline size_t nextSig(const Seq &seq, size_t i)
{
    while (i < seq.size() && isSpace(seq[i]))
        ++i;
    return i;
}

// The last node at or before i that is not white space, or -1.
inline long prevSig(const Seq &seq, long i)
{
    while (i >= 0 && isSpace(seq[static_cast<size_t>(i)]))
        --i;
    return i;
}

// Whether seq is a query: SELECT … or WITH ….
inline bool startsQuery(const Seq &seq)
{
    const size_t f = nextSig(seq, 0);
    return f < seq.size() && (isWord(seq[f], "SELECT") || isWord(seq[f], "WITH"));
}

Node word(const std::string &w);
Node punct(const std::string &p);
Node space();
Node group(Seq kids);

// 'yyyy/mm/dd' (as the client writes dates) → the stored 'yyyy-mm-dd'; a time part is kept.
void normaliseDate(std::string &v);
bool isComparison(const Node &n);
// MySQL's PAD SPACE collations ignore trailing blanks: a value of blanks only equals ''.
void trimTrailingBlanks(std::string &v);
// Where the clauses of "SELECT … FROM t … [WHERE …] [ORDER BY …] [LIMIT …]" start in seq (-1: absent).
struct SimpleSelect {
    size_t select = 0;
    long from = -1, where = -1, order = -1, limit = -1;
};
// Nothing for any other statement: joins, several tables, grouping, DISTINCT, set operations, windows.
std::optional<SimpleSelect> simpleSelect(const Seq &seq);

// Whether seq[i] names one of the (upper-case) names and a bracket follows it.
bool isCall(const Seq &seq, size_t i, std::span<const char *const> names);
// Whether seq[from, to) calls one of the (upper-case) names, at that level or inside a bracket there.
bool containsCall(const Seq &seq, size_t from, size_t to, std::span<const char *const> names);

struct RenderOptions {
    char identQuote = '"';
    bool blankAfterMinus = false; // "-" then "-" would otherwise start a comment on a server that reads "-- "
};

void render(const Seq &seq, std::string &out, const RenderOptions &options);

} // namespace sqltokens
