#include "support/gui/MainFormFixture.h"

#include "widgets/BannerLabel.h"
#include "widgets/PordaneStyle.h"

#include <QApplication>
#include <QKeyEvent>
#include <QStackedWidget>
#include <QStyle>

#include <cstdlib>

namespace pordane::testsupport {

void MainFormFixture::SetUpTestSuite()
{
    if (QApplication::style()->objectName() != widgets::PordaneStyle::styleName())
        widgets::applyPordaneStyle();
}

QWidget* MainFormFixture::currentPage() const
{
    return form->PageControl1()->currentWidget();
}

void MainFormFixture::shot(const char* name) const
{
    if (const char* dir = std::getenv("PORDANE_GUI_SHOTS"))
        form->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromLatin1(name));
}

std::vector<std::string> MainFormFixture::checkListLines() const
{
    std::vector<std::string> out;
    const QListWidget* list = form->optionsPage().CheckListServidores;
    for (int i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->text().toStdString());
    return out;
}

std::vector<bool> MainFormFixture::checkListTicks() const
{
    std::vector<bool> out;
    const QListWidget* list = form->optionsPage().CheckListServidores;
    for (int i = 0; i < list->count(); ++i)
        out.push_back(list->item(i)->checkState() == Qt::Checked);
    return out;
}

void MainFormFixture::setTick(int line, bool ticked)
{
    QListWidget* list = form->optionsPage().CheckListServidores;
    ASSERT_LT(line, list->count());
    ASSERT_TRUE(list->item(line)->flags() & Qt::ItemIsUserCheckable);
    list->item(line)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void MainFormFixture::typePersonal(const QString& name, const QString& host, const QString& remoto, const QString& user,
                                   const QString& pass)
{
    const auto type = [this](const char* objectName, const QString& text) {
        auto* e = find<QLineEdit>(objectName);
        ASSERT_NE(e, nullptr);
        e->clear();
        typeText(e, text);
    };
    type("EditNombreConexion", name);
    type("EditHost", host);
    type("EditRemoto", remoto);
    type("EditUser", user);
    type("EditPass", pass);
}

void typeText(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(w, &press);
        QApplication::sendEvent(w, &release);
    }
}

QString textOf(const QWidget* w)
{
    if (auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (auto* banner = qobject_cast<const widgets::BannerLabel*>(w))
        return banner->text();
    return QStringLiteral("<no text: %1>").arg(QString::fromLatin1(w->metaObject()->className()));
}

void expectTexts(const QWidget& root, std::initializer_list<NamedText> expected)
{
    for (const NamedText& e : expected) {
        const QWidget* w = root.findChild<QWidget*>(QString::fromUtf8(e.name));
        if (!w) {
            ADD_FAILURE() << "no control named " << e.name;
            continue;
        }
        EXPECT_EQ(textOf(w).toStdString(), std::string(e.text)) << "control " << e.name;
    }
}

std::vector<std::pair<std::string, int>> columnsOf(const QTreeWidget& list)
{
    std::vector<std::pair<std::string, int>> out;
    const QTreeWidgetItem* header = list.headerItem();
    for (int i = 0; i < list.columnCount(); ++i)
        out.emplace_back(header->text(i).toStdString(), list.isColumnHidden(i) ? 0 : list.columnWidth(i));
    return out;
}

} // namespace pordane::testsupport
