#pragma once

#include <QString>

#include <chrono>

using namespace Qt::Literals::StringLiterals;

// The one routine for every HTTP access of the system (the data server and the racing web
// sites alike). Waits for the answer while the event loop keeps running, so windows stay
// usable and a handler may start a second request meanwhile; each call keeps its own state.
//
// Returns the response body for status 200 when the whole of it arrived. Any other outcome
// returns a text that begins with "Error:" (another status, a refused connection, the time-out,
// an answer cut off by a network error or a closed connection, an answer larger than
// httpAnswerLimit()). A status-200 page that is a server-side error or warning is shown here
// (critical message) and gives an empty answer.
QString HttpRequest(const QString &address, const QString &method = u"GET"_s, const QString &body = {});
// The same; *errorPageShown tells the caller that the empty answer stands for a server error
// page that has already been shown, not for a query without rows.
QString HttpRequest(const QString &address, const QString &method, const QString &body, bool *errorPageShown);
// A GET of a public web page that names the program to the site with `userAgent`; answers as above.
QString HttpGetPage(const QString &address, const QByteArray &userAgent, bool *errorPageShown = nullptr);

// The root address of a web site from its host setting: "https://" + host, or the setting as it
// stands when it names its scheme ("http://127.0.0.1:8080"); no "/" at the end.
QString siteRoot(const QString &host);

// How long a request may wait before it is aborted. The default lets more than 50 whole
// seconds pass; tests shorten it.
void setHttpRequestTimeout(std::chrono::milliseconds timeout);
inline constexpr std::chrono::milliseconds kDefaultHttpRequestTimeout{51000};

// The most bytes an answer or page may have; reading stops there and the request fails. Far above
// any real answer (a busy jockey's whole career is about 1 MB); tests lower it.
void setHttpAnswerLimit(qint64 bytes);
qint64 httpAnswerLimit();
inline constexpr qint64 kDefaultHttpAnswerLimit = qint64(64) * 1024 * 1024;

// Title of the message shown for a server error or warning page.
inline constexpr const char *kServerErrorPageTitle = "Connection error, Please Check Internet Connection";

// The "Error:" answer for a body that did not arrive whole; `why` says how it was cut off.
QString httpCutOffText(const QString &why, const QString &address);

// True when the failure text says the server could not be reached at all (refused, no route, timed
// out), rather than an answer from it.
bool isUnreachableAnswer(const QString &answer);

// True when a status-200 answer is a server error or warning page rather than data.
bool isServerErrorPage(const QString &answer);
