#pragma once

#include <memory>
#include <optional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

struct chmFile;

namespace kb {

// One entry of a contents (.hhc) or index (.hhk) sitemap.
struct ChmSitemapEntry {
    QString name;
    QString local; // "/page.html#anchor", empty for a heading without a page
    int depth = 0; // 0 for entries of the outermost list
};

// Read-only access to a compiled HTML help file through chmlib.
class ChmArchive {
public:
    ChmArchive();
    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    // False when the file is missing or is not a CHM chmlib can read.
    bool open(const QString& path);
    void close();
    bool isOpen() const { return file_ != nullptr; }

    // Paths of the archive's own files ("/index.html"), in directory order.
    QStringList files() const;
    bool contains(const QString& path) const;
    // The bytes of one object; nullopt when it is not in the archive.
    std::optional<QByteArray> read(const QString& path) const;

    // The page to show first: the default topic of #SYSTEM, else that of an
    // included project file, else the first page. Empty when there is none.
    QString defaultTopic() const;
    std::vector<ChmSitemapEntry> contents() const;
    std::vector<ChmSitemapEntry> index() const;

private:
    // name as stored, so that internal objects such as "/#SYSTEM" can be read
    std::optional<QByteArray> readObject(const QByteArray& name) const;
    QString systemEntry(int code) const;
    QString projectDefaultTopic() const;
    QString firstFileEndingWith(const QString& suffix) const;
    std::vector<ChmSitemapEntry> sitemap(int systemCode, const QString& suffix) const;

    struct Closer {
        void operator()(chmFile* file) const;
    };
    std::unique_ptr<chmFile, Closer> file_;
};

// A path inside the archive with a leading "/", "." and ".." resolved and any
// "#fragment" or "?query" removed; "ms-its:x.chm::/a.htm" becomes "/a.htm".
QString normalizeChmPath(const QString& path);

// Decodes a page by its byte-order mark or its meta charset; UTF-8 when it
// names none.
QString decodeHtml(const QByteArray& data);

// The <OBJECT type="text/sitemap"> entries of a .hhc or .hhk file, in order.
std::vector<ChmSitemapEntry> parseSitemap(const QString& html);

} // namespace kb
