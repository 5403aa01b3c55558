#include "NumberDisplay.h"

#include <QLineEdit>

namespace morvane {

void showNumber(QLineEdit* box, int value)
{
    box->setText(QString::number(value));
}

} // namespace morvane
