#include "app/MainForm.h"

namespace pordane::app {

TMainForm::TMainForm(QWidget* parent) : QWidget(parent)
{
    setObjectName("MainForm");
    setWindowTitle(QStringLiteral("Pordane 4.5"));
    setFixedSize(653, 391);
}

} // namespace pordane::app
