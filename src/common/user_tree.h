#pragma once
// Each user's working tree. An installed program tree (not writable for the user, or carrying
// the marker bin/per-user-tree that the install rules put there) is only read: on start the
// program copies it into the user's data folder ($XDG_DATA_HOME/zhengding, usually
// ~/.local/share/zhengding) and works there — configuration, database, pages it writes,
// covers. A writable tree without the marker (the one scripts/run.sh builds) is used as it is.
#include <QString>

namespace UserTree {

// The marker file in the program folder of an installed tree.
inline constexpr char MarkerName[] = "per-user-tree";

// The user's working tree: <generic data folder>/zhengding, with a trailing "/".
QString defaultRoot();

// Whether the tree around programFolder is an installed one: the program folder carries the
// marker, or its permission bits do not let this user write into it (root included).
bool isInstalled(const QString &programFolder);

struct Result {
    bool used = false;      // the program now works in the user's tree
    bool created = false;   // the user's tree did not exist before this start
    QString root;           // the user's tree, with a trailing "/"
    QString error;          // why it could not be made (then used is false)
};

// For an installed tree around the current program folder: copies every file the user's tree
// (userRoot) lacks from the installed tree (the program folder and the folders beside it) — never replacing one the user has, leaving out the
// executables and the marker — and points ProgramPaths at the user's bin/. Returns used ==
// false and touches nothing for a tree that is not installed.
Result prepare(const QString &userRoot = defaultRoot());

} // namespace UserTree
