// The list loader behind "かな.TXT" (100 entries) and "不要.TXT" (5000 entries).
//
// Both capacities read the same entries; the smaller one fails with an index
// error exactly when there are more than 100. An entry that the program appends
// to the exclusion list reads back as that entry at the next start.

#include "drill/drill_state.h"
#include "files/data_files.h"
#include "fuzz_support.h"

#include <vector>

using namespace kb;
using namespace kb::fuzz;
using Kind = Error::Kind;

namespace {

// Loads with the capacity given; nothing on an index error.
std::optional<std::vector<QString>> load(const QString& name, int capacity,
                                         std::optional<Kind>& error) {
    std::vector<QString> table(static_cast<size_t>(capacity) + 1);
    try {
        const int count = loadList(name, table, capacity);
        check(count >= 0 && count <= capacity, "a count outside the table");
        check(table[0].isEmpty(), "entry 0 was written");
        table.resize(static_cast<size_t>(count) + 1);
        return table;
    } catch (const Error& e) {
        check(isOneOf(e.kind(), {Kind::EndOfFile, Kind::IndexOutOfRange}),
              "a list failed with an unexpected error");
        check(e.subject() == name, "the error does not name the file");
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
           !text.endsWith(QLatin1Char(' ')) && !text.endsWith(QLatin1Char('\t'));
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

    // Each entry, excluded by the program, comes back at the next start. Only the
    // first few: the property is per entry, and the appends cost a file each.
    if (large) {
        for (size_t i = 1; i < large->size() && i <= 4; ++i) {
            const QString question = roundTripCp932((*large)[i]);
            if (!quotable(question) && !readsBackBare(question))
                continue; // no line can carry it: the format has no escape
            ::unlink(QFile::encodeName(kExclusionFile).constData());
            appendExclusion(question);
            std::optional<Kind> error;
            const auto back = load(kExclusionFile, kExclusionCapacity, error);
            check(back && back->size() == 2 && (*back)[1] == question,
                  "an excluded entry reads back differently");
        }
        checkNoFileLeftOpen();
    }
    return 0;
}
