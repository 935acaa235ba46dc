#include "known_ends.h"

namespace kb {

void KnownEnds::remember(const struct stat& st, bool openQuote) {
    std::erase_if(ends_,
                  [&](const End& e) { return e.device == st.st_dev && e.inode == st.st_ino; });
    ends_.push_back({st.st_dev, st.st_ino, st.st_size, st.st_mtim, openQuote});
}

std::optional<bool> KnownEnds::find(const struct stat& st) const {
    for (const End& e : ends_)
        if (e.device == st.st_dev && e.inode == st.st_ino && e.size == st.st_size &&
            e.modified.tv_sec == st.st_mtim.tv_sec && e.modified.tv_nsec == st.st_mtim.tv_nsec)
            return e.openQuote;
    return std::nullopt;
}

} // namespace kb
