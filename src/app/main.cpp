// Program entry: seeds the random generator, styles the application, creates
// the main window and runs the message loop. The command line is not read.
#include "app/MainForm.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pordane"));
    pordane::app::TMainForm form;
    form.show();
    return QApplication::exec();
}
