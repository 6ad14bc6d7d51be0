#include "MariaDbAggregates.h"

#include "FormSchema.h"
#include "MariaDbSchema.h"

#include <algorithm>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

using namespace sqltokens;

namespace {

constexpr const char *kAggregates[] = {"AVG", "SUM", "COUNT", "MIN", "MAX", "GROUP_CONCAT"};

// Aggregates that MariaDB can also compute over a window frame or a grouped derived table: COUNT would
// give no row instead of 0 over no rows, and GROUP_CONCAT and DISTINCT have no window form.
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

// (SELECT items FROM t [a] [WHERE c] ORDER BY k [ASC|DESC] LIMIT n), items holding an aggregate.
struct LimitedAggregate {
    Seq items, from, cond, key;
    std::string table;     // t as written
    std::string keyColumn; // k's last name, when k ends in one
    bool descending = false;
    long long n = 0;

    // k [dir], then the rest of the table's row key in the same direction.
    Seq order() const
    {
        const std::string direction = descending ? " DESC" : " ASC";
        Seq out = key;
        out.push_back(word(direction));
        if (!keyColumn.empty()) {
            for (const std::string &column : formschema::tieBreakColumns(table, keyColumn))
                out.push_back(word(", " + column + direction));
        }
        return out;
    }
};

std::optional<LimitedAggregate> matchLimitedAggregate(const Seq &inner)
{
    const auto clauses = simpleSelect(inner);
    if (!clauses)
        return std::nullopt;
    const size_t first = clauses->select;
    const long fromAt = clauses->from, whereAt = clauses->where, orderAt = clauses->order, limitAt = clauses->limit;
    if (fromAt < 0 || orderAt < 0 || limitAt < orderAt || whereAt > orderAt ||
        !containsCall(inner, first + 1, size_t(fromAt), kAggregates))
        return std::nullopt;
    const size_t byAt = nextSig(inner, size_t(orderAt) + 1);
    if (byAt >= inner.size() || !isWord(inner[byAt], "BY"))
        return std::nullopt;
    LimitedAggregate a;
    a.key = Seq(inner.begin() + long(byAt) + 1, inner.begin() + limitAt);
    while (!a.key.empty() && isSpace(a.key.back()))
        a.key.pop_back();
    if (!a.key.empty() && (isWord(a.key.back(), "DESC") || isWord(a.key.back(), "ASC"))) {
        a.descending = isWord(a.key.back(), "DESC");
        a.key.pop_back();
    }
    if (a.key.empty() || std::any_of(a.key.begin(), a.key.end(), [](const Node &n) { return isPunct(n, ","); }))
        return std::nullopt;
    const size_t countAt = nextSig(inner, size_t(limitAt) + 1);
    if (countAt >= inner.size() || inner[countAt].group || inner[countAt].tok.kind != Kind::Number ||
        nextSig(inner, countAt + 1) < inner.size())
        return std::nullopt;
    try {
        a.n = std::stoll(inner[countAt].tok.text);
    } catch (const std::exception &) {
        return std::nullopt;
    }
    if (a.n < 1)
        return std::nullopt;
    const long fromEnd = whereAt >= 0 ? whereAt : orderAt;
    a.items = Seq(inner.begin() + long(first) + 1, inner.begin() + fromAt);
    a.from = Seq(inner.begin() + fromAt, inner.begin() + fromEnd);
    if (whereAt >= 0)
        a.cond = Seq(inner.begin() + whereAt + 1, inner.begin() + orderAt);
    const size_t tableAt = nextSig(inner, size_t(fromAt) + 1);
    if (tableAt < inner.size() && isName(inner[tableAt]))
        a.table = inner[tableAt].tok.text;
    const long keyLast = prevSig(a.key, long(a.key.size()) - 1);
    if (keyLast >= 0 && isName(a.key[size_t(keyLast)]))
        a.keyColumn = a.key[size_t(keyLast)].tok.text;
    return a;
}

// Each aggregate's argument becomes a column __aN of the rows it is computed over: AGG(x) → AGG(__aN), with
// x appended to `arguments`. A subquery inside keeps its own aggregates.
Seq hoistArguments(const Seq &seq, std::vector<Seq> &arguments)
{
    Seq out;
    for (size_t i = 0; i < seq.size(); ++i) {
        Node n = seq[i];
        const long before = prevSig(seq, long(i) - 1);
        if (n.group && before >= 0 && isCall(seq, size_t(before), kAggregates)) {
            arguments.push_back(n.kids);
            n.kids = {word("__a" + std::to_string(arguments.size()))};
        } else if (n.group && !startsQuery(n.kids)) {
            n.kids = hoistArguments(n.kids, arguments);
        }
        out.push_back(std::move(n));
    }
    return out;
}

// The significant nodes of seq (pointers into it: seq must outlive them).
std::vector<const Node *> significant(const Seq &seq)
{
    std::vector<const Node *> out;
    for (const Node &n : seq) {
        if (!isSpace(n))
            out.push_back(&n);
    }
    return out;
}

// A column reference: "name" or "qualifier.name".
struct ColumnRef {
    std::string qualifier, name;
};

// Plain words only, so that the names can be written back as they stand.
std::optional<ColumnRef> columnRef(const std::vector<const Node *> &nodes)
{
    const auto plain = [](const Node *n) { return !n->group && n->tok.kind == Kind::Word; };
    if (nodes.size() == 1 && plain(nodes[0]))
        return ColumnRef{"", nodes[0]->tok.text};
    if (nodes.size() == 3 && plain(nodes[0]) && isPunct(*nodes[1], ".") && plain(nodes[2]))
        return ColumnRef{nodes[0]->tok.text, nodes[2]->tok.text};
    return std::nullopt;
}

// "a = b" in significant nodes, split at the one "=".
std::optional<std::pair<ColumnRef, ColumnRef>> equality(const std::vector<const Node *> &nodes)
{
    const auto eq = std::find_if(nodes.begin(), nodes.end(), [](const Node *n) { return isPunct(*n, "="); });
    if (eq == nodes.end())
        return std::nullopt;
    const auto left = columnRef({nodes.begin(), eq}), right = columnRef({eq + 1, nodes.end()});
    if (!left || !right)
        return std::nullopt;
    return std::make_pair(*left, *right);
}

std::string key(const ColumnRef &ref)
{
    return upper(ref.qualifier) + "." + upper(ref.name);
}

bool isColumnOf(const std::string &table, const std::string &name)
{
    for (const mariadbschema::Table &t : mariadbschema::kTables) {
        if (upper(t.name) != upper(table))
            continue;
        for (const mariadbschema::Column &c : t.columns) {
            if (c.name && upper(c.name) == upper(name))
                return true;
        }
    }
    return false;
}

// Whether every bare name in seq is a column of `table` or a word of the expression syntax: one that is
// not would be an outer column, which the joined form cannot see.
bool onlyColumnsOf(const Seq &seq, const std::string &table)
{
    static const char *const syntax[] = {
        "CASE",  "WHEN",   "THEN",     "ELSE",    "END", "AND",  "OR",     "NOT",   "XOR",     "IS",       "NULL",
        "IN",    "LIKE",   "BETWEEN",  "AS",      "DIV", "MOD",  "TRUE",   "FALSE", "DECIMAL", "DEC",      "NUMERIC",
        "FIXED", "SIGNED", "UNSIGNED", "INTEGER", "INT", "CHAR", "DOUBLE", "FLOAT", "DATE",    "DATETIME", "BINARY"};
    for (size_t i = 0; i < seq.size(); ++i) {
        if (seq[i].group) {
            if (!onlyColumnsOf(seq[i].kids, table))
                return false;
            continue;
        }
        if (!isName(seq[i]))
            continue;
        const size_t next = nextSig(seq, i + 1);
        const long before = prevSig(seq, long(i) - 1);
        const bool call = next < seq.size() && seq[next].group;
        const bool qualifier = next < seq.size() && isPunct(seq[next], ".");
        const bool qualified = before >= 0 && isPunct(seq[size_t(before)], ".");
        if (call || qualifier || isColumnOf(table, seq[i].tok.text) ||
            (!qualified &&
             std::any_of(std::begin(syntax), std::end(syntax), [&](const char *w) { return isWord(seq[i], w); })))
            continue;
        return false;
    }
    return true;
}

// Whether seq names a column through a qualifier other than the inner table's.
bool reachesOut(const Seq &seq, const std::string &innerName)
{
    for (size_t i = 0; i < seq.size(); ++i) {
        if (seq[i].group) {
            if (reachesOut(seq[i].kids, innerName))
                return true;
            continue;
        }
        const size_t dot = nextSig(seq, i + 1);
        if (isName(seq[i]) && dot < seq.size() && isPunct(seq[dot], ".") && upper(seq[i].tok.text) != innerName)
            return true;
    }
    return false;
}

// Splits seq[from, to) at top-level occurrences of the word `at` (AND) or the punctuation `,`.
std::vector<Seq> split(const Seq &seq, size_t from, size_t to, const char *at)
{
    std::vector<Seq> parts(1);
    for (size_t i = from; i < to; ++i) {
        if (at[0] == ',' ? isPunct(seq[i], ",") : isWord(seq[i], at))
            parts.emplace_back();
        else
            parts.back().push_back(seq[i]);
    }
    return parts;
}

bool isJoinWord(const Node &n)
{
    return isWord(n, "JOIN") || isWord(n, "LEFT") || isWord(n, "RIGHT") || isWord(n, "OUTER") || isWord(n, "INNER") ||
           isWord(n, "CROSS") || isWord(n, "NATURAL") || isWord(n, "STRAIGHT_JOIN") || isWord(n, "FULL") ||
           isPunct(n, ",");
}

// A derived table joined as "[INNER] JOIN (SELECT … c … FROM … WHERE c IN (…) …) j ON … X.c2 = j.c …": it
// makes X.c2 one of the list for every row.
struct Restriction {
    Node list;         // the IN list's bracket
    size_t derivedAt;  // the derived table's bracket in the statement
    std::string alias; // j
};

// The lists that restrict the rows of a FROM clause, by "X.C2" upper-cased.
std::map<std::string, Restriction> restrictions(const Seq &top, size_t fromAt, size_t fromEnd)
{
    std::map<std::string, Restriction> out;
    for (size_t i = fromAt + 1; i < fromEnd; ++i) {
        const Node &derived = top[i];
        const long before = prevSig(top, long(i) - 1);
        if (!derived.group || !startsQuery(derived.kids) || before < 0 || !isWord(top[size_t(before)], "JOIN"))
            continue;
        const long joinType = prevSig(top, before - 1);
        if (joinType >= 0 && isJoinWord(top[size_t(joinType)]) && !isWord(top[size_t(joinType)], "INNER"))
            continue; // an outer join does not restrict the rows
        size_t at = nextSig(top, i + 1);
        if (at < fromEnd && isWord(top[at], "AS"))
            at = nextSig(top, at + 1);
        if (at >= fromEnd || !isName(top[at]))
            continue;
        const std::string alias = top[at].tok.text;
        const size_t onAt = nextSig(top, at + 1);
        if (onAt >= fromEnd || !isWord(top[onAt], "ON"))
            continue;
        size_t onEnd = onAt + 1;
        while (onEnd < fromEnd && !isJoinWord(top[onEnd]))
            ++onEnd;

        // Inside: SELECT … c [AS x] … FROM t WHERE c IN (…) [GROUP BY …]
        const Seq &kids = derived.kids;
        const auto where = std::find_if(kids.begin(), kids.end(), [](const Node &n) { return isWord(n, "WHERE"); });
        const auto from = std::find_if(kids.begin(), kids.end(), [](const Node &n) { return isWord(n, "FROM"); });
        if (where == kids.end() || from == kids.end() || from > where)
            continue;
        auto whereEnd = where + 1;
        while (whereEnd != kids.end() && !isWord(*whereEnd, "GROUP") && !isWord(*whereEnd, "ORDER") &&
               !isWord(*whereEnd, "LIMIT") && !isWord(*whereEnd, "HAVING"))
            ++whereEnd;
        const Seq whereClause(where + 1, whereEnd);
        const auto cond = significant(whereClause);
        if (cond.size() != 3 || !isName(*cond[0]) || !isWord(*cond[1], "IN") || !cond[2]->group ||
            !std::all_of(cond[2]->kids.begin(), cond[2]->kids.end(), [](const Node &n) {
                return isSpace(n) || isPunct(n, ",") || (!n.group && n.tok.kind == Kind::String);
            }))
            continue;
        const std::string listed = upper(cond[0]->tok.text);
        std::string exposed; // the name j gives the listed column
        const size_t selectAt = nextSig(kids, 0);
        for (const Seq &item : split(kids, selectAt + 1, size_t(from - kids.begin()), ",")) {
            const auto nodes = significant(item);
            if (!nodes.empty() && isName(*nodes[0]) && upper(nodes[0]->tok.text) == listed &&
                (nodes.size() == 1 || (nodes.size() == 2 && isName(*nodes[1])) ||
                 (nodes.size() == 3 && isWord(*nodes[1], "AS") && isName(*nodes[2]))))
                exposed = upper(nodes.back()->tok.text);
        }
        if (exposed.empty())
            continue;
        for (const Seq &conjunct : split(top, onAt + 1, onEnd, "AND")) {
            const auto eq = equality(significant(conjunct));
            if (!eq)
                continue;
            for (const auto &[mine, theirs] : {*eq, std::make_pair(eq->second, eq->first)}) {
                if (upper(mine.qualifier) == upper(alias) && upper(mine.name) == exposed && !theirs.qualifier.empty())
                    out.emplace(key(theirs), Restriction{*cond[2], i, alias});
            }
        }
    }
    return out;
}

// A limited aggregate correlated by one equality between a column of its table and an outer column.
struct Correlated {
    LimitedAggregate aggregate;
    std::string innerColumn; // c, unqualified
    ColumnRef outer;         // X.c2
    std::string innerAlias;  // the table's alias, or the table, as written
    std::string innerName;   // the same upper-cased
};

std::optional<Correlated> correlated(const Seq &inner)
{
    auto a = matchLimitedAggregate(inner);
    if (!a || a->table.empty() || a->keyColumn.empty() || !windowable(a->items))
        return std::nullopt;
    const auto from = significant(a->from); // FROM t [[AS] a]
    Correlated c{*a, "", {}, a->table, ""};
    if (from.size() == 3 || (from.size() == 4 && isWord(*from[2], "AS")))
        c.innerAlias = from.back()->tok.text;
    else if (from.size() != 2)
        return std::nullopt;
    if (from.back()->tok.kind != Kind::Word)
        return std::nullopt;
    c.innerName = upper(c.innerAlias);
    const auto eq = equality(significant(a->cond));
    if (!eq)
        return std::nullopt;
    const auto isInner = [&c](const ColumnRef &r) { return r.qualifier.empty() || upper(r.qualifier) == c.innerName; };
    if (isInner(eq->first) && !isInner(eq->second))
        c.innerColumn = eq->first.name, c.outer = eq->second;
    else if (isInner(eq->second) && !isInner(eq->first))
        c.innerColumn = eq->second.name, c.outer = eq->first;
    else
        return std::nullopt;
    if (reachesOut(a->items, c.innerName) || reachesOut(a->key, c.innerName) || !onlyColumnsOf(a->items, a->table) ||
        !onlyColumnsOf(a->key, a->table) || !isColumnOf(a->table, c.innerColumn))
        return std::nullopt;
    return c;
}

// Whether the restricting derived table is "SELECT c, MAX(k) [AS] m, … FROM t WHERE c IN (…) GROUP BY c" over
// the table and the column of `c`, k being the key that c's rows are numbered by, newest first: then each MAX(k)
// is the k of the group's first row, so the grouped window table can carry the derived table's own columns as
// well, and one pass over the list's rows serves both.
bool foldable(const Seq &derived, const Correlated &c)
{
    const LimitedAggregate &a = c.aggregate;
    const auto key = significant(a.key);
    if (!a.descending || key.size() != 1 || upper(key[0]->tok.text) != upper(a.keyColumn) ||
        upper(a.keyColumn) == upper(c.innerColumn))
        return false;
    const auto all = significant(derived);
    const auto fromAt = std::find_if(all.begin(), all.end(), [](const Node *n) { return isWord(*n, "FROM"); });
    if (all.empty() || !isWord(*all[0], "SELECT") || all.end() - fromAt != 9)
        return false;
    const auto named = [](const Node *n, const std::string &name) { return isName(*n) && upper(n->tok.text) == name; };
    const std::string column = upper(c.innerColumn);
    if (!named(fromAt[1], upper(a.table)) || !isWord(*fromAt[2], "WHERE") || !named(fromAt[3], column) ||
        !isWord(*fromAt[4], "IN") || !isWord(*fromAt[6], "GROUP") || !isWord(*fromAt[7], "BY") ||
        !named(fromAt[8], column))
        return false;
    const size_t itemsEnd =
        size_t(std::find_if(derived.begin(), derived.end(), [](const Node &n) { return isWord(n, "FROM"); }) -
               derived.begin());
    for (const Seq &item : split(derived, nextSig(derived, 0) + 1, itemsEnd, ",")) {
        auto nodes = significant(item);
        // An item keeps its own name: "x", "x AS y" or "x y".
        if (nodes.size() >= 2 && isName(*nodes.back()) && (nodes.size() != 2 || !nodes[1]->group)) {
            nodes.pop_back();
            if (isWord(*nodes.back(), "AS"))
                nodes.pop_back();
        }
        const bool listed = nodes.size() == 1 && named(nodes[0], column);
        const bool newest = nodes.size() == 2 && isWord(*nodes[0], "MAX") && nodes[1]->group &&
                            significant(nodes[1]->kids).size() == 1 &&
                            named(significant(nodes[1]->kids)[0], upper(a.keyColumn));
        if (!listed && !newest)
            return false;
    }
    return true;
}

} // namespace

