#include "FormBackend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

AnswerWriter::AnswerWriter(const QueryLimits &limits) : m_limits(limits) {}

void AnswerWriter::separate()
{
    if (failed())
        return;
    if (m_rowStarted)
        m_result.body += '|';
    m_rowStarted = true;
}

void AnswerWriter::null()
{
    separate();
}

void AnswerWriter::integer(long long v)
{
    separate();
    if (!failed())
        m_result.body += std::to_string(v);
}

void AnswerWriter::real(double v)
{
    separate();
    if (failed())
        return;
    char buf[64];
    if (std::isfinite(v) && std::fabs(v) < 1e15 && v == std::floor(v))
        std::snprintf(buf, sizeof buf, "%.0f", v);
    else
        std::snprintf(buf, sizeof buf, "%.15g", v);
    m_result.body += buf;
}

void AnswerWriter::text(const char *data, size_t size)
{
    separate();
    if (failed())
        return;
    if (size > kMaxValueBytes) {
        fail("bytes", "string or blob too big");
        return;
    }
    m_result.body.append(data, size);
}

bool AnswerWriter::endRow()
{
    if (failed())
        return false;
    m_rowStarted = false;
    if (++m_result.rows > m_limits.maxRows) {
        fail("rows", "too many rows: the answer is limited to " + std::to_string(m_limits.maxRows) + " rows");
        return false;
    }
    m_result.body += "<br>\n";
    if (m_result.body.size() > m_limits.maxBytes) {
        fail("bytes", "answer too large: the limit is " + std::to_string(m_limits.maxBytes) + " bytes");
        return false;
    }
    return true;
}

QueryOutcome &AnswerWriter::fail(const char *kind, const std::string &why)
{
    m_result.ok = false;
    m_result.errorKind = kind;
    std::string line = "Error: " + why;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    m_result.body = line + "\n";
    return m_result;
}

QueryOutcome AnswerWriter::finish()
{
    if (!failed())
        m_result.ok = true;
    return std::move(m_result);
}
