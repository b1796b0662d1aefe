#pragma once
// Colours an edit by its emptiness: white with text, a light title-bar tint when empty, so the
// fields still to fill stand out.
class QLineEdit;

namespace EmptyFieldPainter {
void colour(QLineEdit *edit);
}
