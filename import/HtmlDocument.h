#pragma once

#include <QList>
#include <QString>

struct _xmlDoc;
struct _xmlNode;
using HtmlNode = _xmlNode *;

// A web page parsed by libxml2's forgiving HTML parser: tag and attribute names in lower case,
// entities decoded, broken markup repaired the way browsers do.
class HtmlDocument
{
public:
    explicit HtmlDocument(const QString &html);
    ~HtmlDocument();
    HtmlDocument(const HtmlDocument &) = delete;
    HtmlDocument &operator=(const HtmlDocument &) = delete;

    bool isValid() const { return m_doc != nullptr; }
    HtmlNode root() const;
    // Nodes matching an XPath expression, in document order; relative to `context` when given.
    QList<HtmlNode> select(const char *xpath, HtmlNode context = nullptr) const;

    // Every element below `from` (itself included) in document order; only those named `name` when given.
    static QList<HtmlNode> elements(HtmlNode from, const char *name = nullptr);
    static QList<HtmlNode> childElements(HtmlNode parent, const char *name1, const char *name2 = nullptr);
    static bool isElement(HtmlNode node, const char *name);
    static QString name(HtmlNode node);
    static HtmlNode parent(HtmlNode node);
    static QString attribute(HtmlNode node, const char *name);
    static bool contains(HtmlNode ancestor, HtmlNode node);
    // The text as a reader sees it on one line: white space runs (no-break spaces too) become one
    // blank, trimmed; comments, scripts and styles left out.
    static QString text(HtmlNode node);
    // The text with line breaks where the page breaks lines (br, paragraphs, rows, headings),
    // every line trimmed and empty lines dropped, joined by `lineBreak`.
    static QString lines(HtmlNode node, const QString &lineBreak, HtmlNode stopAt = nullptr);
    // White space runs as one blank, trimmed.
    static QString simplified(const QString &text);

private:
    _xmlDoc *m_doc = nullptr;
};
