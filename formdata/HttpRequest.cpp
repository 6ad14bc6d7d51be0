#include "HttpRequest.h"

#include "core/UserDialogs.h"
#include "core/cAppSettings.h"

#include <QDateTime>
#include <QEventLoop>
#include <QFileInfo>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QStringDecoder>
#include <QUrl>

#include <curl/curl.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

std::chrono::milliseconds g_timeout = kDefaultHttpRequestTimeout;
qint64 g_answerLimit = kDefaultHttpAnswerLimit;

const QString kErrorPrefix = u"Error:"_s;

// Failures where no connection to the server could be made at all: the answer names the
// status 12029 that the desktop's HTTP component gave for them, so messages read the same.
bool isCannotConnect(CURLcode code)
{
    switch (code) {
    case CURLE_COULDNT_CONNECT:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
        return true;
    default:
        return false;
    }
}

QString cannotConnectText(const QString &address)
{
    return kErrorPrefix + u" 12029 "_s + u"Connection to Server cannot be "_s + u"Established."_s + u'\r' +
           u"Check internet Connection, the server you are connecting to may have a problem."_s + u'\r' +
           address.left(50);
}

QString timedOutText(const QString &address)
{
    return kErrorPrefix + u" Internert Connection has Timed out. Check internet connection. "_s + u'\r' +
           u"May Mean Website server is down."_s + u'\r' + address.left(50);
}

QString sizeText(qint64 bytes)
{
    if (bytes >= 1024 * 1024)
        return QString::number(double(bytes) / (1024 * 1024), 'g', 4) + u" MB"_s;
    if (bytes >= 1024)
        return QString::number(double(bytes) / 1024, 'g', 4) + u" KB"_s;
    return QString::number(bytes) + u" bytes"_s;
}

QString tooLargeText(const QString &address)
{
    return kErrorPrefix +
           u" The answer is larger than %1, the most an answer may be; reading stopped "
           "there and nothing of it was used."_s.arg(sizeText(g_answerLimit)) +
           u'\r' + address.left(50);
}

// The body in the character set the server names, UTF-8 when it names none we know.
QString decodeBody(const QByteArray &bytes, const QByteArray &contentType)
{
    const qsizetype at = contentType.toLower().indexOf("charset=");
    if (at >= 0) {
        QByteArray name = contentType.mid(at + 8);
        const qsizetype end = name.indexOf(';');
        if (end >= 0)
            name.truncate(end);
        name = name.trimmed();
        if (name.startsWith('"') && name.endsWith('"') && name.size() >= 2)
            name = name.mid(1, name.size() - 2);
        QStringDecoder decoder(name.constData());
        if (decoder.isValid())
            return decoder.decode(bytes);
    }
    return QString::fromUtf8(bytes);
}

// The system's trusted certificates plus those of the DataServerCaFile setting, as one PEM bundle;
// empty when the setting names no file (the library then reads the system's own). Read again only
// when the setting or the file changes.
QByteArray caBundle()
{
    thread_local QString loadedPath;
    thread_local QDateTime loadedStamp;
    thread_local QByteArray bundle;
    const QString path = cAppSettings::instance().DataServerCaFile;
    const QDateTime stamp = path.isEmpty() ? QDateTime() : QFileInfo(path).lastModified();
    if (path != loadedPath || stamp != loadedStamp) {
        bundle.clear();
        if (!path.isEmpty()) {
            for (const QSslCertificate &certificate : QSslConfiguration::systemCaCertificates())
                bundle += certificate.toPem();
            for (const QSslCertificate &certificate : QSslCertificate::fromPath(path, QSsl::Pem))
                bundle += certificate.toPem();
        }
        loadedPath = path;
        loadedStamp = stamp;
    }
    return bundle;
}

// Transfer handles of this thread that are not in use. A handle keeps its connections open after a
// transfer, so a session pays one TLS handshake and not one per query.
class HandlePool
{
public:
    ~HandlePool()
    {
        for (CURL *handle : m_idle)
            curl_easy_cleanup(handle);
    }
    CURL *take()
    {
        static std::once_flag initialised;
        std::call_once(initialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
        if (m_idle.empty())
            return curl_easy_init();
        CURL *handle = m_idle.back();
        m_idle.pop_back();
        return handle;
    }
    void giveBack(CURL *handle)
    {
        curl_easy_reset(handle);
        m_idle.push_back(handle);
    }

private:
    std::vector<CURL *> m_idle;
};

HandlePool &threadHandles()
{
    thread_local HandlePool pool;
    return pool;
}

// One request and what came back of it. The transfer runs on a worker thread; the caller's thread
// keeps its event loop running meanwhile and reads the outcome only after the worker has ended.
struct Transfer {
    qint64 limit = 0;
    std::atomic<bool> cancelled{false};

