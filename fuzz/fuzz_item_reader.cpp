// The item reader over arbitrary bytes. The first input byte picks, bit by bit,
// whether each item is read as a string or as an int16; the rest is the file.
//
// Besides not crashing, the reader must:
//  - end: every item consumes at least one byte;
//  - split the same way whatever kind is asked for, and read an int16 item as
//    the number its text spells;
//  - fail only with end-of-file (and overflow for numbers), and only at the end;
//  - read back what the record writer wrote from the items it returned.

#include "files/sequential_file.h"
#include "fuzz_support.h"

#include <optional>
#include <variant>
#include <vector>

using namespace kb;
using namespace kb::fuzz;
using Kind = Error::Kind;

namespace {

const QString kInput = QStringLiteral("items.txt");
const QString kCopy = QStringLiteral("copy.txt");

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
    writeInput(kInput, data + 1, size - 1);

    // Every item as a string.
    std::vector<QString> texts;
    bool endedEarly = false;
    {
        SequentialFile file;
        file.openRead(kInput);
        while (!file.atEnd()) {
            check(texts.size() <= size, "an item consumed no byte");
            try {
                texts.push_back(file.readString());
            } catch (const Error& e) {
                check(e.kind() == Kind::EndOfFile,
                      "readString failed with something else than end of file");
                check(file.atEnd(), "end of file reported before the end");
                endedEarly = true;
            }
        }
        file.close();
    }

    // The same file with the kinds the pattern asks for.
    std::vector<SequentialFile::Item> items;
    {
        SequentialFile file;
        file.openRead(kInput);
        for (size_t i = 0; i <= texts.size(); ++i) {
            const bool last = i == texts.size();
            if (last && !endedEarly) {
                check(file.atEnd(), "the kinds changed where the items end");
                break;
            }
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
                    continue;
                }
                check(e.kind() == Kind::EndOfFile && last,
                      "an unexpected error on a second reading");
            }
        }
        file.close();
    }

    // What the reader returned, written as one record, reads back the same.
    std::vector<SequentialFile::Item> kept;
    for (const SequentialFile::Item& item : items) {
        if (const auto* s = std::get_if<QString>(&item)) {
            if (quotable(*s)) kept.emplace_back(roundTripCp932(*s));
        } else {
            kept.push_back(item);
        }
    }
    if (!kept.empty()) {
        SequentialFile out;
        out.openRewrite(kCopy);
        out.writeRecord(kept);
        out.close();
        SequentialFile in;
        in.openRead(kCopy);
        for (const SequentialFile::Item& item : kept) {
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
