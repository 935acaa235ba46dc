#pragma once

#include <optional>
#include <sys/stat.h>
#include <vector>

namespace kb {

// How each file ended when it was last read to its end or appended to:
// whether inside an open quote. Knowing it spares an append reading the whole
// history again; a file changed since (by size or time) counts as unknown.
// The window owns one for the player's files and hands it to each read and
// append; without one, an append reads the file's end to see how it ends.
class KnownEnds {
public:
    void remember(const struct stat& st, bool openQuote);
    std::optional<bool> find(const struct stat& st) const;

private:
    struct End {
        dev_t device;
        ino_t inode;
        off_t size;
        timespec modified;
        bool openQuote;
    };
    std::vector<End> ends_;
};

} // namespace kb