    QByteArray bytes;
    bool tooLarge = false;
    long status = 0;
    QByteArray reason;
    QByteArray contentType;
    bool delimited = false; // a length or chunks tell where the body ends, not the close of the connection
    CURLcode code = CURLE_OK;
    char error[CURL_ERROR_SIZE] = {};

    // Each header line of each response; a redirect's headers are replaced by those of the next answer.
    static size_t header(char *data, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<Transfer *>(self);
        const QByteArray line = QByteArray(data, qsizetype(size * count)).trimmed();
        if (line.startsWith("HTTP/")) {
            const QList<QByteArray> parts = line.split(' '); // "HTTP/1.1 404 Not Found"
            t->status = parts.value(1).toLong();
            t->reason = parts.mid(2).join(' ');
            t->contentType.clear();
            t->delimited = false;
        } else if (const qsizetype colon = line.indexOf(':'); colon > 0) {
            const QByteArray name = line.left(colon).trimmed().toLower();
            const QByteArray value = line.mid(colon + 1).trimmed();
            if (name == "content-type")
                t->contentType = value;
            else if (name == "transfer-encoding" && value.toLower().contains("chunked"))
                t->delimited = true;
            else if (name == "content-length") {
                t->delimited = true;
                if (value.toLongLong() <= t->limit)
                    t->bytes.reserve(value.toLongLong());
            }
        }
        return size * count;
    }

    // The body piece by piece as it arrives; reading stops at the limit, so an endless or oversized
    // answer cannot take the program's memory.
    static size_t write(char *data, size_t size, size_t count, void *self)
    {
        auto *t = static_cast<Transfer *>(self);
        const qint64 n = qint64(size * count);
        if (t->bytes.size() + n > t->limit) {
            t->tooLarge = true;
            return 0;
        }
        t->bytes.append(data, n);
        return size * count;
    }

    static int progress(void *self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        return static_cast<Transfer *>(self)->cancelled ? 1 : 0;
    }
};

// Plain text carries no end of its own (its reader checks it); markup must close its html element.
bool endsItsDocument(const QString &answer)
{
    const QStringView text = QStringView(answer).trimmed();
    if (!text.startsWith(u'<'))
        return true;
    return text.right(64).contains("</html>"_L1, Qt::CaseInsensitive);
}

} // namespace

void setHttpRequestTimeout(std::chrono::milliseconds timeout)
{
    g_timeout = timeout;
}

void setHttpAnswerLimit(qint64 bytes)
{
    g_answerLimit = bytes;
}

qint64 httpAnswerLimit()
{
    return g_answerLimit;
}

QString siteRoot(const QString &host)
{
    QString root = host.trimmed();
    while (root.endsWith(u'/'))
        root.chop(1);
    return root.contains("://"_L1) ? root : u"https://"_s + root;
}

QString httpCutOffText(const QString &why, const QString &address)
{
    return kErrorPrefix + u" The answer was cut off (%1); nothing of it was used."_s.arg(why) + u'\r' +
           address.left(50);
}

bool isUnreachableAnswer(const QString &answer)
{
    return answer.startsWith(cannotConnectText({}).left(12)) || answer.startsWith(timedOutText({}).left(30)) ||
           answer.startsWith(kErrorPrefix + u" 0 "_s);
}

bool isServerErrorPage(const QString &answer)
{
    return answer.startsWith(kErrorPrefix) || answer.startsWith("Statem"_L1) || answer.mid(10, 7) == "Warning"_L1;
}

QString HttpRequest(const QString &address, const QString &method, const QString &body)
{
    return HttpRequest(address, method, body, nullptr);
}

