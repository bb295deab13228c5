#include "desktop/ui/FormDir.h"

#include "common/FileAttributes.h"
#include "desktop/HiddenItems.h"
#include "tests/ServicesUnderTest.h"
#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace desktop {

namespace {

    class FormDirTest : public ::testing::Test {
    protected:
        void SetUp() override
        {
            m_data = m_root.path() + QStringLiteral("/Velmora/");
            QDir().mkpath(m_data);
            m_services.values.DataFolder = m_data;
            velmora::test::clearSimulatedDesktopEffects();
        }

        void TearDown() override { delete m_window.data(); }

        FormDir &open()
        {
            delete m_window.data();
            m_window = new FormDir(m_services.services, m_services.values);
            FormDir::Prompts prompts;
            prompts.chooseFolder = [this](QWidget *, const QString &prompt) {
                m_prompts.append(prompt);
                return m_answer;
            };
            prompts.chooseFile = [this](QWidget *, const QString &title) {
                m_prompts.append(title);
                return m_answer;
            };
            prompts.inform = [this](QWidget *, const QString &text) {
                m_messages.append(text);
            };
            m_window->setPrompts(prompts);
            return *m_window;
        }

        QString item(const char *name, bool folder)
        {
            const QString path = m_root.filePath(QString::fromUtf8(name));
            if (folder) {
                EXPECT_TRUE(QDir().mkpath(path));
            } else {
                QFile file(path);
                EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            }
            return path;
        }

        QTemporaryDir m_root;
        QString m_data;
        velmora::test::ServicesUnderTest m_services;
        QPointer<FormDir> m_window;
        QString m_answer;
        QStringList m_prompts;
        QStringList m_messages;
    };

}

TEST_F(FormDirTest, HidesRestoresAndListsAgainNextTime)
{
    const QString folder = item("秘密", true);
    const QString file = item("note.txt", false);
    ASSERT_TRUE(common::setFileAttributes(file, common::AttrReadOnly));
    FormDir &w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("文件夹加密"));
    EXPECT_TRUE(w.toolTip().contains(QStringLiteral("并没有加密")));
    EXPECT_TRUE(w.isModal());
    const std::pair<const char *, const char *> buttons[] = {
        { "Command1", "加密文件夹(&D)" },
        { "Command2", "解密文件夹(&U)" },
        { "Command3", "开启文件(&R)" },
        { "Command4", "加密文件(&F)  " },
    };
    for (const auto &[name, caption] : buttons) {
        auto *button = w.findChild<QPushButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), QString::fromUtf8(caption));
    }
    EXPECT_TRUE(w.listed().isEmpty());

    m_answer = folder;
    w.Command1_Click();
    m_answer = file;
    w.Command4_Click();
    // Cancelled dialogs change nothing.
    m_answer.clear();
    w.Command1_Click();
    w.Command4_Click();
    EXPECT_EQ(m_prompts, (QStringList { "请选择一个文件目录", "打开文件", "请选择一个文件目录", "打开文件" }));
    EXPECT_EQ(w.listed(), (QStringList { folder, file }));
    for (const QString &hidden : { folder, file })
        EXPECT_EQ(common::fileAttributes(hidden) & ~common::AttrSystem, common::AttrHidden) << qPrintable(hidden);
    const QString list = m_data + QStringLiteral("file.ifo");
    EXPECT_EQ(readHiddenList(list), (QStringList { folder, file }));
    EXPECT_TRUE(common::fileAttributes(list) & common::AttrHidden);

    // Restoring with nothing selected does nothing; with the file selected it becomes normal and
    // writable, leaves the window's list but stays in the list file.
    w.Command2_Click();
    EXPECT_EQ(w.listed().size(), 2);
    w.list()->setCurrentRow(1);
    w.Command3_Click();
    EXPECT_EQ(velmora::test::simulatedDesktopEffects(),
        QStringList { QStringLiteral("openWithDesktop\t") + QUrl::fromLocalFile(file).toString() });
    w.Command2_Click();
    EXPECT_EQ(w.listed(), QStringList { folder });
    EXPECT_EQ(common::fileAttributes(file), common::AttrNormal);

    FormDir &again = open();
    EXPECT_EQ(again.listed(), (QStringList { folder, file }));
}

TEST_F(FormDirTest, EmptyLinesAreSkippedAndRefusalsExplained)
{
    QFile list(m_data + QStringLiteral("file.ifo"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("/a\r\n\r\n\r\n/b\r\n");
    list.close();
    FormDir &w = open();
    EXPECT_EQ(w.listed(), (QStringList { "/a", "/b" }));

    for (const QString &refused : { QStringLiteral("/"), QDir::homePath(), m_data.chopped(1) }) {
        m_answer = refused;
        w.Command1_Click();
    }
    EXPECT_EQ(m_messages.size(), 3);
    EXPECT_EQ(w.listed().size(), 2);
    EXPECT_EQ(common::fileAttributes(m_data.chopped(1)), common::AttrNormal);
}

}
