// The item reader over arbitrary bytes. The first input byte picks, bit by bit,
// whether each item is read as a string or as an int16; the rest is the file.
//
// Besides not crashing, the reader must:
//  - refuse, before any item, exactly the files that are not code page 932,
//    naming the line where that shows;
//  - ignore an old editor's end-of-file byte at the end;
//  - end: every item consumes at least one byte;
//  - split the same way whatever kind is asked for, and read an int16 item as
//    the number its text spells;
//  - fail only with end-of-file (and overflow for numbers), only at the end,
//    and on the line of the item;
//  - read back what the record writer wrote from the items it returned.

#include "files/item_reader.h"
#include "files/record_writer.h"
#include "fuzz_support.h"

#include <optional>
#include <variant>
#include <vector>

using namespace kb;
using namespace kb::fuzz;
using Kind = Error::Kind;
using Fault = EncodingCheck::Fault;

namespace {

const QString kInput = QStringLiteral("items.txt");
const QString kMarked = QStringLiteral("marked.txt");
const QString kCopy = QStringLiteral("copy.txt");

// The bytes the reader goes by: a 0x1A at the end, and line ends after it, dropped.
QByteArray withoutEndMarker(QByteArray bytes) {
    qsizetype i = bytes.size();
    while (i > 0 && (bytes[i - 1] == '\r' || bytes[i - 1] == '\n'))
        --i;
    if (i > 0 && bytes[i - 1] == '\x1A') bytes.truncate(i - 1);
    return bytes;
}

// Every item as a string, and whether the last read met the end of the file.
struct Strings {
    std::vector<QString> texts;
    bool endedEarly = false;
};

Strings readStrings(const QString& name, QByteArrayView text) {
    Strings out;
    ItemReader file;
    file.open(name);
    while (!file.atEnd()) {
        check(out.texts.size() <= size_t(text.size()), "an item consumed no byte");
        try {
            out.texts.push_back(file.readString());
        } catch (const Error& e) {
            check(e.kind() == Kind::EndOfFile,
                  "readString failed with something else than end of file");
            check(file.atEnd(), "end of file reported before the end");
            check(e.line() == lineOf(text, text.size()), "end of file reported on another line");
            out.endedEarly = true;
        }
    }
    file.close();
    return out;
}

// The int16 a text stands for, or nothing when it overflows: an optional sign,
// digits, and a first decimal that rounds halves away from zero.
std::optional<int> numberOf(const QString& text) {
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    long long value = 0;
    bool any = false;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
        any = true;
        value = std::min(value * 10 + (text[i].unicode() - '0'), 10'000'000LL);
    }
    if (i + 1 < text.size() && text[i] == QLatin1Char('.') && text[i + 1] >= QLatin1Char('0') &&
        text[i + 1] <= QLatin1Char('9')) {
        any = true;
        value += text[i + 1] >= QLatin1Char('5') ? 1 : 0;
    }
    if (!any) return 0;
    if (negative) value = -value;
    if (value < -32768 || value > 32767) return std::nullopt;
    return static_cast<int>(value);
}

bool wantsNumber(std::uint8_t pattern, size_t index) {
    return (pattern >> (index % 8)) & 1;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    enterScratchDir(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::uint8_t pattern = data[0];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    writeInput(kInput, data + 1, size - 1);
    const QByteArray text = withoutEndMarker(bytes);
    const EncodingCheck encoding = checkCp932(text);
    {
        ItemReader file;
        try {
            file.open(kInput);
        } catch (const Error& e) {
            check(e.kind() == Kind::NotShiftJis && encoding.fault != Fault::None,
                  "a file in code page 932 was refused");
            check(e.subject() == kInput, "the encoding error does not name the file");
            check(e.line() == lineOf(text, encoding.offset),
                  "the encoding error names another line");
            check(file.atEnd(), "a refused file has items to read");
            checkNoFileLeftOpen();
            return 0;
        }
        check(encoding.fault == Fault::None, "a file not in code page 932 was read");
    }
    const auto [texts, endedEarly] = readStrings(kInput, text);

    // An end-of-file byte after the text, alone or before a line end, changes nothing.
    for (const char* marker : {"\x1A", "\x1A\r\n"}) {
        const QByteArray marked = text + marker;
        writeInput(kMarked, reinterpret_cast<const std::uint8_t*>(marked.constData()),
                   size_t(marked.size()));
        const Strings again = readStrings(kMarked, text);
        check(again.texts == texts && again.endedEarly == endedEarly,
              "an end-of-file byte changed the items");
    }

    // The same file with the kinds the pattern asks for.
    std::vector<RecordWriter::Item> items;
    {
        ItemReader file;
        file.open(kInput);
        for (size_t i = 0; i <= texts.size(); ++i) {
            const bool last = i == texts.size();
            if (last && !endedEarly) {
                check(file.atEnd(), "the kinds changed where the items end");
                break;
            }
            const qsizetype start = file.position();
            try {
                if (wantsNumber(pattern, i)) {
                    const std::int16_t n = file.readInt16();
                    check(!last, "a number was read where the strings had ended");
                    const std::optional<int> expected = numberOf(texts[i]);
                    check(expected && *expected == n, "a number differs from its text");
                    items.emplace_back(n);
                } else {
                    const QString s = file.readString();
                    check(!last && s == texts[i], "a string differs on a second reading");
                    items.emplace_back(s);
                }
            } catch (const Error& e) {
                if (e.kind() == Kind::Overflow) {
                    check(!last && !numberOf(texts[i]), "overflow for a number in range");
                    check(e.line() == lineOf(text, start), "overflow reported on another line");
                    continue;
                }
                check(e.kind() == Kind::EndOfFile && last,
                      "an unexpected error on a second reading");
                check(e.line() == lineOf(text, text.size()),
                      "end of file reported on another line");
            }
        }
        file.close();
    }

    // What the reader returned, written as one record, reads back the same.
    std::vector<RecordWriter::Item> kept;
    for (const RecordWriter::Item& item : items) {
        if (const auto* s = std::get_if<QString>(&item)) {
            if (quotable(*s)) kept.emplace_back(roundTripCp932(*s));
        } else {
            kept.push_back(item);
        }
    }
    if (!kept.empty()) {
        RecordWriter out;
        out.openRewrite(kCopy);
        out.writeRecord(kept);
        out.close();
        // The writer writes code page 932 only, but knows nothing of the reader's
        // guess: items that together also make valid UTF-8 are refused as such.
        const EncodingCheck written = checkCp932(fileBytes(kCopy));
        ItemReader in;
        if (written.fault != Fault::None) {
            check(written.fault == Fault::Utf8,
                  "the record writer wrote bytes outside code page 932");
            try {
                in.open(kCopy);
                fail("a written record taken for UTF-8 was read");
            } catch (const Error& e) {
                check(e.kind() == Kind::NotShiftJis, "a written record failed to open");
            }
            checkNoFileLeftOpen();
            return 0;
        }
        in.open(kCopy);
        for (const RecordWriter::Item& item : kept) {
            if (const auto* s = std::get_if<QString>(&item))
                check(in.readString() == *s, "a string changed through the record writer");
            else
                check(in.readInt16() == std::get<std::int16_t>(item),
                      "a number changed through the record writer");
        }
        check(in.atEnd(), "the record writer left more than one record");
        in.close();
    }
    checkNoFileLeftOpen();
    return 0;
}
