#pragma once
// Names that assistive tools read for drop-down lists.
//
// Qt 6.4 on Linux reports a combo box's current entry as its accessible name and ignores the
// accessibleName it was given, so a screen reader announced the browse-mode list as
// "按专业分类浏览书目" rather than "浏览方式". The interface installed here reads out the
// box's accessibleName as its name (the current entry when it has none) and the current entry
// as its value and as its text (the Linux accessibility bus carries no value text: screen
// readers read a closed list's entry from its Text interface), and otherwise behaves as Qt's:
// the pop-up list as its child, and the actions that open and close it.
namespace AccessibleNames {
// Installs the interface; call once after the application object exists (later calls do
// nothing). Interfaces made before the call stay as they were.
void install();
}
