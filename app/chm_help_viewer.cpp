#include "chm_help_viewer.h"

#include "chm_archive.h"
#include "window_texts.h"

#include <algorithm>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kb {

namespace {

// Pages of the open archive are addressed as kbhelp:/path, so that every link
// resolves inside the archive and anything else is recognisably foreign.
const QString kScheme = QStringLiteral("kbhelp");

QUrl topicUrl(const QString& local) {
    const qsizetype hash = local.indexOf(QLatin1Char('#'));
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(normalizeChmPath(local));
    if (hash >= 0) url.setFragment(local.mid(hash + 1));
    return url;
}

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

class ChmBrowser final : public QTextBrowser {
public:
    ChmBrowser(const ChmArchive& archive, QWidget* parent)
        : QTextBrowser(parent), archive_(archive) {
        // Links are followed by the window, which keeps the browser inside the archive.
        setOpenLinks(false);
        setOpenExternalLinks(false);
        document()->setDocumentMargin(12);
    }

    QVariant loadResource(int type, const QUrl& name) override {
        const QUrl url = source().resolved(name);
        if (url.scheme() != kScheme) return {};
        const QString path = url.path();
        const auto data = archive_.read(path);
        if (!data) return {};
        // Pages come as UnknownResource when the browser is asked to show them.
        if (type == QTextDocument::HtmlResource || type == QTextDocument::UnknownResource)
            return decodeHtml(*data);
        if (type == QTextDocument::StyleSheetResource) return QString::fromUtf8(*data);
        if (type == QTextDocument::ImageResource &&
            path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive))
            return svgImage(*data);
        return *data;
    }

protected:
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override {
        const QUrl url = source().resolved(name);
        if (url.scheme() == kScheme) QTextBrowser::doSetSource(url, type);
    }

private:
    QVariant svgImage(const QByteArray& data) const {
        QSvgRenderer renderer(data);
        if (!renderer.isValid()) return {};
        const qreal ratio = devicePixelRatioF();
        QImage image(renderer.defaultSize() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        image.setDevicePixelRatio(ratio);
        return image;
    }

    const ChmArchive& archive_;
};

} // namespace

class ChmHelpWindow final : public QWidget {
public:
    explicit ChmHelpWindow(QWidget* owner);
    void showFile(const QString& path);

private:
    QToolBar* buildToolbar();
    QTabWidget* buildSidebar();
    void connectBrowsing();
    void connectSidebar();
    void openFile(const QString& path);
    void showProblem(const QString& heading, const QString& text);
    void fillContents(const std::vector<ChmSitemapEntry>& entries);
    void fillIndex(const std::vector<ChmSitemapEntry>& entries);
    void markCurrentTopic(const QUrl& url);
    void go(const QString& local);

    ChmArchive archive_;
    QString path_;
    QString home_;
    QTabWidget* sidebar_;
    QTreeWidget* contents_;
    QLineEdit* indexFilter_;
    QListWidget* index_;
    ChmBrowser* browser_;
    QAction* back_;
    QAction* forward_;
    QAction* homeAction_;
};

// A toolbar over the contents and index beside the page.
ChmHelpWindow::ChmHelpWindow(QWidget* owner) : QWidget(owner, Qt::Window) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(texts::kCaption + QStringLiteral(" ヘルプ"));
    resize(760, 560);

    QToolBar* toolbar = buildToolbar();
    sidebar_ = buildSidebar();
    browser_ = new ChmBrowser(archive_, this);
    auto* splitter = new QSplitter;
    splitter->addWidget(sidebar_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({190, 570});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(splitter);

    connectBrowsing();
    connectSidebar();
}

QToolBar* ChmHelpWindow::buildToolbar() {
    auto* toolbar = new QToolBar(this);
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_ = toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("戻る"));
    forward_ =
        toolbar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("進む"));
    homeAction_ = toolbar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon),
                                     QStringLiteral("はじめに"));
    back_->setShortcut(QKeySequence::Back);
    forward_->setShortcut(QKeySequence::Forward);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    return toolbar;
}

// The contents tree and the index with its filter, on two tabs.
QTabWidget* ChmHelpWindow::buildSidebar() {
    auto* sidebar = new QTabWidget;
    contents_ = new QTreeWidget;
    contents_->setHeaderHidden(true);
    sidebar->addTab(contents_, QStringLiteral("目次"));
    auto* indexPage = new QWidget;
    auto* indexLayout = new QVBoxLayout(indexPage);
    indexLayout->setContentsMargins(4, 4, 4, 4);
    indexFilter_ = new QLineEdit;
    indexFilter_->setPlaceholderText(QStringLiteral("キーワードを入力"));
    indexFilter_->setClearButtonEnabled(true);
    index_ = new QListWidget;
    indexLayout->addWidget(indexFilter_);
    indexLayout->addWidget(index_);
    sidebar->addTab(indexPage, QStringLiteral("索引"));
    return sidebar;
}

void ChmHelpWindow::connectBrowsing() {
    connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(homeAction_, &QAction::triggered, this, [this] { go(home_); });
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &ChmHelpWindow::markCurrentTopic);
    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& link) {
        // Links that leave the help file are not followed; the page stays.
        const QUrl target = browser_->source().resolved(link);
        if (target.scheme() == kScheme) browser_->setSource(target);
    });
}

