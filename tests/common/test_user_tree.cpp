// The per-user working tree: an installed (read-only or marked) program tree is copied into
// the user's data folder and the program's paths move there; a writable tree is used as it is.
#include "common/program_paths.h"
#include "common/user_tree.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every folder below root (root included) gets the given permissions.
void setFolderModes(const QString &root, QFileDevice::Permissions permissions)
{
    QFile::setPermissions(root, permissions);
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        QFile::setPermissions(it.next(), permissions);
}

constexpr QFileDevice::Permissions ReadOnlyFolder =
    QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
    | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
constexpr QFileDevice::Permissions WritableFolder = ReadOnlyFolder | QFileDevice::WriteOwner;

// A program tree as the install rules lay it out, under <tmp>/tree, and an empty data home
// <tmp>/data that XDG_DATA_HOME names while the fixture lives.
class UserTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_oldXdg = qgetenv("XDG_DATA_HOME");
        m_hadXdg = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
        writeFile(tree("bin/zhengding"), "\x7f" "ELF program");
        QFile::setPermissions(tree("bin/zhengding"), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                         | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                                         | QFileDevice::ExeOther);
        writeFile(tree("bin/syscfg.dbm"), "[All]\r\nsDbType=Oledb40\r\n");
        writeFile(tree("bin/jpg/appStart.jpg"), "splash");
        writeFile(tree("init/data.mdb"), "catalogue");
        writeFile(tree("init/mail.txt"), "body");
        writeFile(tree("html/intro.html"), "<html>intro</html>");
        writeFile(tree("bookimages/big/cover01.jpg"), "big cover");
        QDir().mkpath(tree("html/empty"));
        // Installed files are read-only for everybody.
        QDirIterator files(tree(""), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString f = files.next();
            if (!f.endsWith(u"/zhengding"))
                QFile::setPermissions(f, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
        }
        ProgramPaths::setProgramFolder(tree("bin"));
    }

    void TearDown() override
    {
        setFolderModes(tree(""), WritableFolder);
        ProgramPaths::setProgramFolder(QString());
        if (m_hadXdg)
            qputenv("XDG_DATA_HOME", m_oldXdg);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    QString tree(const QString &relative) const { return m_tmp.path() + QStringLiteral("/tree/") + relative; }
    QString dataHome() const { return m_tmp.path() + QStringLiteral("/data"); }
    QString user(const QString &relative) const { return dataHome() + QStringLiteral("/zhengding/") + relative; }

    QTemporaryDir m_tmp;
    QByteArray m_oldXdg;
    bool m_hadXdg = false;
};

TEST_F(UserTreeTest, DefaultRootFollowsXdgDataHome)
{
    EXPECT_EQ(UserTree::defaultRoot(), user(QString()));
}

struct InstalledCase {
    const char *name;
    bool readOnly;     // folders chmod 555
    bool marker;       // bin/per-user-tree present
    bool expectUsed;
};

class InstalledTree : public UserTreeTest, public ::testing::WithParamInterface<InstalledCase> {};

TEST_P(InstalledTree, IsCopiedOnlyWhenInstalled)
{
    const InstalledCase &c = GetParam();
    if (c.marker)
        writeFile(tree("bin/per-user-tree"), "installed");
    if (c.readOnly)
        setFolderModes(tree(""), ReadOnlyFolder);
    const QString folderBefore = ProgramPaths::programFolder();

    EXPECT_EQ(UserTree::isInstalled(tree("bin")), c.expectUsed);
    const UserTree::Result r = UserTree::prepare();
    EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(r.used, c.expectUsed);

    if (!c.expectUsed) {
        EXPECT_FALSE(QFileInfo::exists(user(QString()))) << "a writable tree is copied nowhere";
        EXPECT_EQ(ProgramPaths::programFolder(), folderBefore);
        return;
    }
    EXPECT_TRUE(r.created);
    EXPECT_EQ(r.root, user(QString()));
    EXPECT_EQ(ProgramPaths::programFolder(), user(QStringLiteral("bin/")));
    EXPECT_EQ(ProgramPaths::resolve(QStringLiteral("../init/data.mdb")), user(QStringLiteral("init/data.mdb")));
    for (const char *relative : {"bin/syscfg.dbm", "bin/jpg/appStart.jpg", "init/data.mdb", "init/mail.txt",
                                 "html/intro.html", "bookimages/big/cover01.jpg"}) {
        const QString rel = QString::fromLatin1(relative);
        EXPECT_EQ(readFile(user(rel)), readFile(tree(rel))) << relative;
        EXPECT_TRUE(QFileInfo(user(rel)).permissions() & QFileDevice::WriteOwner)
            << relative << " must be the user's to change";
    }
    EXPECT_TRUE(QFileInfo(user(QStringLiteral("html/empty"))).isDir());
    EXPECT_FALSE(QFileInfo::exists(user(QStringLiteral("bin/zhengding")))) << "programs stay installed";
    EXPECT_FALSE(QFileInfo::exists(user(QStringLiteral("bin/per-user-tree"))))
        << "the user's tree must not count as installed";
    EXPECT_FALSE(UserTree::isInstalled(user(QStringLiteral("bin"))));
}

INSTANTIATE_TEST_SUITE_P(
    Trees, InstalledTree,
    ::testing::Values(InstalledCase{"ReadOnly", true, false, true},
                      InstalledCase{"Marked", false, true, true},
                      InstalledCase{"ReadOnlyAndMarked", true, true, true},
                      InstalledCase{"Writable", false, false, false}),
    [](const ::testing::TestParamInfo<InstalledCase> &info) { return std::string(info.param.name); });

TEST_F(UserTreeTest, LaterStartKeepsTheUsersFilesAndAddsNewOnes)
{
    writeFile(tree("bin/per-user-tree"), "installed");
    ASSERT_TRUE(UserTree::prepare().used);
    writeFile(user(QStringLiteral("init/data.mdb")), "catalogue with my orders");
    QFile::remove(user(QStringLiteral("init/mail.txt")));
    QFile::setPermissions(tree("html"), WritableFolder);
    writeFile(tree("html/press.html"), "<html>press</html>");
    ProgramPaths::setProgramFolder(tree("bin"));

    const UserTree::Result again = UserTree::prepare();
    EXPECT_TRUE(again.used);
    EXPECT_FALSE(again.created) << "the user is told only on the first start";
    EXPECT_EQ(readFile(user(QStringLiteral("init/data.mdb"))), "catalogue with my orders");
    EXPECT_EQ(readFile(user(QStringLiteral("init/mail.txt"))), "body");
    EXPECT_EQ(readFile(user(QStringLiteral("html/press.html"))), "<html>press</html>");
}

TEST_F(UserTreeTest, UnmakeableTreeLeavesThePathsAlone)
{
    writeFile(tree("bin/per-user-tree"), "installed");
    writeFile(dataHome(), "a file where the data folder should be");

    const UserTree::Result r = UserTree::prepare();
    EXPECT_FALSE(r.used);
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(ProgramPaths::programFolder(), tree("bin/"));
}

} // namespace
