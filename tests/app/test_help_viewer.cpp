#include "app/chm_archive.h"
#include "app/chm_help_viewer.h"

#include <optional>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTreeWidget>

using kb::ChmArchive;

namespace {

const QString kHelpFile = QStringLiteral(KB_HELP_FILE);
const QString kTitle = QStringLiteral("コトバル ヘルプ");

QList<QWidget*> helpWindows() {
    QList<QWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == kTitle) found.append(w);
    return found;
}

QTextBrowser* browserOf(QWidget* window) {
    return window->findChild<QTextBrowser*>();
}

// The viewport point of the first anchor whose target ends with href.
std::optional<QPoint> anchorPoint(QTextBrowser* browser, const QString& href) {
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isAnchor() ||
                !fragment.charFormat().anchorHref().endsWith(href))
                continue;
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            return browser->cursorRect(cursor).center();
        }
    }
    return std::nullopt;
}

// Where a page of the archive points: href and src values, resolved against the page.
QStringList targetsOf(const QString& page, const QString& html) {
    static const QRegularExpression link(QStringLiteral("(?:href|src)\\s*=\\s*\"([^\"]*)\""),
                                         QRegularExpression::CaseInsensitiveOption);
    QStringList targets;
    for (auto it = link.globalMatch(html); it.hasNext();) {
        const QUrl url(it.next().captured(1));
        if (url.scheme().isEmpty())
            targets.append(
                QUrl(QStringLiteral("kbhelp:") + page).resolved(url).toString(QUrl::RemoveScheme));
    }
    return targets;
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { savedDir_ = QDir::currentPath(); }
    void cleanup() {
        QDir::setCurrent(savedDir_);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->windowTitle() == kTitle) w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void builtHelpOpensOnItsJapaneseFirstPage() {
        ChmArchive archive;
        QVERIFY(archive.open(kHelpFile));
        QCOMPARE(archive.defaultTopic(), QStringLiteral("/index.html"));
        const auto page = archive.read(archive.defaultTopic());
        QVERIFY(page);
        const QString html = kb::decodeHtml(*page);
        QVERIFY(html.contains(QStringLiteral("<h1>コトバル へようこそ</h1>")));
        QVERIFY(html.contains(QStringLiteral("charset=utf-8")));
    }

    // A broken link, a picture missing from the staging or a stale contents
    // entry would otherwise only show as an empty spot in the viewer.
    void everyLinkOfTheHelpStaysInsideIt() {
        ChmArchive archive;
        QVERIFY(archive.open(kHelpFile));
        QStringList targets;
        for (const QString& path : archive.files()) {
            if (path.endsWith(QLatin1String(".html")))
                targets += targetsOf(path, kb::decodeHtml(*archive.read(path)));
        }
        for (const auto& entry : archive.contents())
            targets.append(entry.local);
        for (const auto& entry : archive.index())
            targets.append(entry.local);
        QVERIFY(targets.size() > 100);
        QVERIFY(archive.contents().size() >= 9);
        for (const QString& target : targets) {
            QVERIFY2(archive.contains(target), qPrintable(target));
            const QString anchor = QUrl(target).fragment();
            if (!anchor.isEmpty()) {
                const QString html = kb::decodeHtml(*archive.read(target));
                QVERIFY2(html.contains(QStringLiteral("name=\"%1\"").arg(anchor)),
                         qPrintable(target));
            }
        }
    }

    void decodesPagesByTheirCharset_data() {
        QTest::addColumn<QByteArray>("page");
        const QByteArray sjis("\x83\x52\x83\x67\x83\x6f\x83\x8b"); // コトバル
        const QByteArray utf8 = QStringLiteral("コトバル").toUtf8();
        QTest::newRow("utf-8, no charset") << "<html><body>" + utf8 + "</body></html>";
        QTest::newRow("utf-8, meta charset")
            << "<html><head><meta charset=\"utf-8\"></head>" + utf8;
        QTest::newRow("utf-8 with BOM") << "\xef\xbb\xbf<p>" + utf8;
        QTest::newRow("shift_jis, http-equiv") << "<html><head><meta http-equiv=\"Content-Type\" "
                                                  "content=\"text/html; charset=Shift_JIS\">"
                                                  "</head><body>" +
                                                      sjis;
        QTest::newRow("shift_jis, meta charset") << "<meta charset=\"shift_jis\"><p>" + sjis;
    }
    void decodesPagesByTheirCharset() {
        QFETCH(QByteArray, page);
        QVERIFY(kb::decodeHtml(page).contains(QStringLiteral("コトバル")));
    }

    void normalizesPathsInsideTheArchive_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("bare name") << "index.html"
                                   << "/index.html";
        QTest::newRow("fragment and query") << "/images/a.svg?x=1#top"
                                            << "/images/a.svg";
        QTest::newRow("dot segments") << "/a/./b/../c.htm"
                                      << "/a/c.htm";
        QTest::newRow("climbs above the root") << "../../x.htm"
                                               << "/x.htm";
        QTest::newRow("backslashes") << "a\\b.htm"
                                     << "/a/b.htm";
        QTest::newRow("ms-its prefix") << "ms-its:KbHelp.chm::/play.html#signal"
                                       << "/play.html";
    }
    void normalizesPathsInsideTheArchive() {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(kb::normalizeChmPath(path), expected);
    }

    void readsNestedSitemaps() {
        const auto entries = kb::parseSitemap(QStringLiteral(
            "<OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"skip\"></OBJECT>"
            "<UL><LI><object type=\"text/sitemap\"><param name=\"Name\" value=\"A &amp; B\">"
            "<param name=\"Local\" value=\"a.html\"></object>"
            "<ul><li><OBJECT type='text/sitemap'><PARAM NAME=Name VALUE='子&#x3042;'>"
            "<param name=\"Local\" value=\"sub/b.html#part\"><param name=\"Local\" "
            "value=\"other.html\">"
            "</OBJECT></ul>"
            "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" "
            "value=\"Heading\"></OBJECT></UL>"));
        QCOMPARE(entries.size(), size_t(3));
        QCOMPARE(entries[0].name, QStringLiteral("A & B"));
        QCOMPARE(entries[0].local, QStringLiteral("/a.html"));
        QCOMPARE(entries[0].depth, 0);
        QCOMPARE(entries[1].name, QStringLiteral("子あ"));
        QCOMPARE(entries[1].local, QStringLiteral("/sub/b.html#part"));
        QCOMPARE(entries[1].depth, 1);
        QCOMPARE(entries[2].local, QString());
        QCOMPARE(entries[2].depth, 0);
    }

    // Without a usable default topic in #SYSTEM the first page leads.
    void findsTheDefaultTopic_data() {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("expected");
        QTest::newRow("named in the project") << "Default topic=b.html"
                                              << "/b.html";
        QTest::newRow("none named") << ""
                                    << "/a.html";
    }
    void findsTheDefaultTopic() {
        QFETCH(QString, options);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const auto write = [&](const QString& name, const QString& text) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toUtf8());
        };
        write(QStringLiteral("t.hhp"),
              QStringLiteral("[OPTIONS]\nCompiled file=t.chm\n%1\n\n[FILES]\nb.html\na.html\n")
                  .arg(options));
        write(QStringLiteral("a.html"), QStringLiteral("<html><body>A</body></html>"));
        write(QStringLiteral("b.html"), QStringLiteral("<html><body>B</body></html>"));
        QProcess chmcmd;
        chmcmd.setWorkingDirectory(dir.path());
        chmcmd.start(QStringLiteral(KB_CHMCMD), {QStringLiteral("t.hhp")});
        QVERIFY(chmcmd.waitForFinished());
        ChmArchive archive;
        QVERIFY(archive.open(dir.filePath(QStringLiteral("t.chm"))));
        QCOMPARE(archive.defaultTopic(), expected);
    }

    // The bare name is looked up in the working directory, like the data files.
    void displayTopicTwiceShowsOneWindow() {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(kHelpFile, dir.filePath(QStringLiteral("KbHelp.chm"))));
        QDir::setCurrent(dir.path());
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, QStringLiteral("KbHelp.chm"));
        QTextBrowser* browser = browserOf(viewer.window());
        QVERIFY(anchorPoint(browser, QStringLiteral("play.html")));
        browser->setSource(QUrl(QStringLiteral("kbhelp:/files.html")));
        viewer.displayTopic(&owner, QStringLiteral("KbHelp.chm"));
        QCOMPARE(helpWindows().size(), 1);
        QCOMPARE(helpWindows().first(), viewer.window());
        QCOMPARE(viewer.window()->parentWidget(), &owner);
        QCOMPARE(browser->source().path(), QStringLiteral("/index.html"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("コトバル へようこそ")));

        viewer.closeAll(&owner, QStringLiteral("KbHelp.chm"));
        QVERIFY(helpWindows().isEmpty());
    }

    void unreadableHelpFileIsSaidSoInTheWindow_data() {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "none"
                                 << "が見つかりません";
        QTest::newRow("not a help file") << "garbage"
                                         << "を開けませんでした";
        QTest::newRow("empty file") << "empty"
                                    << "を開けませんでした";
        QTest::newRow("a folder") << "folder"
                                  << "を開けませんでした";
    }
    void unreadableHelpFileIsSaidSoInTheWindow() {
        QFETCH(QString, setup);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("KbHelp.chm"));
        if (setup == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("KbHelp.chm")));
        } else if (setup != QLatin1String("none")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (setup == QLatin1String("garbage")) file.write(QByteArray(4096, 'x'));
        }
        QDir::setCurrent(dir.path());
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, QStringLiteral("KbHelp.chm"));
        QCOMPARE(helpWindows().size(), 1);
        const QString text = browserOf(viewer.window())->toPlainText();
        QVERIFY2(text.contains(QStringLiteral("「KbHelp.chm」") + message), qPrintable(text));

        // Once the file is in place, the next request shows it.
        QDir(dir.path()).rmdir(QStringLiteral("KbHelp.chm"));
        QFile::remove(path);
        QVERIFY(QFile::copy(kHelpFile, path));
        viewer.displayTopic(&owner, QStringLiteral("KbHelp.chm"));
        QVERIFY(browserOf(viewer.window())
                    ->toPlainText()
                    .contains(QStringLiteral("コトバル へようこそ")));
    }

    void clickedLinkInsideTheHelpIsFollowed() {
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, kHelpFile);
        QTextBrowser* browser = browserOf(viewer.window());
        const auto point = anchorPoint(browser, QStringLiteral("play.html"));
        QVERIFY(point);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, *point);
        QCOMPARE(browser->source().path(), QStringLiteral("/play.html"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("スタートと信号")));
        auto* contents = viewer.window()->findChild<QTreeWidget*>();
        QVERIFY(contents->currentItem());
        QCOMPARE(contents->currentItem()->text(0), QStringLiteral("遊び方"));
        QVERIFY(!browser->document()
                     ->resource(QTextDocument::StyleSheetResource,
                                QUrl(QStringLiteral("kbhelp:/kbhelp.css")))
                     .isNull());
        QVERIFY(browser->document()
                    ->resource(QTextDocument::ImageResource,
                               QUrl(QStringLiteral("kbhelp:/window/light_red.svg")))
                    .value<QImage>()
                    .width() > 0);
    }

    void clickedLinkLeavingTheHelpIsNotFollowed_data() {
        QTest::addColumn<QString>("href");
        QTest::newRow("web") << "https://example.org/";
        QTest::newRow("mail") << "mailto:someone@example.org";
        QTest::newRow("ftp") << "ftp://example.org/page.html";
    }
    void clickedLinkLeavingTheHelpIsNotFollowed() {
        QFETCH(QString, href);
        QWidget owner;
        kb::ChmHelpViewer viewer;
        viewer.displayTopic(&owner, kHelpFile);
        QTextBrowser* browser = browserOf(viewer.window());
        QTextCursor cursor(browser->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertHtml(QStringLiteral("<p><a href=\"%1\">外へのリンク</a></p>").arg(href));
        const QString before = browser->toPlainText();
        QSignalSpy clicked(browser, &QTextBrowser::anchorClicked);
        const auto point = anchorPoint(browser, href);
        QVERIFY(point);
        QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, *point);
        QCOMPARE(clicked.size(), 1);
        QCOMPARE(browser->source(), QUrl(QStringLiteral("kbhelp:/index.html")));
        QCOMPARE(browser->toPlainText(), before);
    }

private:
    QString savedDir_;
};

QTEST_MAIN(TestHelpViewer)
#include "test_help_viewer.moc"
