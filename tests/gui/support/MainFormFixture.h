// Fixture for window tests: a fresh TMainForm with a recording Dialogs, and
// helpers that find controls by their designer names.
#pragma once

#include "app/MainForm.h"
#include "support/RecordingDialogs.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QString>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace pordane::testing {

class MainFormFixture : public ::testing::Test {
protected:
    // Window tests run with the program's own style, as the program does.
    static void SetUpTestSuite();
    void SetUp() override { form = std::make_unique<app::TMainForm>(dialogs); }
    void TearDown() override { form.reset(); }

    template <typename T = QWidget>
    T* find(const char* name) const
    {
        T* w = form->findChild<T*>(QString::fromUtf8(name));
        if (!w)
            ADD_FAILURE() << "no control named " << name;
        return w;
    }

    // Clicks a control by name with a real mouse click.
    void click(const char* name)
    {
        auto* b = find<QAbstractButton>(name);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(b->isEnabled()) << name;
        // Radio and check buttons react only over their indicator and text.
        const bool indicator = b->inherits("QRadioButton") || b->inherits("QCheckBox");
        QTest::mouseClick(b, Qt::LeftButton, {}, indicator ? QPoint(6, b->height() / 2) : QPoint());
    }

    // Navigation bar button j of group i ("NavBar1Pages<i>Buttons<j>"),
    // clicked after opening its group as a user would.
    void clickNav(int group, int index)
    {
        const std::string header = "NavBar1Pages" + std::to_string(group) + "Header";
        click(header.c_str());
        const std::string name = "NavBar1Pages" + std::to_string(group) + "Buttons" + std::to_string(index);
        click(name.c_str());
    }

    QWidget* currentPage() const;
    // Saves a picture of the window when PORDANE_GUI_SHOTS names a folder
    // (how docs/screenshots is made).
    void shot(const char* name) const;
    std::vector<std::string> checkListLines() const;
    std::vector<bool> checkListTicks() const;
    void setTick(int line, bool ticked);
    void typePersonal(const QString& name, const QString& host, const QString& remoto, const QString& user,
                      const QString& pass);

    RecordingDialogs dialogs;
    std::unique_ptr<app::TMainForm> form;
};

// The visible text of a label, button, group box, edit box or banner.
QString textOf(const QWidget* w);

// Types text into a control key by key, non-ASCII characters included.
void typeText(QWidget* w, const QString& text);

// Expects each named control to exist and show exactly the given text.
struct NamedText {
    const char* name;
    const char* text;
};
void expectTexts(const QWidget& root, std::initializer_list<NamedText> expected);

// Header captions of a report list, hidden columns included, and their widths
// (0 for a hidden column).
std::vector<std::pair<std::string, int>> columnsOf(const QTreeWidget& list);

} // namespace pordane::testing
