// The settings loader. What it accepts is any round length (below 1 the window
// asks for another before a round starts) and an auto-save value of 0..2; the
// file it rewrites reads back as the same values, leaves no temporary file
// behind, and replaces the old content whole. A save that would write the
// bytes the file already holds leaves the file alone.

#include "files/data_files.h"
#include "files/settings.h"
#include "fuzz_support.h"

using namespace kb;
using namespace kb::fuzz;
using Kind = Error::Kind;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    enterScratchDir(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    writeInput(kSettingsFile, data, size);
    Settings s;
    try {
        s = loadSettings();
    } catch (const Error& e) {
        check(isOneOf(e.kind(),
                      {Kind::EndOfFile, Kind::Overflow, Kind::InvalidValue, Kind::NotShiftJis}),
              "settings failed with an unexpected error");
        check(e.subject() == kSettingsFile, "the error does not name the file");
        checkLine(e, QByteArrayView(data, size));
        checkNoFileLeftOpen();
        return 0;
    }
    check(s.autoSave >= 0 && s.autoSave <= 2, "an auto-save value outside 0..2 was accepted");

    saveSettings(s);
    checkOnlyFiles({kSettingsFile});
    check(fileBytes(kSettingsFile) == QByteArray::number(s.timeLimitSeconds) + ',' +
                                          QByteArray::number(s.autoSave) + "\r\n",
          "the settings were saved in another form");
    const Settings again = loadSettings();
    check(again.timeLimitSeconds == s.timeLimitSeconds && again.autoSave == s.autoSave,
          "the rewritten settings read back differently");

    // Saved again unchanged: neither replaced (a new inode) nor written over (a new time).
    backdate(kSettingsFile);
    const struct stat before = statOf(kSettingsFile);
    saveSettings(s);
    const struct stat after = statOf(kSettingsFile);
    check(after.st_ino == before.st_ino && after.st_mtim.tv_sec == before.st_mtim.tv_sec &&
              after.st_mtim.tv_nsec == before.st_mtim.tv_nsec,
          "saving the same settings touched the file");
    checkOnlyFiles({kSettingsFile});
    checkNoFileLeftOpen();
    return 0;
}
