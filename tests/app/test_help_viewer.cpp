#include "app/chm_archive.h"
#include "app/chm_help_viewer.h"
#include "support/reference.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

namespace {

const QString kHelpFile = QStringLiteral(KB_HELP_FILE);
const QString kWelcome = u"コトバル へようこそ"_s;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A broken link, a picture missing from the staging or a stale contents entry
    // would otherwise only show as an empty spot. Links with a scheme leave the help.
    void everyLinkOfTheHelpStaysInsideIt() {
        static const QRegularExpression link(u"(?:href|src)\\s*=\\s*\"(?![a-z]+:)([^\"]*)\""_s);
        kb::ChmArchive archive;
        QVERIFY(archive.open(kHelpFile));
        QVERIFY(!archive.read(u"missing.html"_s));
        QVERIFY(kb::decodeHtml(*archive.read(u"index.html"_s)).contains(u"charset=utf-8"_s));
        QStringList targets;
        for (const QString& page : archive.files().filter(u".html"_s))
            for (auto it = link.globalMatch(kb::decodeHtml(*archive.read(page))); it.hasNext();)
                targets << QUrl(u"kbhelp:"_s + page)
                               .resolved(QUrl(it.next().captured(1)))
                               .toString(QUrl::RemoveScheme);
        for (const auto& entries : {archive.contents(), archive.index()})
            for (const auto& entry : entries)
                targets.append(entry.local);
        QVERIFY(targets.size() > 100);
        for (const QString& target : targets) {
            QVERIFY2(archive.contains(target), qPrintable(target));
            const QString anchor = QUrl(target).fragment(), name = u"name=\"%1\""_s.arg(anchor);
            QVERIFY2(anchor.isEmpty() || kb::decodeHtml(*archive.read(target)).contains(name),
                     qPrintable(target));
        }
    }

    void decodesPagesByTheirCharset() {
        const QString name = u"コトバル"_s;
        QVERIFY(kb::decodeHtml("<p>" + name.toUtf8()).contains(name)); // no charset: UTF-8
        QVERIFY(kb::decodeHtml("<meta http-equiv=\"Content-Type\" content=\"text/html; "
                               "charset=Shift_JIS\">\x83\x52\x83\x67\x83\x6f\x83\x8b")
                    .contains(name));
    }

