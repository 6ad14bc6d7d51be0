// The user guide as installed: found from the program's bin/ folder or the system's data folders, and shown
// with every picture it names, none missing and none left over.
#include "app/ui/UserGuide.h"
#include "core/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

using namespace Qt::Literals::StringLiterals;

class TestUserGuide : public QObject
{
    Q_OBJECT

private slots:
    void findsTheSharedFolder_data();
    void findsTheSharedFolder();
    void showsEveryPictureOfTheGuide();
};

void TestUserGuide::findsTheSharedFolder_data()
{
    QTest::addColumn<QString>("sharedBesideBin");
    QTest::addColumn<QString>("sharedInDataDirs");
    QTest::addColumn<QString>("expected");
    QTest::newRow("installed: share/ostrevan beside bin/") << "prefix/share/ostrevan"
                                                           << ""
                                                           << "prefix/share/ostrevan";
    QTest::newRow("beside bin/ wins over the data folders") << "prefix/share/ostrevan"
                                                            << "xdg/ostrevan"
                                                            << "prefix/share/ostrevan";
    QTest::newRow("a build tree: the system's data folders") << ""
                                                             << "xdg/ostrevan"
                                                             << "xdg/ostrevan";
    QTest::newRow("nowhere") << ""
                             << ""
                             << "";
}

void TestUserGuide::findsTheSharedFolder()
{
    QFETCH(QString, sharedBesideBin);
    QFETCH(QString, sharedInDataDirs);
    QFETCH(QString, expected);
    QTemporaryDir root;
    const QDir dir(root.path());
    QVERIFY(dir.mkpath(u"prefix/bin"_s) && dir.mkpath(u"xdg"_s) && dir.mkpath(u"home"_s));
    for (const QString &folder : {sharedBesideBin, sharedInDataDirs})
        if (!folder.isEmpty())
            QVERIFY(dir.mkpath(folder));
    qputenv("XDG_DATA_HOME", dir.filePath(u"home"_s).toLocal8Bit());
    qputenv("XDG_DATA_DIRS", dir.filePath(u"xdg"_s).toLocal8Bit());
    QCOMPARE(sharedDataFolder(dir.filePath(u"prefix/bin"_s)), expected.isEmpty() ? QString() : dir.filePath(expected));
}

void TestUserGuide::showsEveryPictureOfTheGuide()
{
    // The guide laid out as the packages install it.
    QTemporaryDir root;
    const QDir shared(root.filePath(u"share/ostrevan"_s));
    QVERIFY(QDir().mkpath(shared.filePath(u"guide"_s)));
    const QDir docs(QString::fromUtf8(OSTREVAN_DOCS_DIR));
    QVERIFY(QFile::copy(docs.filePath(u"guide.md"_s), shared.filePath(u"guide.md"_s)));
    const QStringList pictures = QDir(docs.filePath(u"guide"_s)).entryList({u"*.png"_s}, QDir::Files, QDir::Name);
    QVERIFY(!pictures.isEmpty());
    for (const QString &picture : pictures)
        QVERIFY(QFile::copy(docs.filePath(u"guide/"_s + picture), shared.filePath(u"guide/"_s + picture)));

    QWidget *window = openUserGuide(nullptr, shared.path());
    QVERIFY(window);
    auto *browser = window->findChild<QTextBrowser *>();
    QVERIFY(browser);
    QVERIFY(browser->toPlainText().contains(u"User Guide"_s));
    QStringList shown;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QString name = format.toImageFormat().name();
            const QVariant data = browser->loadResource(QTextDocument::ImageResource, QUrl(name));
            QVERIFY2(!QImage::fromData(data.toByteArray()).isNull(), qPrintable(name + u" does not load"_s));
            shown << QFileInfo(name).fileName();
        }
    }
    shown.sort();
    QCOMPARE(shown, pictures);
    delete window;
}

QTEST_MAIN(TestUserGuide)
#include "tst_userguide.moc"
