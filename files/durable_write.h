#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/types.h>

namespace kb {

class KnownEnds;

// Writes that leave the player's file whole whatever happens: old or new,
// never torn, and no debris beside it.

// Replaces the file's content with bytes.
//
// The player's file is honoured as they left it: one without write permission
// is not replaced, its mode, owner and group are kept, a link is followed, and
// a file that already holds these bytes is not touched. The new content goes to
// a temporary file beside the old one and is renamed into place once complete,
// so a failure or a kill leaves the old content whole. The temporary has no
// name until it is complete where the file system allows it; otherwise it is a
// hidden ".kotobaru-XXXXXX", locked while it exists, which the next start
// removes if a kill left it behind. Where no temporary can be made (a folder
// the player may not create files in) or it cannot be given the owner and
// group, or the file has more than one name, the file is written in place.
// Special files (a device, say) are written directly.
void replaceFile(const QString& name, const QByteArray& bytes);

// Appends bytes in one piece, so that they read back at the next start as what
// they are, after everything the file held before: a last line without its line
// end gets one first, a quoted item left open is closed, and an old end-of-file
// byte at the end is replaced. Nothing is appended to a file that is not code
// page 932 text. On failure the file is put back as it was. An exclusive lock
// keeps two instances from interleaving. ends, where given, spares reading the
// whole file to see how it ends, and learns how it ends now.
//
// Returns where the append began, for takeBackAppend.
struct AppendMark {
    QString name;
    bool made = false;    // false: nothing to take back (nothing appended, or to a device)
    bool created = false; // the append created the file
    off_t sizeBefore = 0; // once an old end-of-file byte was cut off
    off_t sizeAfter = 0;
    QByteArray replaced; // that byte and what followed it, to put back
    dev_t device = 0;
    ino_t inode = 0;
};
AppendMark appendToFile(const QString& name, const QByteArray& bytes, KnownEnds* ends);

// Puts the file back byte for byte as it was before the append, or removes it
// when the append created it. Where the file has changed since (another
// instance appended, say), it is left alone and false returned, as it is when
// it cannot be written.
bool takeBackAppend(const AppendMark& mark);

// Removes the temporaries a killed rewrite left in the folders of the named
// files; those another running instance is still writing are locked and stay.
void removeLeftoverTemporaries(const QStringList& names);

} // namespace kb
