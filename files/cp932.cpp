#include "cp932.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iconv.h>

namespace kb {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        // Named after the file concerned by requireCp932, which every open calls first.
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw Error(Error::Kind::CannotRead, QStringLiteral("CP932"),
                        QStringLiteral("このシステムでは Shift_JIS（コードページ 932）の文字を"
                                       "変換できません。glibc の文字コード変換モジュール（gconv）"
                                       "が入っているか確かめてください。"));
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() const {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        return cd_;
    }

private:
    iconv_t cd_;
};

const Converter& decoder() {
    static const Converter c("UTF-16LE", "CP932");
    return c;
}

const Converter& encoder() {
    static const Converter c("CP932", "UTF-16LE");
    return c;
}

constexpr char16_t kUnknown = 0;
constexpr char16_t kUndecodable = 0xFFFF; // a noncharacter: no byte sequence decodes to it

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// One character of one or two bytes, as iconv decodes it. Each answer is kept:
// a call of iconv costs about a thousand instructions, which made reading a
// long history slow, and the game's files use few distinct characters.
char16_t decodeCharacter(const unsigned char* bytes, int length) {
    static std::array<char16_t, 0x10000> known{};
    char16_t& c = known[length == 1 ? bytes[0] : (bytes[0] << 8 | bytes[1])];
    if (c == kUnknown) {
        iconv_t cd = decoder().get();
        char* in = reinterpret_cast<char*>(const_cast<unsigned char*>(bytes));
        size_t inLeft = static_cast<size_t>(length);
        char16_t unit = 0;
        char* out = reinterpret_cast<char*>(&unit);
        size_t outLeft = sizeof unit;
        const bool ok = iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<size_t>(-1) &&
                        inLeft == 0 && outLeft == 0 && unit != kUnknown;
        c = ok ? unit : kUndecodable;
    }
    return c;
}

bool isAscii(const char* data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80) return false;
    return true;
}

// Decodes size bytes into o, at most one code unit per byte; returns the end of what it wrote.
char16_t* decodeInto(char16_t* o, const char* data, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* const end = p + size;
    while (p < end) {
        if (*p < 0x80) {
            *o++ = *p++;
            continue;
        }
        const int length = isLeadByte(*p) ? 2 : 1;
        const char16_t c = end - p >= length ? decodeCharacter(p, length) : kUndecodable;
        if (c != kUndecodable) {
            *o++ = c;
            p += length;
        } else {
            // A broken character: one byte is replaced, and decoding goes on after it.
            *o++ = u'\uFFFD';
            ++p;
        }
    }
    return o;
}

// Offset of the first sequence of three or more bytes when all of bytes is
// valid UTF-8 (no overlong forms, surrogates or values past U+10FFFF); -1 otherwise.
qsizetype utf8TextAt(QByteArrayView bytes, bool* valid = nullptr) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype first = -1;
    if (valid) *valid = false;
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // bounds of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0) low = 0xA0;
            if (b == 0xED) high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0) low = 0x90;
            if (b == 0xF4) high = 0x8F;
        } else {
            return -1;
        }
        if (n - i < length || p[i + 1] < low || p[i + 1] > high) return -1;
        for (int k = 2; k < length; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF) return -1;
        if (length >= 3 && first < 0) first = i;
        i += length;
    }
    if (valid) *valid = true;
    return first;
}

qsizetype firstUndecodable(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        if (p[i] < 0x80) {
            // Runs of ASCII, most of a history file, eight bytes at a time; the
            // word that ends a run tells where.
            std::uint64_t word = 0;
            while (i + 8 <= n) {
                std::memcpy(&word, p + i, 8);
                const std::uint64_t high = word & 0x8080808080808080u;
                if (high == 0) {
                    i += 8;
                } else if constexpr (std::endian::native == std::endian::little) {
                    i += std::countr_zero(high) / 8;
                    break;
                } else {
                    break;
                }
            }
            while (i < n && p[i] < 0x80)
                ++i;
            continue;
        }
        const int length = isLeadByte(p[i]) ? 2 : 1;
        if (n - i < length || decodeCharacter(p + i, length) == kUndecodable) return i;
        i += length;
    }
    return -1;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes) {
    bool valid = false;
    utf8TextAt(bytes, &valid);
    return valid;
}

EncodingCheck checkCp932(QByteArrayView bytes) {
    using Fault = EncodingCheck::Fault;
    if (bytes.startsWith("\xEF\xBB\xBF")) return {Fault::ByteOrderMark, 0};
    if (const qsizetype at = utf8TextAt(bytes); at >= 0) return {Fault::Utf8, at};
    const qsizetype at = firstUndecodable(bytes);
    if (at < 0) return {};
    // A file of both encodings, as appending to a UTF-8 file makes it: the line
    // that code page 932 cannot read tells which.
    const qsizetype start =
        std::max(bytes.first(at).lastIndexOf('\n'), bytes.first(at).lastIndexOf('\r')) + 1;
    qsizetype end = at;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
        ++end;
    if (utf8TextAt(bytes.sliced(start, end - start)) >= 0) return {Fault::Utf8, at};
    return {Fault::Undecodable, at};
}

QString decodeCp932(const char* data, qsizetype size) {
    if (isAscii(data, size)) return QString::fromLatin1(data, size);
    QString out(size, Qt::Uninitialized); // never more code units than bytes
    char16_t* begin = reinterpret_cast<char16_t*>(out.data());
    out.resize(decodeInto(begin, data, size) - begin);
    return out;
}

void decodeCp932(QByteArrayView bytes, QString& out) {
    out.resize(bytes.size());
    char16_t* begin = reinterpret_cast<char16_t*>(out.data());
    out.resize(decodeInto(begin, bytes.data(), bytes.size()) - begin);
}

QByteArray encodeCp932(QStringView text) {
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return text.toLatin1();
    QByteArray out;
    out.reserve(text.size() * 2);
    iconv_t cd = encoder().get();
    char buf[8];
    // One character at a time, so an unmappable one becomes exactly one "?".
    for (qsizetype i = 0; i < text.size();) {
        qsizetype units =
            (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2
                                                                                               : 1;
        char* in = reinterpret_cast<char*>(const_cast<QChar*>(text.data() + i));
        size_t inLeft = static_cast<size_t>(units) * 2;
        char* outp = buf;
        size_t outLeft = sizeof buf;
        if (iconv(cd, &in, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            out += '?';
        } else {
            out.append(buf, outp - buf);
        }
        i += units;
    }
    return out;
}

void requireCp932(const QString& file, Error::Kind kind) {
    try {
        (void)decoder();
        (void)encoder();
    } catch (const Error& e) {
        throw Error(kind, file, e.detail());
    }
}

QString roundTripCp932(QStringView text) {
    const QByteArray bytes = encodeCp932(text);
    return decodeCp932(bytes);
}

} // namespace kb
