#include "cp932.h"

#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <stdexcept>

namespace kb {
namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("iconv cannot convert code page 932");
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

bool isAscii(const char* data, qsizetype size) {
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80) return false;
    return true;
}

} // namespace

QString decodeCp932(const char* data, qsizetype size) {
    if (isAscii(data, size)) return QString::fromLatin1(data, size);
    QString out(size, Qt::Uninitialized); // never more code units than bytes
    iconv_t cd = decoder().get();
    char* in = const_cast<char*>(data);
    size_t inLeft = static_cast<size_t>(size);
    char* outp = reinterpret_cast<char*>(out.data());
    size_t outLeft = static_cast<size_t>(size) * 2;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outp, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) break; // cannot happen: one byte never gives more than one unit
        // EILSEQ or EINVAL (a lead byte at the end): replace one byte and go on.
        const char16_t replacement = u'\uFFFD';
        std::memcpy(outp, &replacement, 2);
        outp += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(static_cast<qsizetype>((outp - reinterpret_cast<char*>(out.data())) / 2));
    return out;
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

QString roundTripCp932(QStringView text) {
    const QByteArray bytes = encodeCp932(text);
    return decodeCp932(bytes);
}

} // namespace kb
