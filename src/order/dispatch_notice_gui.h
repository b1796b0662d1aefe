#pragma once
// How both ordering windows tell the clerk the end of a hand-over to the mail program: a
// failure as an error whose launcher's words open under "详细信息"; a hand-over to a mail
// program that may drop the attachment as a question whether to open the folder of the order
// file (Yes opens it in the file manager); any other hand-over as information when the window
// confirms hand-overs (the order query), else not at all (the wizard goes on to the next order).
#include <functional>

class Prompter;
class QString;
struct DispatchOutcome;

// Opens a folder for the user; tests give one that records it.
using FolderOpener = std::function<void(const QString &folder)>;

namespace DispatchNotice {

void tell(Prompter &prompter, const DispatchOutcome &outcome, bool confirmHandOver,
          const FolderOpener &openFolder = {});

// The product's opener: the desktop's file manager on the folder.
void openInFileManager(const QString &folder);

} // namespace DispatchNotice
