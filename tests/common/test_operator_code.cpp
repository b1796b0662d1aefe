#include "common/operator_code.h"
#include "temp_tree.h"

#include <QMap>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <optional>
#include <pwd.h>
#include <unistd.h>

namespace {

// Sets or clears environment variables for one test and puts them back afterwards.
class Environment {
public:
    void set(const char *name, const char *value)
    {
        if (!m_saved.contains(name))
            m_saved.insert(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    ~Environment()
    {
        for (auto it = m_saved.begin(); it != m_saved.end(); ++it) {
            if (it.value())
                qputenv(it.key(), *it.value());
            else
                qunsetenv(it.key());
        }
    }

private:
    QMap<QByteArray, std::optional<QByteArray>> m_saved;
};

TEST(OperatorCode, ConfiguredValueElseLoginNameWithinTheCartColumn)
{
    const QString thirtyOne = QStringLiteral("clerk.of.the.second.floor.desk1");
    const QString thirtyOneToo = QStringLiteral("clerk.of.the.second.floor.desk2");
    const struct {
        const char *what;
        QString configured, login, expected;
    } cases[] = {
        {"configured", QStringLiteral("王芳"), QStringLiteral("wang"), QStringLiteral("王芳")},
        {"configured with blanks around", QStringLiteral("  D7 "), QStringLiteral("wang"), QStringLiteral("D7")},
        {"login when nothing is configured", QString(), QStringLiteral("wang"), QStringLiteral("wang")},
        {"login when the configured value is blank", QStringLiteral("   "), QStringLiteral("li"),
         QStringLiteral("li")},
        {"empty when both are", QString(), QString(), QString()},
        {"thirty characters stay whole", QStringLiteral("a").repeated(30), QString(),
         QStringLiteral("a").repeated(30)},
        {"path separators do not leave the page folder", QStringLiteral("../x\\y"), QString(),
         QStringLiteral(".._x_y")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(OperatorCode::resolve(c.configured, c.login), c.expected);
    }

    // Too long: shortened to the column's width, the same each time, and two long names that
    // differ only at their end still key two carts.
    const QString first = OperatorCode::resolve(QString(), thirtyOne);
    const QString second = OperatorCode::resolve(QString(), thirtyOneToo);
    EXPECT_EQ(first.size(), OperatorCode::MaxLength);
    EXPECT_TRUE(first.startsWith(thirtyOne.left(21) + u'~')) << first.toStdString();
    EXPECT_EQ(first, OperatorCode::resolve(thirtyOne, QStringLiteral("other")));
    EXPECT_NE(first, second);
    // Chinese characters count as characters, as the column counts them.
    const QString chinese = OperatorCode::resolve(QStringLiteral("第二层楼的订书员").repeated(5), QString());
    EXPECT_EQ(chinese.size(), OperatorCode::MaxLength);
}

TEST(OperatorCode, LoginNameFromTheEnvironmentElseThePasswordDatabase)
{
    const passwd *entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    const QString system = QString::fromLocal8Bit(entry->pw_name);
    const struct {
        const char *what;
        const char *logname, *user;
        QString expected;
    } cases[] = {
        {"LOGNAME first", "zhang", "li", QStringLiteral("zhang")},
        {"USER without LOGNAME", nullptr, "li", QStringLiteral("li")},
        {"an empty LOGNAME counts as none", "", "li", QStringLiteral("li")},
        {"the process's user without either", nullptr, nullptr, system},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Environment env;
        env.set("LOGNAME", c.logname);
        env.set("USER", c.user);
        EXPECT_EQ(OperatorCode::loginName(), c.expected);
    }
}

TEST(OperatorCode, TheRunsCodeComesFromTheConfigurationElseTheLogin)
{
    Environment env;
    env.set("LOGNAME", "zhao");
    TempTree tree;
    const struct {
        const char *what;
        QByteArray config;
        QString expected;
    } cases[] = {
        {"as shipped: no key", "[All]\r\nsDbType=Oledb40\r\n", QStringLiteral("zhao")},
        {"configured, any case of section and key", "[ALL]\r\nsusername=D3\r\n", QStringLiteral("D3")},
        {"configured empty", "[All]\r\nsUserName=\r\n", QStringLiteral("zhao")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        tree.writeConfig(c.config);
        EXPECT_EQ(OperatorCode::current(), c.expected);
    }
}

} // namespace
