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

// Our texts are plain (a server's error may hold "<"), and they break lines
// with CR, CR LF or LF as the system's own boxes do; Qt draws only LF.
void setPlainText(QMessageBox& box, const std::string& text)
{
    box.setTextFormat(Qt::PlainText);
    box.setText(textWithBreaks(text));
}
} // namespace

QString textWithBreaks(const std::string& text)
{
    QString out = QString::fromStdString(text);
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

void QtDialogs::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, title(), QString(), QMessageBox::Ok, QApplication::activeWindow());
    setPlainText(box, text);
    box.exec();
}

bool QtDialogs::askYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Question, title(), QString(), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    setPlainText(box, text);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

} // namespace pordane::app
