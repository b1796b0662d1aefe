#include "catalog/cover_lookup.h"

#include "common/program_paths.h"

#include <QFileInfo>

namespace CoverLookup {

QString folder(Size size)
{
    return ProgramPaths::resolve(size == Size::Small ? QStringLiteral("../bookimages/")
                                                     : QStringLiteral("../bookimages/big/"));
}

bool hasPicture(const QString &fmtp, Size size)
{
    // A folder of that name is not a picture.
    return !fmtp.isEmpty() && QFileInfo(folder(size) + fmtp).isFile();
}

QString picturePath(const QString &fmtp, Size size)
{
    return folder(size) + (hasPicture(fmtp, size) ? fmtp : QStringLiteral("nocover.bmp"));
}

} // namespace CoverLookup
