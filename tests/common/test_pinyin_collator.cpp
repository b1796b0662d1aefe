// Chinese text in lists is ordered by pinyin, whatever the user's locale.
#include "qt_print.h"

#include "common/pinyin_collator.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

// Each text sorts strictly before the next one.
const char *const Ordered[] = {
    "1", "10", "2",        // digits first, compared as text
    "阿", "白", "北京", "上海", "张", "张三", "张四", "赵",
    "中国",
    "abc", "ABC", "abd",   // Latin after Han; lower case before upper case
};

class PinyinCollatorTest : public ::testing::TestWithParam<QLocale> {
protected:
    void SetUp() override
    {
        m_saved = QLocale();
        QLocale::setDefault(GetParam());
    }
    void TearDown() override { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

TEST_P(PinyinCollatorTest, OrdersByPinyin)
{
    const PinyinCollator collator;
    const int n = int(std::size(Ordered));
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const QString a = QString::fromUtf8(Ordered[i]);
            const QString b = QString::fromUtf8(Ordered[j]);
            SCOPED_TRACE(std::string(Ordered[i]) + " vs " + Ordered[j]);
            const int expected = (i > j) - (i < j);
            EXPECT_EQ((collator.compare(a, b) > 0) - (collator.compare(a, b) < 0), expected);
            const int byKey = collator.sortKey(a).compare(collator.sortKey(b));
            EXPECT_EQ((byKey > 0) - (byKey < 0), expected);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AnyDefaultLocale, PinyinCollatorTest,
                         ::testing::Values(QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                           QLocale(QLocale::German, QLocale::Germany)));

} // namespace
