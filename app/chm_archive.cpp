#include "chm_archive.h"

#include <chm_lib.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

namespace kb {

namespace {

// Codes of the #SYSTEM entries this reader looks at.
constexpr int kSystemContentsFile = 0;
constexpr int kSystemIndexFile = 1;
constexpr int kSystemDefaultTopic = 2;

// A corrupt directory entry could claim any length; no help object comes near this.
constexpr LONGUINT64 kMaxObjectSize = 64 * 1024 * 1024;

int enumerateInto(chmFile*, chmUnitInfo* unit, void* context) {
    static_cast<QStringList*>(context)->append(QString::fromUtf8(unit->path));
    return CHM_ENUMERATOR_CONTINUE;
}

bool isPage(const QString& path) {
    return path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive);
}

// Texts inside help projects are UTF-8 when written by current compilers and
// the Japanese code page when written by older ones.
QString decodeText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    QStringDecoder sjis("Shift_JIS");
    return sjis.isValid() ? sjis.decode(bytes) : QString::fromLatin1(bytes);
}

QString decodeEntities(const QString& text) {
    static const QRegularExpression entity(QStringLiteral("&(#x[0-9a-fA-F]+|#[0-9]+|[a-zA-Z]+);"));
    static const QHash<QString, QString> named{
        {QStringLiteral("amp"), QStringLiteral("&")},
        {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},
        {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},
        {QStringLiteral("nbsp"), QStringLiteral(" ")},
    };
    QString out;
    qsizetype last = 0;
    for (auto it = entity.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        const QString body = m.captured(1);
        QString replacement = named.value(body, m.captured(0));
        if (body.startsWith(QLatin1Char('#'))) {
            const bool hex = body.startsWith(QLatin1String("#x"), Qt::CaseInsensitive);
            const uint code = body.mid(hex ? 2 : 1).toUInt(nullptr, hex ? 16 : 10);
            if (code > 0 && code <= 0x10FFFF && !QChar::isSurrogate(code))
                replacement = QStringView(QChar::fromUcs4(code)).toString();
        }
        out += QStringView(text).sliced(last, m.capturedStart() - last);
        out += replacement;
        last = m.capturedEnd();
    }
    out += QStringView(text).sliced(last);
    return out;
}

QString attribute(const QString& attributes, const QString& name) {
    static const QRegularExpression pair(
        QStringLiteral(R"re(([A-Za-z_:-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re"));
    for (auto it = pair.globalMatch(attributes); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(1).compare(name, Qt::CaseInsensitive) != 0) continue;
        for (int group = 2; group <= 4; ++group)
            if (m.capturedStart(group) >= 0) return decodeEntities(m.captured(group));
    }
    return {};
}

} // namespace

void ChmArchive::Closer::operator()(chmFile* file) const {
    chm_close(file);
}

ChmArchive::ChmArchive() = default;
ChmArchive::~ChmArchive() = default;

bool ChmArchive::open(const QString& path) {
    close();
    if (!QFileInfo(path).isFile()) return false;
    file_.reset(chm_open(QFile::encodeName(path).constData()));
    return file_ != nullptr;
}

void ChmArchive::close() {
    file_.reset();
}

QStringList ChmArchive::files() const {
    QStringList paths;
    if (file_)
        chm_enumerate(file_.get(), CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, enumerateInto,
                      &paths);
    return paths;
}

bool ChmArchive::contains(const QString& path) const {
    if (!file_) return false;
    const QByteArray name = normalizeChmPath(path).toUtf8();
    chmUnitInfo unit;
    return name.size() <= CHM_MAX_PATHLEN &&
           chm_resolve_object(file_.get(), name.constData(), &unit) == CHM_RESOLVE_SUCCESS;
}

std::optional<QByteArray> ChmArchive::read(const QString& path) const {
    return readObject(normalizeChmPath(path).toUtf8());
}

std::optional<QByteArray> ChmArchive::readObject(const QByteArray& name) const {
    if (!file_) return std::nullopt;
    chmUnitInfo unit{};
    if (name.size() > CHM_MAX_PATHLEN ||
        chm_resolve_object(file_.get(), name.constData(), &unit) != CHM_RESOLVE_SUCCESS ||
        unit.length > kMaxObjectSize)
        return std::nullopt;
    QByteArray data(qsizetype(unit.length), Qt::Uninitialized);
    const LONGINT64 got =
        chm_retrieve_object(file_.get(), &unit, reinterpret_cast<unsigned char*>(data.data()), 0,
                            LONGINT64(unit.length));
    if (got != LONGINT64(unit.length)) return std::nullopt;
    return data;
}

