#include "settings.h"

#include "data_files.h"
#include "item_reader.h"
#include "record_writer.h"

namespace kb {

Settings loadSettings() {
    ItemReader file;
    file.open(kSettingsFile);
    Settings s;
    int autoSaveLine = 0;
    try {
        s.timeLimitSeconds = file.readInt16();
        autoSaveLine = file.line();
        s.autoSave = file.readInt16();
    } catch (Error& e) {
        if (e.kind() == Error::Kind::EndOfFile)
            e.at(1).advise(QStringLiteral("プレイ秒数と自動保存の 2 つの値を、"
                                          "「60,1」のようにコンマで区切って書いてください。"));
        if (e.kind() == Error::Kind::Overflow)
            e.advise(QStringLiteral("「60,1」のように、プレイ秒数と自動保存（0、1、2）を"
                                    "書いてください。"));
        throw;
    }
    file.close();
    // A round length below 1 is kept: the window shows it, and スタート asks
    // for a length from the list instead of starting a round.
    if (s.autoSave < 0 || s.autoSave > 2)
        throw Error(Error::Kind::InvalidValue, kSettingsFile,
                    QStringLiteral("自動保存の値は 0、1、2 のどれかで書いてください（例: 60,1）。"))
            .at(autoSaveLine);
    return s;
}

void saveSettings(const Settings& settings) {
    RecordWriter file;
    file.openRewrite(kSettingsFile);
    file.writeRecord({settings.timeLimitSeconds, settings.autoSave});
    file.close();
}

} // namespace kb
