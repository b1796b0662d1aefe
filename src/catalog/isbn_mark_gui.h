#pragma once
// The mark a read-only ISBN field carries when its value reads as an ISBN whose check digit
// disagrees with its other digits (common/isbn.h): "校验位错误" in red at the field's right
// end, inside it, and the same words as the field's accessible description and tool tip (with
// the check digit the other digits call for), so a screen reader says it after the value.
// A valid ISBN, an empty field and a value that is no ISBN at all (a wrong length, an old
// unified book number) carry no mark: the field holds those too, and a check digit can be
// judged only on an ISBN.
//
//   IsbnMark::attach(pane->fieldEdit("isbn"));   // follows every setText from then on
#include <QString>

class QLabel;
class QLineEdit;

namespace IsbnMark {

// The mark's text.
QString text();

// Puts the mark on edit (a child label, hidden while there is nothing to mark) and keeps it
// up to date with the edit's text. Returns the label.
QLabel *attach(QLineEdit *edit);

} // namespace IsbnMark