// (SELECT AGG(…) FROM t [a] [WHERE c] ORDER BY k [ASC|DESC] LIMIT n): MariaDB cannot see outer columns from
// a derived table, so the aggregate runs over a window of n rows from the first one instead:
//   SELECT AGG(…) OVER (ORDER BY k DESC, c2 DESC … ROWS BETWEEN CURRENT ROW AND n-1 FOLLOWING) FROM t [a]
//   [WHERE c] ORDER BY k DESC, c2 DESC … LIMIT 1
// An aggregate with no window form picks the rows by the n-th key instead (ties at the n-th key are then
// all taken):
//   … WHERE (c) AND COALESCE(k >= (SELECT k FROM t [a] [WHERE c] ORDER BY k DESC LIMIT n-1,1), 1)
void rewriteLimitedAggregate(Seq &inner)
{
    const auto a = matchLimitedAggregate(inner);
    if (!a)
        return;
    const Seq order = a->order();
    const Seq select = {word("SELECT ")};
    if (windowable(a->items)) {
        Seq window = {word("ORDER BY ")};
        window.insert(window.end(), order.begin(), order.end());
        window.push_back(word(" ROWS BETWEEN CURRENT ROW AND " + std::to_string(a->n - 1) + " FOLLOWING"));
        Seq out = select;
        const Seq items = framed(a->items, Seq{word(" OVER "), group(window)});
        out.insert(out.end(), items.begin(), items.end());
        out.insert(out.end(), a->from.begin(), a->from.end());
        if (!a->cond.empty()) {
            out.push_back(word(" WHERE "));
            out.insert(out.end(), a->cond.begin(), a->cond.end());
        }
        out.push_back(word(" ORDER BY "));
        out.insert(out.end(), order.begin(), order.end());
        out.push_back(word(" LIMIT 1"));
        inner = std::move(out);
        return;
    }

    Seq boundary = {word("SELECT"), space()};
    boundary.insert(boundary.end(), a->key.begin(), a->key.end());
    boundary.push_back(space());
    boundary.insert(boundary.end(), a->from.begin(), a->from.end());
    if (!a->cond.empty()) {
        boundary.push_back(word(" WHERE "));
        boundary.insert(boundary.end(), a->cond.begin(), a->cond.end());
    }
    boundary.push_back(word(" ORDER BY "));
    boundary.insert(boundary.end(), a->key.begin(), a->key.end());
    boundary.push_back(word(a->descending ? " DESC" : " ASC"));
    boundary.push_back(word(" LIMIT " + std::to_string(a->n - 1) + ", 1"));

    Seq test = a->key;
    test.push_back(word(a->descending ? " >= " : " <= "));
    test.push_back(group(std::move(boundary)));
    test.push_back(word(", 1"));

    Seq out = select;
    out.insert(out.end(), a->items.begin(), a->items.end());
    out.insert(out.end(), a->from.begin(), a->from.end());
    out.push_back(word(" WHERE "));
    if (!a->cond.empty()) {
        out.push_back(group(a->cond));
        out.push_back(word(" AND "));
    }
    out.push_back(word("COALESCE"));
    out.push_back(group(std::move(test)));
    inner = std::move(out);
}