namespace {

QString send(const QString &address, const QString &method, const QString &body, bool *errorPageShown,
             const QByteArray &userAgent)
{
    if (errorPageShown)
        *errorPageShown = false;
    // Everything of this request lives in this frame (the pool lends a handle for it alone), so a
    // request started by an event handler while this one waits cannot disturb it.
    Transfer t;
    t.limit = g_answerLimit;
    CURL *h = threadHandles().take();
    const QUrl url(address, QUrl::TolerantMode);
    const bool https = url.scheme().compare("https"_L1, Qt::CaseInsensitive) == 0;
    curl_easy_setopt(h, CURLOPT_URL, url.toEncoded().constData());
    // Only the web: no proxy from the environment, and a redirect never leaves TLS once it was used.
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    // A form posted to a site that moved to https is posted again there, not turned into a GET.
    curl_easy_setopt(h, CURLOPT_POSTREDIR, long(CURL_REDIR_POST_ALL));
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https");
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, long(g_timeout.count()));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // An answer whose declared length is over the limit is refused before any of it is read.
    curl_easy_setopt(h, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(g_answerLimit));
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, t.error);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::header);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::write);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
    const QByteArray ca = https ? caBundle() : QByteArray();
    if (!ca.isEmpty()) {
        curl_blob blob{const_cast<char *>(ca.constData()), size_t(ca.size()), CURL_BLOB_COPY};
        curl_easy_setopt(h, CURLOPT_CAINFO_BLOB, &blob);
    }

    // Uncompressed answers: the data server's brotli compression of a large answer costs far more
    // time than the transfer it saves (0.75 s against 0.03 s for 10,000 rows).
    curl_slist *headers = curl_slist_append(nullptr, "Accept-Encoding: identity");
    headers = curl_slist_append(headers, "Expect:");
    const QByteArray verb = method.toUpper().toLatin1();
    const QByteArray payload = body.toUtf8();
    if (verb == "POST") {
        headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(payload.size()));
        curl_easy_setopt(h, CURLOPT_COPYPOSTFIELDS, payload.constData());
    } else {
        curl_easy_setopt(h, CURLOPT_USERAGENT, userAgent.constData());
        if (verb == "HEAD")
            curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        else if (verb != "GET")
            curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, verb.constData());
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);

    // The transfer runs on its own thread while this one keeps its events going, so windows stay usable.
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        t.code = curl_easy_perform(h);
        done = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done)
        loop.exec();
    if (!done) // the application is ending: the transfer stops at its next progress report
        t.cancelled = true;
    worker.join();
    threadHandles().giveBack(h); // forgets every option, the header list's among them
    curl_slist_free_all(headers);

    if (t.tooLarge || t.code == CURLE_FILESIZE_EXCEEDED)
        return tooLargeText(address);
    if (t.code == CURLE_OPERATION_TIMEDOUT)
        return timedOutText(address);
    if (isCannotConnect(t.code))
        return cannotConnectText(address);
    const QString why = QString::fromUtf8(t.error[0] ? t.error : curl_easy_strerror(t.code));
    if (t.status == 0)
        return kErrorPrefix + u" 0 "_s + why;
    if (t.status != 200) {
        return kErrorPrefix + u' ' + QString::number(t.status) + u' ' + QString::fromLatin1(t.reason);
    }
    // A connection that ended before the body did (a reset, a close before the last chunk, fewer bytes
    // than the Content-Length named) is a failed request: a part of an answer must never pass for the
    // whole of it.
    if (t.code != CURLE_OK)
        return httpCutOffText(why, address);

    const QString answer = decodeBody(t.bytes, t.contentType);
    // Read to the close (HTTP/1.0 through a proxy): only a page that ends its document is known whole.
    if (!t.delimited && verb != "HEAD" && !endsItsDocument(answer))
        return httpCutOffText(u"the page ended before its closing </html> tag"_s, address);
    if (isServerErrorPage(answer)) {
        UserDialogs::instance().message(QLatin1String(kServerErrorPageTitle), answer.left(120),
                                        UserDialogs::Icon::Critical);
        if (errorPageShown)
            *errorPageShown = true;
        return {};
    }
    return answer;
}

} // namespace

QString HttpRequest(const QString &address, const QString &method, const QString &body, bool *errorPageShown)
{
    return send(address, method, body, errorPageShown, "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)");
}

QString HttpGetPage(const QString &address, const QByteArray &userAgent, bool *errorPageShown)
{
    return send(address, u"GET"_s, {}, errorPageShown, userAgent);
}
