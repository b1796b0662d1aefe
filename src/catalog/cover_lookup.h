#pragma once
// Cover pictures of a title: small ones in ../bookimages/, large ones in ../bookimages/big/,
// both beside the program folder. Each folder holds a nocover.bmp that stands in when the
// title names no picture or the named file is not in that folder. The two folders are looked
// up independently, so a title may show its own small picture and the large fallback.
//
// Catalogues made on Windows name files without regard to case and often pad fmtp with
// blanks ("COVER01.JPG   " for cover01.jpg). When fmtp names no file exactly, the file whose
// name equals it without regard to case, with trailing blanks dropped on both sides, is used
// before the fallback. The folder's listing for that match is read once and kept until the
// folder changes, so stepping through a list does not scan the folder per row.
#include <QString>

namespace CoverLookup {

enum class Size { Small, Large };

// Absolute folder of the pictures of that size, ending with "/".
QString folder(Size size);
// The name of the file in the folder of that size that fmtp stands for (fmtp itself when it
// names a file exactly, else the match described above); empty when there is none.
QString fileName(const QString &fmtp, Size size);
// True when fileName() finds a file.
bool hasPicture(const QString &fmtp, Size size);
// Absolute path of the picture to show: the title's own file, else the folder's nocover.bmp.
QString picturePath(const QString &fmtp, Size size);
// Absolute path of the folder's fallback picture.
QString fallbackPath(Size size);

inline QString smallPicture(const QString &fmtp) { return picturePath(fmtp, Size::Small); }
inline QString largePicture(const QString &fmtp) { return picturePath(fmtp, Size::Large); }

} // namespace CoverLookup
