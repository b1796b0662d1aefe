#pragma once
// Cover pictures of a title: small ones in ../bookimages/, large ones in ../bookimages/big/,
// both beside the program folder. Each folder holds a nocover.bmp that stands in when the
// title names no picture or the named file is not in that folder. The two folders are looked
// up independently, so a title may show its own small picture and the large fallback.
#include <QString>

namespace CoverLookup {

enum class Size { Small, Large };

// Absolute folder of the pictures of that size, ending with "/".
QString folder(Size size);
// True when fmtp is not empty and names a file in the folder of that size.
bool hasPicture(const QString &fmtp, Size size);
// Absolute path of the picture to show: the title's own file, else the folder's nocover.bmp.
QString picturePath(const QString &fmtp, Size size);

inline QString smallPicture(const QString &fmtp) { return picturePath(fmtp, Size::Small); }
inline QString largePicture(const QString &fmtp) { return picturePath(fmtp, Size::Large); }

} // namespace CoverLookup
