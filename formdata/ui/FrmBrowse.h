#pragma once

#include <QDialog>
#include <QUrl>

#include <functional>

class QPushButton;

// The browser window for the outside look-ups. With the browser module the page is shown in the
// window; without it the system browser opens the page.
class FrmBrowse final : public QDialog
{
    Q_OBJECT
public:
    explicit FrmBrowse(QWidget *parent = nullptr);

    void navigate(const QUrl &url);
    QUrl url() const { return m_url; }

    QPushButton *cmdClose = nullptr;

    // Shows `url` under `caption`: modally in the window when it can hold a browser, else in
    // the system browser.
    static void showPage(QWidget *parent, const QString &caption, const QUrl &url, bool largeNearTop = false);

    // Whether the browser module is there to show pages in the window (loading it on first ask).
    static bool canShowPages();

    // Where pages go instead (tests, headless runs); empty restores the normal way.
    using Presenter = std::function<void(const QString &caption, const QUrl &url)>;
    static void setPresenter(Presenter presenter);

private:
    QUrl m_url;
    QWidget *m_view = nullptr;
};
