#pragma once
// Start-up step for an installed program: moves the program into the user's working tree
// (UserTree::prepare) and tells the user where it is the first time it is made.
class Prompter;

namespace UserTreeGui {

// Returns false after showing the reason when the working tree could not be made; the
// program then ends.
bool prepare(Prompter &prompter);

} // namespace UserTreeGui