// #SYSTEM: a version word, then entries of a 16-bit code, a 16-bit length and
// that many bytes, all little-endian. String entries end with a NUL.
QString ChmArchive::systemEntry(int code) const {
    const auto data = readObject("/#SYSTEM");
    if (!data) return {};
    const auto* bytes = reinterpret_cast<const unsigned char*>(data->constData());
    const qsizetype size = data->size();
    qsizetype pos = 4;
    while (pos + 4 <= size) {
        const int entryCode = bytes[pos] | bytes[pos + 1] << 8;
        const qsizetype length = bytes[pos + 2] | bytes[pos + 3] << 8;
        pos += 4;
        if (pos + length > size) break;
        if (entryCode == code) {
            QByteArray value = data->mid(pos, length);
            const qsizetype nul = value.indexOf('\0');
            return decodeText(nul >= 0 ? value.left(nul) : value).trimmed();
        }
        pos += length;
    }
    return {};
}

QString ChmArchive::projectDefaultTopic() const {
    const QString project = firstFileEndingWith(QStringLiteral(".hhp"));
    const auto data = project.isEmpty() ? std::nullopt : read(project);
    if (!data) return {};
    static const QRegularExpression line(QStringLiteral(R"(^\s*Default topic\s*=\s*(.*?)\s*$)"),
                                         QRegularExpression::CaseInsensitiveOption |
                                             QRegularExpression::MultilineOption);
    return line.match(decodeText(*data)).captured(1);
}

QString ChmArchive::firstFileEndingWith(const QString& suffix) const {
    for (const QString& path : files())
        if (path.endsWith(suffix, Qt::CaseInsensitive)) return path;
    return {};
}

QString ChmArchive::defaultTopic() const {
    if (!file_) return {};
    for (const QString& named : {systemEntry(kSystemDefaultTopic), projectDefaultTopic()}) {
        // A default that names no page of the archive is no better than none.
        if (!named.isEmpty() && contains(named)) return normalizeChmPath(named);
    }
    for (const QString& path : files())
        if (isPage(path)) return path;
    return {};
}

std::vector<ChmSitemapEntry> ChmArchive::sitemap(int systemCode, const QString& suffix) const {
    QString name = systemEntry(systemCode);
    if (name.isEmpty() || !contains(name)) name = firstFileEndingWith(suffix);
    const auto data = name.isEmpty() ? std::nullopt : read(name);
    return data ? parseSitemap(decodeHtml(*data)) : std::vector<ChmSitemapEntry>{};
}

std::vector<ChmSitemapEntry> ChmArchive::contents() const {
    return sitemap(kSystemContentsFile, QStringLiteral(".hhc"));
}

std::vector<ChmSitemapEntry> ChmArchive::index() const {
    return sitemap(kSystemIndexFile, QStringLiteral(".hhk"));
}

QString normalizeChmPath(const QString& path) {
    QString p = path;
    const qsizetype inner = p.indexOf(QLatin1String("::"));
    if (inner >= 0) p = p.mid(inner + 2);
    const qsizetype cut = p.indexOf(QRegularExpression(QStringLiteral("[#?]")));
    if (cut >= 0) p.truncate(cut);
    p.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!p.startsWith(QLatin1Char('/'))) p.prepend(QLatin1Char('/'));
    p = QDir::cleanPath(p);
    // cleanPath keeps a ".." that climbs above the root.
    while (p.startsWith(QLatin1String("/..")))
        p = p.mid(3).isEmpty() ? QStringLiteral("/") : p.mid(3);
    return p;
}

QString decodeHtml(const QByteArray& data) {
    QStringDecoder decoder = QStringDecoder::decoderForHtml(data);
    if (!decoder.isValid()) decoder = QStringDecoder(QStringDecoder::Utf8);
    return decoder.decode(data);
}

std::vector<ChmSitemapEntry> parseSitemap(const QString& html) {
    static const QRegularExpression tag(QStringLiteral(R"(<\s*(/?)\s*(ul|object|param)\b([^>]*)>)"),
                                        QRegularExpression::CaseInsensitiveOption);
    std::vector<ChmSitemapEntry> entries;
    int depth = -1;
    bool inEntry = false;
    ChmSitemapEntry entry;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        const QString attributes = m.captured(3);
        if (name == QLatin1String("ul")) {
            depth += closing ? -1 : 1;
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inEntry = attribute(attributes, QStringLiteral("type"))
                              .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                entry = {QString(), QString(), qMax(depth, 0)};
            } else if (inEntry) {
                inEntry = false;
                if (!entry.name.isEmpty() || !entry.local.isEmpty()) entries.push_back(entry);
            }
        } else if (inEntry) {
            const QString key = attribute(attributes, QStringLiteral("name"));
            const QString value = attribute(attributes, QStringLiteral("value"));
            // An index entry may carry several names and pages; the first of each leads.
            if (key.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 &&
                entry.name.isEmpty()) {
                entry.name = value.trimmed();
            } else if (key.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0 &&
                       entry.local.isEmpty() && !value.isEmpty()) {
                const qsizetype hash = value.indexOf(QLatin1Char('#'));
                entry.local = normalizeChmPath(value) + (hash >= 0 ? value.mid(hash) : QString());
            }
        }
    }
    return entries;
}

} // namespace kb
