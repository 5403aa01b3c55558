// How the editors show a number: plain decimal text in an edit box. It lives
// with the windows, not with the voice records, which know nothing of Qt.
#pragma once

class QLineEdit;

namespace morvane {

void showNumber(QLineEdit* box, int value);

} // namespace morvane
