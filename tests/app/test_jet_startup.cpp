// Start-up over an init/data.mdb that is the supplier's Access/Jet file: the question, the
// conversion with its progress window, the program working on the converted file, and what
// declining or a damaged file leave behind.
#include "jet_files.h"
#include "scripted_prompter.h"
#include "temp_tree.h"

#include "app/data_module.h"
#include "app/tdm_gui.h"
#include "catalog/book_browse_widget.h"
#include "catalog/category_browse_window.h"
#include "data/sql_helper.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kQuestion = QStringLiteral("数据库文件是供货商提供的 Access/Jet 数据库");
const QString kConnPrefix = QStringLiteral("数据库连接错误，程序终止。请与系统管理员联系！\n错误信息如下：(\n");

class JetStartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.writeConfig("[All]\r\nsDbType=Oledb40\r\n");
        ASSERT_TRUE(JetFiles::generate(data(), 30));
        jetBytes = JetFiles::bytesOf(data());
    }
    QString data() const { return tree.path(QStringLiteral("init/data.mdb")); }
    // The files in init/, without the ones SQLite and the desks' turns keep beside the database
    // the program has open.
    QStringList initFiles() const
    {
        QStringList files = QDir(tree.path(QStringLiteral("init"))).entryList(QDir::Files | QDir::Hidden);
        files.removeIf([](const QString &f) {
            return f == QLatin1String("data.mdb-wal") || f == QLatin1String("data.mdb-shm")
                   || f == QLatin1String("data.mdb-desk.lock");
        });
        return files;
    }
    QString aside() const
    {
        return QStringLiteral("data-jet-%1.mdb").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    }
    static void closeState(DataModuleState &state, const QString &name)
    {
        state.con.close();
        state.con = QSqlDatabase();
        QSqlDatabase::removeDatabase(name);
    }

    TempTree tree;
    QByteArray jetBytes;
};

TEST_F(JetStartupTest, YesConvertsAndTheProgramStartsOnTheConvertedFile)
{
    ScriptedPrompter prompter;
    prompter.answers.enqueue(MsgResult::Yes);
    QList<QString> progressTables;
    const QString name = QStringLiteral("jet_startup_yes");
    DataModuleState state = DataModule::create(prompter, name, [&](const QString &table, qint64, qint64) {
        progressTables << table;
    });

    ASSERT_EQ(prompter.shown.size(), 2) << prompter.texts().join(u'|').toStdString();
    EXPECT_TRUE(prompter.shown[0].text.startsWith(kQuestion)) << prompter.shown[0].text.toStdString();
    EXPECT_TRUE(prompter.shown[0].text.contains(aside())) << prompter.shown[0].text.toStdString();
    EXPECT_EQ(prompter.shown[0].flags, MsgFlags::YesNo);
    EXPECT_EQ(prompter.shown[0].caption, QStringLiteral("系统提示"));
    EXPECT_TRUE(prompter.shown[1].text.contains(QStringLiteral("30 种书目"))) << prompter.shown[1].text.toStdString();
    EXPECT_EQ(prompter.shown[1].flags, MsgFlags::Information);
    EXPECT_TRUE(progressTables.contains(QStringLiteral("debooks")));

    EXPECT_FALSE(state.endRequested);
    ASSERT_TRUE(state.con.isOpen());
    EXPECT_EQ(Sql::scalar(state.con, QStringLiteral("select count(*) from qrydebooks")).toInt(), 30);
    EXPECT_EQ(initFiles(), (QStringList{QStringLiteral("data-jet-%1.mdb").arg(QDate::currentDate().toString(QStringLiteral("yyyyMMdd"))),
                                        QStringLiteral("data.mdb")}));
    EXPECT_EQ(JetFiles::bytesOf(tree.path(QStringLiteral("init/") + aside())), jetBytes);
    closeState(state, name);
}