void ChmHelpWindow::connectSidebar() {
    connect(contents_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item) go(item->data(0, Qt::UserRole).toString());
    });
    // The index follows clicks only: filtering moves its current item around.
    const auto openIndexItem = [this](QListWidgetItem* item) {
        go(item->data(Qt::UserRole).toString());
    };
    connect(index_, &QListWidget::itemClicked, this, openIndexItem);
    connect(index_, &QListWidget::itemActivated, this, openIndexItem);
    connect(indexFilter_, &QLineEdit::textChanged, this, [this](const QString& text) {
        for (int row = 0; row < index_->count(); ++row) {
            QListWidgetItem* item = index_->item(row);
            item->setHidden(!item->text().contains(text, Qt::CaseInsensitive));
        }
    });
}

void ChmHelpWindow::showFile(const QString& path) {
    if (path != path_ || !archive_.isOpen())
        openFile(path);
    else
        go(home_);
}

void ChmHelpWindow::openFile(const QString& path) {
    path_ = path;
    home_.clear();
    contents_->clear();
    index_->clear();
    const QString name = QFileInfo(path).fileName();
    const QString cannotOpen = QStringLiteral("ヘルプを開けません");
    if (!archive_.open(path)) {
        const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
        if (QFileInfo::exists(path))
            showProblem(
                cannotOpen,
                QStringLiteral("ヘルプファイル「%1」を開けませんでした。ファイルが壊れているか、"
                               "読み取りが許可されていません。")
                    .arg(escaped(name)));
        else
            showProblem(
                QStringLiteral("ヘルプが見つかりません"),
                QStringLiteral("ヘルプファイル「%1」が見つかりません。<br>「%1」を作業フォルダー"
                               "（%2）に置いてから、もう一度［ヘルプ］ボタンを押してください。")
                    .arg(escaped(name), escaped(folder)));
        return;
    }
    home_ = archive_.defaultTopic();
    if (home_.isEmpty()) {
        archive_.close();
        showProblem(cannotOpen,
                    QStringLiteral("ヘルプファイル「%1」には表示できるページがありません。")
                        .arg(escaped(name)));
        return;
    }
    fillContents(archive_.contents());
    fillIndex(archive_.index());
    sidebar_->setVisible(contents_->topLevelItemCount() > 0 || index_->count() > 0);
    sidebar_->setTabEnabled(1, index_->count() > 0);
    homeAction_->setEnabled(true);
    browser_->clearHistory();
    go(home_);
}

void ChmHelpWindow::showProblem(const QString& heading, const QString& text) {
    sidebar_->hide();
    homeAction_->setEnabled(false);
    browser_->clearHistory();
    browser_->setHtml(
        QStringLiteral("<div style=\"margin: 24px;\"><h2 style=\"color: #a02020;\">%1</h2>"
                       "<p style=\"font-size: 11pt;\">%2</p>"
                       "<p style=\"font-size: 11pt;\">ゲームはこのまま続けられます。</p></div>")
            .arg(heading, text));
}

void ChmHelpWindow::fillContents(const std::vector<ChmSitemapEntry>& entries) {
    const QSignalBlocker blocker(contents_);
    std::vector<QTreeWidgetItem*> parents;
    for (const ChmSitemapEntry& entry : entries) {
        parents.resize(std::min(parents.size(), size_t(entry.depth)));
        auto* item =
            parents.empty() ? new QTreeWidgetItem(contents_) : new QTreeWidgetItem(parents.back());
        item->setText(0, entry.name);
        item->setData(0, Qt::UserRole, entry.local);
        parents.push_back(item);
    }
}

void ChmHelpWindow::fillIndex(const std::vector<ChmSitemapEntry>& entries) {
    const QSignalBlocker blocker(index_);
    for (const ChmSitemapEntry& entry : entries) {
        auto* item =
            new QListWidgetItem(QString(entry.depth * 2, QLatin1Char(' ')) + entry.name, index_);
        item->setData(Qt::UserRole, entry.local);
    }
    indexFilter_->clear();
}

void ChmHelpWindow::go(const QString& local) {
    if (!local.isEmpty() && archive_.isOpen()) browser_->setSource(topicUrl(local));
}

// Keeps the contents tree on the page shown, however it was reached.
void ChmHelpWindow::markCurrentTopic(const QUrl& url) {
    const QSignalBlocker blocker(contents_);
    QTreeWidgetItem* pageMatch = nullptr;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QUrl itemUrl = topicUrl((*it)->data(0, Qt::UserRole).toString());
        if (itemUrl == url) {
            pageMatch = *it;
            break;
        }
        if (!pageMatch && itemUrl.path() == url.path()) pageMatch = *it;
    }
    if (!pageMatch) {
        contents_->clearSelection();
        return;
    }
    contents_->setCurrentItem(pageMatch);
    for (QTreeWidgetItem* item = pageMatch; item; item = item->parent())
        item->setExpanded(true);
}

ChmHelpViewer::ChmHelpViewer() = default;

ChmHelpViewer::~ChmHelpViewer() {
    delete window_.data();
}

void ChmHelpViewer::displayTopic(QWidget* owner, const QString& helpFile) {
    if (window_ && window_->parentWidget() != owner) delete window_.data();
    if (!window_) window_ = new ChmHelpWindow(owner);
    window_->showFile(QDir::current().absoluteFilePath(helpFile));
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void ChmHelpViewer::closeAll(QWidget*, const QString&) {
    if (window_) window_->close();
}

QWidget* ChmHelpViewer::window() const {
    return window_.data();
}

} // namespace kb
