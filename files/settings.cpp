#include "settings.h"

#include "data_files.h"
#include "sequential_file.h"

namespace kb {

Settings loadSettings() {
    SequentialFile file;
    file.openRead(kSettingsFile);
    Settings s;
    s.timeLimitSeconds = file.readInt16();
    s.autoSave = file.readInt16();
    file.close();
    if (s.timeLimitSeconds < 1)
        throw Error(Error::Kind::InvalidValue, kSettingsFile,
                    QStringLiteral("プレイ秒数は 1 以上の数で書いてください（例: 60,1）。"));
    if (s.autoSave < 0 || s.autoSave > 2)
        throw Error(
            Error::Kind::InvalidValue, kSettingsFile,
            QStringLiteral("自動保存の値は 0、1、2 のどれかで書いてください（例: 60,1）。"));
    return s;
}

void saveSettings(const Settings& settings) {
    SequentialFile file;
    file.openRewrite(kSettingsFile);
    file.writeRecord({settings.timeLimitSeconds, settings.autoSave});
    file.close();
}

} // namespace kb