TEST_F(JetStartupTest, NoEndsTheProgramAsBeforeAndTouchesNothing)
{
    ScriptedPrompter prompter;
    prompter.answers.enqueue(MsgResult::No);
    const QString name = QStringLiteral("jet_startup_no");
    DataModuleState state = DataModule::create(prompter, name);
    ASSERT_EQ(prompter.shown.size(), 2) << prompter.texts().join(u'|').toStdString();
    EXPECT_TRUE(prompter.shown[0].text.startsWith(kQuestion));
    EXPECT_TRUE(prompter.shown[1].text.startsWith(kConnPrefix));
    EXPECT_TRUE(prompter.shown[1].text.contains(QStringLiteral("Access/Jet")));
    EXPECT_EQ(prompter.shown[1].flags, MsgFlags::Error);
    EXPECT_TRUE(state.endRequested);
    EXPECT_FALSE(state.con.isOpen());
    EXPECT_EQ(initFiles(), QStringList{QStringLiteral("data.mdb")});
    EXPECT_EQ(JetFiles::bytesOf(data()), jetBytes);
    closeState(state, name);
}

TEST_F(JetStartupTest, ADamagedFileIsToldAndLeftAsItWas)
{
    ASSERT_TRUE(JetFiles::truncatedCopy(tree.path(QStringLiteral("init/data.mdb")), tree.path(QStringLiteral("cut")),
                                        jetBytes.size() - 2 * 4096));
    QFile::remove(data());
    ASSERT_TRUE(QFile::rename(tree.path(QStringLiteral("cut")), data()));
    const QByteArray cutBytes = JetFiles::bytesOf(data());
    ScriptedPrompter prompter;   // answers yes
    const QString name = QStringLiteral("jet_startup_damaged");
    DataModuleState state = DataModule::create(prompter, name);
    ASSERT_EQ(prompter.shown.size(), 2) << prompter.texts().join(u'|').toStdString();
    EXPECT_TRUE(prompter.shown[0].text.startsWith(kQuestion));
    EXPECT_TRUE(prompter.shown[1].text.startsWith(kConnPrefix));
    EXPECT_TRUE(prompter.shown[1].text.contains(QStringLiteral("已损坏或不完整"))) << prompter.shown[1].text.toStdString();
    EXPECT_TRUE(state.endRequested);
    EXPECT_EQ(initFiles(), QStringList{QStringLiteral("data.mdb")});
    EXPECT_EQ(JetFiles::bytesOf(data()), cutBytes);
    closeState(state, name);
}

// The program's own start: DM over the Jet file, the progress window while it converts, and
// the category browse listing the supplier's titles afterwards.
TEST_F(JetStartupTest, TheCategoryBrowseShowsTheConvertedTitles)
{
    auto scripted = std::make_unique<ScriptedPrompter>();
    ScriptedPrompter *prompter = scripted.get();
    auto module = std::make_unique<TDM>(std::move(scripted));
    DM = module.get();
    ASSERT_TRUE(DM->create()) << prompter->texts().join(u'|').toStdString();
    EXPECT_TRUE(prompter->shown.value(0).text.startsWith(kQuestion));

    ScriptedPrompter windowPrompter;
    {
        TFrmbookTypeB w(windowPrompter, DM->Con);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QTreeWidget *categories = w.tree();
        const auto found = categories->findItems(QStringLiteral("外语类"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        QTest::mouseClick(categories->viewport(), Qt::LeftButton, {},
                          categories->visualItemRect(found.first()).center());
        BookBrowseWidget *b = w.browse();
        QStringList titles;
        for (int row = 0; row < b->books().recordCount(); ++row)
            titles << b->books().text(row, QStringLiteral("sm"));
        // Titles 2, 6, 10, … are in the third category; the list is in zbh order.
        ASSERT_EQ(titles.size(), 7) << titles.join(u',').toStdString();
        EXPECT_EQ(titles.first(), QStringLiteral("大学英语（第3版）"));
        EXPECT_EQ(b->books().text(0, QStringLiteral("dj")), QStringLiteral("22.5"));
    }
    module.reset();
    EXPECT_EQ(DM, nullptr);
}

} // namespace
