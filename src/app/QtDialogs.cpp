// Message boxes over the active window (or centred on the screen before the
// main window is shown, as at start-up).
#include "app/QtDialogs.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace pordane::app {

namespace {
QString title()
{
    return QCoreApplication::applicationName();
}
} // namespace

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, title(), QString::fromStdString(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

bool QtDialogs::askYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, title(), QString::fromStdString(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

void UnattendedDialogs::showMessage(const std::string& text)
{
    std::fprintf(stderr, "pordane: %s\n", text.c_str());
}

bool UnattendedDialogs::askYesNo(const std::string& text)
{
    std::fprintf(stderr, "pordane: %s [no]\n", text.c_str());
    return false;
}

} // namespace pordane::app