// Each correlated limited aggregate of the select list becomes __lK.__vM, K one joined derived table per
// table, correlation and order:
//   LEFT JOIN (SELECT c AS __g, AGG(__a1) AS __v1, … FROM (SELECT c, x AS __a1, …, ROW_NUMBER() OVER
//   (PARTITION BY c ORDER BY k DESC, c2 DESC …) AS __rn FROM t [a] WHERE c IN (list)) AS a
//   WHERE __rn <= n GROUP BY c) AS __lK ON __lK.__g = X.c2
// The inner rows carry only the aggregates' arguments, so an index that holds them answers alone.
// A value that X.c2 takes is in the list (the inner join says so), so every row finds its group, or no runs.
// When the restricting derived table only takes the newest key of each value of the list (see foldable), the
// grouped table takes its place instead, keeping its select items, its alias and its ON.
void decorrelateLimitedAggregates(Seq &top)
{
    const size_t first = nextSig(top, 0);
    if (first >= top.size() || !isWord(top[first], "SELECT"))
        return;
    size_t fromAt = top.size(), fromEnd = top.size();
    for (size_t i = first + 1; i < top.size(); ++i) {
        if (isWord(top[i], "UNION") || isWord(top[i], "EXCEPT") || isWord(top[i], "INTERSECT"))
            return;
        if (fromAt == top.size() && isWord(top[i], "FROM"))
            fromAt = i;
        else if (fromAt < top.size() && fromEnd == top.size() &&
                 (isWord(top[i], "WHERE") || isWord(top[i], "GROUP") || isWord(top[i], "HAVING") ||
                  isWord(top[i], "ORDER") || isWord(top[i], "LIMIT") || isWord(top[i], "WINDOW")))
            fromEnd = i;
    }
    if (fromAt == top.size())
        return;
    const auto lists = restrictions(top, fromAt, fromEnd);
    if (lists.empty())
        return;

    struct Joined {
        Correlated shape;
        std::string signature;
        std::string name;                  // __lK, or the restricting table's alias when it takes its place
        const Restriction *into = nullptr; // the restricting table it takes the place of
        std::vector<Seq> values, arguments;
    };
    std::vector<Joined> joined;
    std::vector<size_t> taken; // restricting tables already replaced
    for (size_t i = first + 1; i < fromAt; ++i) {
        if (!top[i].group)
            continue;
        const auto c = correlated(top[i].kids);
        const auto list = c ? lists.find(key(c->outer)) : lists.end();
        if (list == lists.end())
            continue;
        std::string signature = c->aggregate.table + '|' + c->innerAlias + '|' + upper(c->innerColumn) + '|' +
                                key(c->outer) + '|' + std::to_string(c->aggregate.n);
        render(c->aggregate.order(), signature, {});
        auto it = std::find_if(joined.begin(), joined.end(), [&](const Joined &j) { return j.signature == signature; });
        if (it == joined.end()) {
            Joined j{*c, signature, "__l" + std::to_string(joined.size() + 1)};
            const Restriction &r = list->second;
            if (std::find(taken.begin(), taken.end(), r.derivedAt) == taken.end() &&
                foldable(top[r.derivedAt].kids, *c)) {
                j.into = &r;
                j.name = r.alias;
                taken.push_back(r.derivedAt);
            }
            it = joined.insert(joined.end(), std::move(j));
        }
        it->values.push_back(hoistArguments(c->aggregate.items, it->arguments));
        top[i] = word(it->name + ".__v" + std::to_string(it->values.size()));
    }

    Seq tail;
    for (size_t k = 0; k < joined.size(); ++k) {
        const Correlated &c = joined[k].shape;
        const std::string &name = joined[k].name;
        Seq numbered = {word("SELECT " + c.innerColumn + (joined[k].into ? ", " + c.aggregate.keyColumn : ""))};
        for (size_t v = 0; v < joined[k].arguments.size(); ++v) {
            numbered.push_back(word(", "));
            numbered.insert(numbered.end(), joined[k].arguments[v].begin(), joined[k].arguments[v].end());
            numbered.push_back(word(" AS __a" + std::to_string(v + 1)));
        }
        numbered.push_back(word(", ROW_NUMBER() OVER "));
        numbered.push_back(group(Seq{word("PARTITION BY " + c.innerColumn + " ORDER BY ")}));
        const Seq order = c.aggregate.order();
        numbered.back().kids.insert(numbered.back().kids.end(), order.begin(), order.end());
        numbered.push_back(word(" AS __rn "));
        numbered.insert(numbered.end(), c.aggregate.from.begin(), c.aggregate.from.end());
        numbered.push_back(word(" WHERE " + c.innerColumn + " IN "));
        numbered.push_back(lists.at(key(c.outer)).list);

        Seq grouped = {word("SELECT ")};
        if (joined[k].into) { // the restricting table's own items, over the numbered rows
            const Seq &own = top[joined[k].into->derivedAt].kids;
            const auto from = std::find_if(own.begin(), own.end(), [](const Node &n) { return isWord(n, "FROM"); });
            grouped.insert(grouped.end(), own.begin() + long(nextSig(own, 0)) + 1, from);
        } else {
            grouped.push_back(word(c.innerColumn + " AS __g"));
        }
        for (size_t v = 0; v < joined[k].values.size(); ++v) {
            grouped.push_back(word(", "));
            grouped.insert(grouped.end(), joined[k].values[v].begin(), joined[k].values[v].end());
            grouped.push_back(word(" AS __v" + std::to_string(v + 1)));
        }
        grouped.push_back(word(" FROM "));
        grouped.push_back(group(std::move(numbered)));
        grouped.push_back(word(" AS " + c.innerAlias + " WHERE __rn <= " + std::to_string(c.aggregate.n) +
                               " GROUP BY " + c.innerColumn));
        if (joined[k].into) {
            top[joined[k].into->derivedAt].kids = std::move(grouped);
            continue;
        }

        tail.push_back(word(" LEFT JOIN "));
        tail.push_back(group(std::move(grouped)));
        tail.push_back(word(" AS " + name + " ON " + name + ".__g = " + c.outer.qualifier + "." + c.outer.name + " "));
    }
    top.insert(top.begin() + long(fromEnd), tail.begin(), tail.end());
}