    void normalizesPathsInsideTheArchive_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare name") << u"index.html"_s << u"/index.html"_s;
        QTest::newRow("fragment and query") << u"/images/a.svg?x=1#top"_s << u"/images/a.svg"_s;
        QTest::newRow("dot segments") << u"/a/./b/../c.htm"_s << u"/a/c.htm"_s;
        QTest::newRow("climbs above the root") << u"../../x.htm"_s << u"/x.htm"_s;
        QTest::newRow("backslashes") << u"a\\b.htm"_s << u"/a/b.htm"_s;
        QTest::newRow("ms-its prefix")
            << u"ms-its:KbHelp.chm::/play.html#signal"_s << u"/play.html"_s;
    }
    void normalizesPathsInsideTheArchive() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(kb::normalizeChmPath(path), expected);
    }

    void readsNestedSitemaps() {
        const auto entries = kb::parseSitemap(
            u"<OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"skip\"></OBJECT>"
            "<UL><LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B\">"
            "<param name=\"Local\" value=\"a.html\"></object>"
            "<ul><li><OBJECT type='text/sitemap'><PARAM NAME=Name "
            "VALUE='子&#x3042;&#12393;&#1;&#0;&#xD800;&#x10FFFF;&#x110000;'>"
            "<param name=\"Local\" value=\"sub/b.html#part\">"
            "<param name=\"Local\" value=\"other.html\"></OBJECT><ul><li></ul>"
            "<li><object type='text/sitemap'><param name=Name value=C></object></ul>"
            "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Heading\"></OBJECT>"_s);
        QStringList got;
        for (const auto& e : entries)
            got << u"%1|%2|%3"_s.arg(e.name, e.local).arg(e.depth);
        QCOMPARE(got,
                 (QStringList{u"A & B|/a.html|0"_s,
                              u"子あど\u0001&#0;&#xD800;\U0010FFFF&#x110000;|/sub/b.html#part|1"_s,
                              u"C||1"_s, u"Heading||0"_s}));
    }

    // Older compilers wrote the project's texts in Shift_JIS. A default topic naming no page
    // is no better than none: the first page leads. One contents entry makes a sidebar.
    void findsTheDefaultTopic_data() {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QString>("expected");
        const QByteArray one = "\nContents file=t.hhc";
        QTest::newRow("named in UTF-8, one contents entry")
            << u"Default topic=コ.html"_s.toUtf8() + one << u"/コ.html"_s;
        QTest::newRow("named in Shift_JIS")
            << QByteArray("Default topic=\x83\x52.html") << u"/コ.html"_s;
        QTest::newRow("names no page") << QByteArray("Default topic=gone.html") << u"/a.html"_s;
        QTest::newRow("none named") << QByteArray() << u"/a.html"_s;
        QTest::newRow("named only in a project file inside") << QByteArray() << u"/コ.html"_s;
    }
    void findsTheDefaultTopic() {
        QFETCH(QByteArray, options);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(u"t.hhc"_s),
                          "<ul><li><object type=\"text/sitemap\"><param name=\"Name\" value=\"A\">"
                          "<param name=\"Local\" value=\"a.html\"></object></ul>"));
        QVERIFY(writeFile(dir.filePath(u"old.hhp"_s), u"Default topic=コ.html\n"_s.toUtf8()));
        QVERIFY(writeFile(dir.filePath(u"t.hhp"_s),
                          "[OPTIONS]\nCompiled file=t.chm\n" + options + "\n\n[FILES]\n" +
                              u"コ.html"_s.toUtf8() + "\na.html\n" +
                              (strstr(QTest::currentDataTag(), "inside") ? "old.hhp\n" : "")));
        for (const QString& page : {u"a.html"_s, u"コ.html"_s})
            QVERIFY(writeFile(dir.filePath(page), "<html><body>A</body></html>"));
        QProcess chmcmd;
        chmcmd.setWorkingDirectory(dir.path());
        chmcmd.start(QStringLiteral(KB_CHMCMD), {u"t.hhp"_s});
        QVERIFY(chmcmd.waitForFinished());
        kb::ChmArchive archive;
        QVERIFY(archive.open(dir.filePath(u"t.chm"_s)));
        QCOMPARE(archive.defaultTopic(), expected);
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, dir.filePath(u"t.chm"_s));
        auto* sidebar = viewer.window()->findChild<QTabWidget*>();
        QCOMPARE(sidebar->isVisible(), options.contains("Contents"));
        QVERIFY(!sidebar->isTabEnabled(1)); // no index
        if (!sidebar->isVisible()) return;
        // The window as a whole: its size, the sidebar, the margins and the page.
        const QString differs =
            kb::test::differsFromReference(viewer.window()->grab().toImage(), u"help"_s);
        QVERIFY2(differs.isEmpty(), qPrintable(differs));
    }

    // The bare name is looked up in the working directory, like the data files.
    // Asked again, the one window goes back to the first page, or shows the
    // file put in place meanwhile. Contents and index show with the help only.
    void displayTopicShowsTheHelpOrSaysWhy_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QFile help(kHelpFile);
        QVERIFY(help.open(QIODevice::ReadOnly));
        QTest::newRow("the help") << "file" << help.readAll() << kWelcome;
        QTest::newRow("missing") << "none" << QByteArray() << u"「KbHelp.chm」が見つかりません"_s;
        const QString unreadable = u"「KbHelp.chm」を開けませんでした"_s;
        QTest::newRow("not a help file") << "file" << QByteArray(4096, 'x') << unreadable;
        QTest::newRow("empty file") << "file" << QByteArray() << unreadable;
        QTest::newRow("a folder") << "folder" << QByteArray() << unreadable;
    }
    void displayTopicShowsTheHelpOrSaysWhy() {
        QFETCH(QString, setup);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString name = u"KbHelp.chm"_s, path = dir.filePath(name);
        if (setup == u"file") QVERIFY(writeFile(path, bytes));
        if (setup == u"folder") QVERIFY(QDir(dir.path()).mkdir(name));
        QDir::setCurrent(dir.path());
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, name);
        auto* browser = viewer.window()->findChild<QTextBrowser*>();
        QVERIFY2(browser->toPlainText().contains(message), qPrintable(browser->toPlainText()));
        auto* sidebar = viewer.window()->findChild<QTabWidget*>();
        QCOMPARE(sidebar->isVisible(), message == kWelcome);

        QVERIFY(QFile::remove(path) || QDir(dir.path()).rmdir(name) || setup == u"none");
        QVERIFY(QFile::copy(kHelpFile, path));
        browser->setSource(QUrl(u"kbhelp:/files.html"_s));
        viewer.displayTopic(&owner, name);
        QCOMPARE(owner.findChildren<QTextBrowser*>().size(), 1);
        QVERIFY(viewer.window()->isVisible());
        QCOMPARE(viewer.window()->windowTitle(), u"コトバル ヘルプ"_s);
        QCOMPARE(browser->source().path(), u"/index.html"_s);
        QVERIFY(browser->toPlainText().contains(kWelcome));
        QVERIFY(sidebar->isVisible() && sidebar->isTabEnabled(1));
        viewer.closeAll(&owner, name);
        QVERIFY(!viewer.window()->isVisible());
    }

    // Only links inside the help are followed, a part of a page too; the contents
    // follow the page and the part. Clicked on play.html.
    void clickedLinkIsFollowedInsideTheHelpOnly_data() {
        QTest::addColumn<QString>("href");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("topic");
        QTest::newRow("help page") << u"index.html"_s << "/index.html" << kWelcome;
        QTest::newRow("part of it") << u"#signal"_s << "/play.html#signal" << u"スタートと信号"_s;
        QTest::newRow("part of another")
            << u"scoring.html#kinds"_s << "/scoring.html#kinds" << u"文字の種類"_s;
        QTest::newRow("web") << u"https://example.org/"_s << "/play.html" << u"遊び方"_s;
    }
    void clickedLinkIsFollowedInsideTheHelpOnly() {
        QFETCH(QString, href);
        QFETCH(QString, page);
        QFETCH(QString, topic);
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, kHelpFile);
        auto* browser = viewer.window()->findChild<QTextBrowser*>();
        browser->setSource(QUrl(u"kbhelp:/play.html"_s));
        QTextCursor cursor(browser->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertHtml(u"<p><a href=\"%1\">外へのリンク</a></p>"_s.arg(href));
        cursor.movePosition(QTextCursor::Left, QTextCursor::MoveAnchor, 3);
        browser->setTextCursor(cursor);
        browser->ensureCursorVisible();
        QSignalSpy clicked(browser, &QTextBrowser::anchorClicked);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, browser->cursorRect().center());
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(browser->source().toString(QUrl::RemoveScheme), page);
        auto* contents = viewer.window()->findChild<QTreeWidget*>();
        QVERIFY(contents->currentItem());
        QCOMPARE(contents->currentItem()->text(0), topic);
        const QVariant image = browser->document()->resource(
            QTextDocument::ImageResource, QUrl(u"kbhelp:/window/light_red.svg"_s));
        QVERIFY(image.value<QImage>().width() > 0);
    }

    // The index on its tab: typing narrows it, whatever the case; a click opens the topic.
    void indexNarrowsAndOpensTopics() {
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, kHelpFile);
        viewer.window()->findChild<QTabWidget*>()->setCurrentIndex(1);
        auto* index = viewer.window()->findChild<QListWidget*>();
        QVERIFY(index->isVisible());
        QTest::keyClicks(viewer.window()->findChild<QLineEdit*>(), u"jis"_s);
        QList<QListWidgetItem*> shown;
        for (int row = 0; row < index->count(); ++row)
            if (!index->item(row)->isHidden()) shown << index->item(row);
        QCOMPARE(shown.size(), 1); // Shift_JIS
        const QPoint at = index->visualItemRect(shown[0]).center();
        QTest::mouseClick(index->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(viewer.window()->findChild<QTextBrowser*>()->source().toString(),
                 u"kbhelp:/files.html#encoding"_s);
    }
};

QTEST_MAIN(TestHelpViewer)
#include "test_help_viewer.moc"
