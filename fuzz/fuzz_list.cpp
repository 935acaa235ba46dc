// The list loader behind "かな.TXT" (100 entries) and "不要.TXT" (5000 entries).
//
// Both capacities read the same entries; the smaller one fails with an index
// error exactly when there are more than 100. An entry that the program appends
// to the exclusion list reads back as that entry at the next start, after the
// entries the file held, whatever state the file was left in by hand; a file
// that is not code page 932 is refused and nothing is appended to it.

#include "drill/drill_state.h"
#include "files/data_files.h"
#include "files/known_ends.h"
#include "fuzz_support.h"

#include <vector>

using namespace kb;
using namespace kb::fuzz;
using Kind = Error::Kind;

namespace {
// How the files ended, shared by reads and appends as the window shares its own.
KnownEnds ends;

// Loads with the capacity given; nothing on an error the file can cause.
std::optional<std::vector<QString>> load(const QString& name, int capacity,
                                         std::optional<Kind>& error) {
    try {
        const QStringList entries = loadList(name, capacity, &ends);
        check(entries.size() <= capacity, "more entries than the table holds");
        std::vector<QString> table{QString()}; // numbered from 1 below
        table.insert(table.end(), entries.begin(), entries.end());
        return table;
    } catch (const Error& e) {
        check(isOneOf(e.kind(), {Kind::EndOfFile, Kind::IndexOutOfRange, Kind::NotShiftJis}),
              "a list failed with an unexpected error");
        check(e.subject() == name, "the error does not name the file");
        checkLine(e, fileBytes(name));
        error = e.kind();
        return std::nullopt;
    }
}

// Whether a bare line of this text reads back as the text: nothing splits it,
// and no blank or quote at its ends is taken away.
bool readsBackBare(const QString& text) {
    for (QChar c : text)
        if (c == QLatin1Char(',') || c == QLatin1Char('\r') || c == QLatin1Char('\n')) return false;
    return !text.startsWith(QLatin1Char(' ')) && !text.startsWith(QLatin1Char('"')) &&
           !text.endsWith(QLatin1Char(' ')) && !text.endsWith(QLatin1Char('\t')) &&
           !text.endsWith(QChar(0x1A)); // would read as an end-of-file byte
}

bool writable(const QString& question) {
    return quotable(question) || readsBackBare(question); // else no line can carry it
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    enterScratchDir(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    writeInput(kKanaFile, data, size);
    std::optional<Kind> smallError, largeError;
    const auto small = load(kKanaFile, kKanaCapacity, smallError);
    const auto large = load(kKanaFile, kExclusionCapacity, largeError);
    checkNoFileLeftOpen();

    if (large) {
        const size_t count = large->size() - 1;
        if (count <= size_t(kKanaCapacity))
            check(small && *small == *large, "the capacities read different entries");
        else
            check(smallError == Kind::IndexOutOfRange,
                  "more than 100 entries loaded into the kana table");
    } else {
        // The smaller table may overflow before the reader meets the bad end.
        check(smallError == largeError || smallError == Kind::IndexOutOfRange,
              "the capacities fail differently");
    }

    // Nothing is added to a file that is not code page 932: an input fits in the
    // bytes an append looks at, so it sees what the reader saw.
    if (largeError == Kind::NotShiftJis) {
        writeInput(kExclusionFile, data, size);
        try {
            appendExclusion(QStringLiteral("あ"), &ends);
            fail("appended to a file that is not code page 932");
        } catch (const Error& e) {
            check(e.kind() == Kind::NotShiftJis && e.subject() == kExclusionFile,
                  "a refused append failed otherwise");
        }
        check(fileBytes(kExclusionFile) == QByteArrayView(data, size),
              "a refused append changed the file");
        checkOnlyFiles({kKanaFile, kExclusionFile});
        checkNoFileLeftOpen();
    }
    if (!large) return 0;

    // Each entry, excluded by the program, comes back at the next start. Only the
    // first few: the property is per entry, and the appends cost a file each.
    for (size_t i = 1; i < large->size() && i <= 4; ++i) {
        const QString entry = roundTripCp932((*large)[i]);
        if (!writable(entry)) continue;
        ::unlink(QFile::encodeName(kExclusionFile).constData());
        if (looksUtf8(entry)) {
            // Alone in a file it would read as UTF-8: refused, and no file is left.
            try {
                appendExclusion(entry, &ends);
                fail("wrote a file that reads as UTF-8");
            } catch (const Error& e) {
                check(e.kind() == Kind::CannotWrite, "a UTF-8-looking entry failed otherwise");
            }
            check(!QFile::exists(kExclusionFile), "a refused append left a file");
            continue;
        }
        appendExclusion(entry, &ends);
        std::optional<Kind> error;
        const auto back = load(kExclusionFile, kExclusionCapacity, error);
        check(back && back->size() == 2 && (*back)[1] == entry,
              "an excluded entry reads back differently");
    }

    // Appended to the input as it stands, a question reads back after its
    // entries. How the file ends (an open quote, say) is known from reading it
    // to its end, or found by the append itself in a file never read, or known
    // from the last append: all three must agree.
    QString question = QStringLiteral("か"); // unless an entry can be written
    for (size_t i = 1; i < large->size(); ++i)
        if (const QString entry = roundTripCp932((*large)[i]);
            writable(entry) && !looksUtf8(entry)) {
            question = entry;
            break;
        }
    constexpr int kRoom = kExclusionCapacity + 2; // the entries and two more
    std::vector<QString> expected = *large;
    expected.push_back(question);
    std::optional<Kind> error;
    writeInput(kExclusionFile, data, size);
    (void)load(kExclusionFile, kRoom, error); // read to its end
    appendExclusion(question, &ends);
    check(load(kExclusionFile, kRoom, error) == expected, "an appended entry reads back wrong");
    const QByteArray afterRead = fileBytes(kExclusionFile);

    writeFreshInput(kExclusionFile, data, size);
    appendExclusion(question, &ends);
    check(fileBytes(kExclusionFile) == afterRead,
          "an append differs when the file was not read first");
    appendExclusion(question, &ends);
    expected.push_back(question);
    check(load(kExclusionFile, kRoom, error) == expected,
          "a second appended entry reads back wrong");
    checkOnlyFiles({kKanaFile, kExclusionFile});
    checkNoFileLeftOpen();
    return 0;
}
