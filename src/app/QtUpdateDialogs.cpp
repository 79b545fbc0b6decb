#include "app/QtUpdateDialogs.h"

#include "widgets/PordaneStyle.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>
#include <QVBoxLayout>

#include <cstdio>

namespace pordane::app {

namespace {

constexpr int TextDialogSize = 400;

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// A read-only, word-wrapped text. A QTextEdit loads no resources of its own,
// so an HTML page cannot make it read local files or the network.
QTextEdit* textView(QDialog& d, const QString& text, bool html)
{
    auto* view = new QTextEdit(&d);
    view->setObjectName(QStringLiteral("Texto"));
    view->setReadOnly(true);
    view->setLineWrapMode(QTextEdit::WidgetWidth);
    if (html)
        view->setHtml(text);
    else
        view->setPlainText(text);
    return view;
}

void centre(QDialog& d)
{
    d.resize(TextDialogSize, TextDialogSize);
    widgets::centreOnScreen(d);
}

QPushButton* button(QDialog& d, const std::string& text, const char* name)
{
    auto* b = new QPushButton(q(text), &d);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

} // namespace

void QtUpdateDialogs::showMessage(const std::string& text)
{
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(), q(text), QMessageBox::Ok);
    box.exec();
}

bool QtUpdateDialogs::askYesNo(const std::string& text)
{
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(), q(text),
                    QMessageBox::Yes | QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

void QtUpdateDialogs::showHtmlPage(const std::string& address, const std::string& html)
{
    QDialog d;
    d.setObjectName(QStringLiteral("PaginaHtml"));
    d.setWindowTitle(q(address));
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(textView(d, q(html), true));
    auto* ok = button(d, "Ok", "BotonOk");
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    centre(d);
    d.exec();
}

bool QtUpdateDialogs::showWhatsNew(const views::WhatsNewDialog& dialog)
{
    QDialog d;
    d.setObjectName(QStringLiteral("Novedades"));
    d.setWindowTitle(q(dialog.page.caption));
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(textView(d, q(dialog.page.text), false));
    auto* buttons = new QHBoxLayout;
    auto* ok = button(d, dialog.okButton, "BotonOk");
    auto* cancel = button(d, dialog.cancelButton, "BotonCancelar");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &d, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    centre(d);
    return d.exec() == QDialog::Accepted;
}

bool QtUpdateDialogs::showLicence(const views::LicenceDialog& dialog)
{
    QDialog d;
    d.setObjectName(QStringLiteral("Licencia"));
    d.setWindowTitle(q(dialog.page.caption));
    auto* layout = new QVBoxLayout(&d);
    layout->addWidget(textView(d, q(dialog.page.text), false));
    auto* accept = new QRadioButton(q(dialog.accept), &d);
    accept->setObjectName(QStringLiteral("Acepto"));
    auto* notAccept = new QRadioButton(q(dialog.notAccept), &d);
    notAccept->setObjectName(QStringLiteral("NoAcepto"));
    notAccept->setChecked(true);
    layout->addWidget(accept);
    layout->addWidget(notAccept);
    auto* ok = button(d, dialog.okButton, "BotonOk");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &d, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    centre(d);
    d.exec();
    return accept->isChecked();
}

} // namespace pordane::app
