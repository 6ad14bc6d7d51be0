#pragma once

#include "SqlTokens.h"

// The client asks for averages "over the last n runs" as (SELECT AGG(…) FROM t WHERE … ORDER BY k LIMIT n).
// MariaDB applies LIMIT after aggregating, so these are rewritten; both keep the SQLite backend's meaning:
// exactly the first n rows in k's order, ties in k broken by the rest of the table's row key.

// Rewrites one such subquery (the kids of its bracket) in place; anything else is left alone.
void rewriteLimitedAggregate(sqltokens::Seq &inner);

// In a SELECT whose rows are restricted to a list of values by an inner join on a derived table
// (… JOIN (SELECT c … WHERE c IN (…) …) j ON X.c = j.c), the limited aggregates correlated on X.c are
// computed once for the whole list in a joined derived table, instead of once per row. Leaves the
// statement alone when it does not have that shape.
void decorrelateLimitedAggregates(sqltokens::Seq &top);
