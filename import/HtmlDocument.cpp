#include "HtmlDocument.h"

#include <libxml/HTMLparser.h>
#include <libxml/xpath.h>

using namespace Qt::Literals::StringLiterals;

namespace {

QString fromXml(const xmlChar *text)
{
    return text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QString();
}

bool isSkipped(HtmlNode node)
{
    return node->type == XML_COMMENT_NODE ||
           (node->type == XML_ELEMENT_NODE &&
            (HtmlDocument::isElement(node, "script") || HtmlDocument::isElement(node, "style")));
}

bool breaksLine(HtmlNode node)
{
    static const char *const kBlocks[] = {"br", "p", "div", "tr", "table", "h1", "h2", "h4", "li", "hr"};
    for (const char *block : kBlocks) {
        if (HtmlDocument::isElement(node, block))
            return true;
    }
    return false;
}

void appendText(HtmlNode node, QString &out)
{
    for (HtmlNode child = node->children; child; child = child->next) {
        if (isSkipped(child))
            continue;
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            out += fromXml(child->content);
        } else if (child->type == XML_ELEMENT_NODE) {
            // "Handicapper<br>Rating" reads as two words.
            const bool apart =
                breaksLine(child) || HtmlDocument::isElement(child, "td") || HtmlDocument::isElement(child, "th");
            if (apart)
                out += u' ';
            appendText(child, out);
            if (apart)
                out += u' ';
        }
    }
}

// Returns false once `stopAt` has been reached.
bool appendLines(HtmlNode node, QString &out, HtmlNode stopAt)
{
    for (HtmlNode child = node->children; child; child = child->next) {
        if (child == stopAt)
            return false;
        if (isSkipped(child))
            continue;
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            out += fromXml(child->content).replace(u'\n', u' ');
        } else if (child->type == XML_ELEMENT_NODE) {
            // Headings that follow one another read as one line.
            if (HtmlDocument::isElement(child, "h3"))
                out += u' ';
            if (breaksLine(child))
                out += u'\n';
            if (!appendLines(child, out, stopAt))
                return false;
            if (breaksLine(child) && !HtmlDocument::isElement(child, "br"))
                out += u'\n';
        }
    }
    return true;
}

} // namespace

HtmlDocument::HtmlDocument(const QString &html)
{
    const QByteArray bytes = html.toUtf8();
    m_doc = htmlReadMemory(bytes.constData(), int(bytes.size()), nullptr, "UTF-8",
                           HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    if (m_doc)
        xmlXPathOrderDocElems(m_doc);
}

HtmlDocument::~HtmlDocument()
{
    if (m_doc)
        xmlFreeDoc(m_doc);
}

HtmlNode HtmlDocument::root() const
{
    return m_doc ? xmlDocGetRootElement(m_doc) : nullptr;
}

QList<HtmlNode> HtmlDocument::select(const char *xpath, HtmlNode context) const
{
    QList<HtmlNode> nodes;
    if (!m_doc)
        return nodes;
    xmlXPathContextPtr ctx = xmlXPathNewContext(m_doc);
    if (!ctx)
        return nodes;
    ctx->node = context ? context : root();
    if (xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar *>(xpath), ctx)) {
        if (result->nodesetval) {
            for (int i = 0; i < result->nodesetval->nodeNr; ++i)
                nodes << result->nodesetval->nodeTab[i];
        }
        xmlXPathFreeObject(result);
    }
    xmlXPathFreeContext(ctx);
    return nodes;
}

namespace {

void collectElements(HtmlNode from, QList<HtmlNode> &out, const char *name)
{
    if (!name || HtmlDocument::isElement(from, name))
        out << from;
    for (HtmlNode child = from->children; child; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            collectElements(child, out, name);
    }
}

} // namespace

QList<HtmlNode> HtmlDocument::elements(HtmlNode from, const char *name)
{
    QList<HtmlNode> out;
    if (from)
        collectElements(from, out, name);
    return out;
}

QList<HtmlNode> HtmlDocument::childElements(HtmlNode parent, const char *name1, const char *name2)
{
    QList<HtmlNode> out;
    for (HtmlNode child = parent ? parent->children : nullptr; child; child = child->next) {
        if (isElement(child, name1) || (name2 && isElement(child, name2)))
            out << child;
    }
    return out;
}

bool HtmlDocument::isElement(HtmlNode node, const char *name)
{
    return node && node->type == XML_ELEMENT_NODE && node->name &&
           xmlStrcasecmp(node->name, reinterpret_cast<const xmlChar *>(name)) == 0;
}

QString HtmlDocument::name(HtmlNode node)
{
    return node ? fromXml(node->name).toLower() : QString();
}

HtmlNode HtmlDocument::parent(HtmlNode node)
{
    return node ? node->parent : nullptr;
}

QString HtmlDocument::attribute(HtmlNode node, const char *name)
{
    if (!node || node->type != XML_ELEMENT_NODE)
        return {};
    xmlChar *value = xmlGetProp(node, reinterpret_cast<const xmlChar *>(name));
    const QString text = fromXml(value);
    xmlFree(value);
    return text;
}

bool HtmlDocument::contains(HtmlNode ancestor, HtmlNode node)
{
    for (; node; node = node->parent) {
        if (node == ancestor)
            return true;
    }
    return false;
}

QString HtmlDocument::simplified(const QString &text)
{
    QString out = text;
    out.replace(QChar(0xA0), u' ');
    return out.simplified();
}

QString HtmlDocument::text(HtmlNode node)
{
    QString out;
    if (node && (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE))
        out = fromXml(node->content);
    else if (node)
        appendText(node, out);
    return simplified(out);
}

QString HtmlDocument::lines(HtmlNode node, const QString &lineBreak, HtmlNode stopAt)
{
    QString raw;
    if (node)
        appendLines(node, raw, stopAt);
    QStringList out;
    for (const QString &line : raw.split(u'\n')) {
        const QString clean = simplified(line);
        if (!clean.isEmpty())
            out << clean;
    }
    return out.join(lineBreak);
}
