// Outlook-style navigation bar: groups of large icon buttons under clickable
// headers; one group is open at a time and a header click opens its group.
//
// Object names: the bar itself is named by its owner; group i is
// "<bar>Pages<i>" with header button "<bar>Pages<i>Header", and button j of
// group i is "<bar>Pages<i>Buttons<j>" (e.g. NavBar1Pages0Buttons1 for
// "Permisos"), matching the handler names NavBar1Pages1Buttons0Click etc.
#pragma once

#include <QIcon>
#include <QWidget>

#include <vector>

class QToolButton;
class QVBoxLayout;

namespace pordane::widgets {

class NavBar : public QWidget {
    Q_OBJECT
public:
    explicit NavBar(const QString& objectName, QWidget* parent = nullptr);

    // Adds a closed group and returns its index.
    int addGroup(const QString& caption);
    // Adds a large button (icon above caption) to a group and returns it.
    QToolButton* addButton(int group, const QString& caption, const QIcon& icon);

    void openGroup(int group);
    int openGroupIndex() const { return m_open; }
    int groupCount() const { return static_cast<int>(m_groups.size()); }

    QToolButton* groupHeader(int group) const;
    QToolButton* button(int group, int index) const;
    int buttonCount(int group) const;

signals:
    void groupOpened(int group);

private:
    struct Group {
        QToolButton* header = nullptr;
        QWidget* page = nullptr;
        std::vector<QToolButton*> buttons;
    };
    const Group& groupAt(int group) const;

    QVBoxLayout* m_layout;
    std::vector<Group> m_groups;
    int m_open = -1;
};

} // namespace pordane::widgets
