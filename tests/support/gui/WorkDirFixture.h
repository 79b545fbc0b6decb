// A window fixture whose working directory is a fresh temporary folder for the
// length of the test, where the runs write their local test files.
#pragma once

#include "support/gui/MainFormFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace pordane::testsupport {

class WorkDirFixture : public MainFormFixture {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(workDir.isValid());
        m_previous = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(workDir.path()));
        MainFormFixture::SetUp();
    }
    void TearDown() override
    {
        MainFormFixture::TearDown();
        QDir::setCurrent(m_previous);
    }

    bool exists(const char* name) const { return QFile::exists(workDir.filePath(QString::fromLatin1(name))); }
    qint64 sizeOf(const char* name) const { return QFileInfo(workDir.filePath(QString::fromLatin1(name))).size(); }

    QTemporaryDir workDir;

private:
    QString m_previous;
};

} // namespace pordane::testsupport
